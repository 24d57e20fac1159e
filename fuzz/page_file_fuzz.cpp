// Fuzz target: the file of the all-channels setting page. Any bytes must be
// taken or refused without a crash; values that are taken go into the page
// and must survive a save and a load.
#include "fuzz_support.h"
#include "page_file.h"

using namespace qvx;
using qvx::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeScratch(fuzz::scratchPath(QStringLiteral("page.dat")), fuzz::bytesOf(data, size));
    const std::optional<ChannelBlock> values = readPageFile(path);
    if (!values) return 0;

    static QVX720_INC s;  // one for the whole run
    setPageValues(s, *values);
    check(pageValues(s) == *values, "page values not kept");

    const QString saved = fuzz::scratchPath(QStringLiteral("page-saved.dat"));
    check(writePageFile(saved, pageValues(s)), "page file not written");
    const std::optional<ChannelBlock> back = readPageFile(saved);
    check(back && *back == *values, "a saved page file does not load back");
    return 0;
}
