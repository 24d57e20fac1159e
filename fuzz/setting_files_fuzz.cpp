// Fuzz target: the one-channel and the all-channels setting-value files. Any
// bytes, as a buffer and as a file on disk, must be taken or refused without
// a crash; values that are taken must survive being written and read again.
#include <QtGlobal>

#include "fuzz_support.h"
#include "setting_files.h"

using namespace qvx;
using qvx::fuzz::check;

namespace {

void checkBlockRoundTrip(const ChannelBlock& values) {
    const std::optional<ChannelBlock> back = parseChannelFile(formatChannelFile(values));
    check(back && *back == values, "a one-channel file as written does not read back");
}

void checkAllRoundTrip(const AllChannelsBlocks& blocks) {
    static QVX720_INC s;  // one for the whole run
    for (int ch = 0; ch < kChannels; ++ch) storeChannelBlock(s, ch, blocks[std::size_t(ch)]);
    const std::optional<AllChannelsBlocks> back = parseAllChannelsFile(formatAllChannelsFile(s));
    check(back && *back == blocks, "an all-channels file as written does not read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);

    if (const auto one = parseChannelFile(bytes)) checkBlockRoundTrip(*one);
    if (const auto all = parseAllChannelsFile(bytes)) checkAllRoundTrip(*all);

    // The same bytes through the file readers the windows use.
    const QString path = fuzz::writeScratch(fuzz::scratchPath(QStringLiteral("setting.dat")), bytes);
    const ChannelFileRead one = readChannelFile(path);
    if (one.error == FileError::None) checkBlockRoundTrip(one.values);
    const AllChannelsFileRead all = readAllChannelsBytes(path);
    if (all.error == FileError::None) {
        if (const auto blocks = parseAllChannelsFile(all.bytes)) checkAllRoundTrip(*blocks);
    }
    return 0;
}
