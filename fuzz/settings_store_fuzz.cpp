// Fuzz target: the settings file and the preferences read from it. Any bytes
// must load without a crash, every preference within its control's range;
// what the program then saves must load back as it was saved.
#include "display_rules.h"
#include "fuzz_support.h"
#include "preferences.h"
#include "setting_files.h"
#include "settings_store.h"

using namespace qvx;
using qvx::fuzz::check;

namespace {

void checkRanges(const Preferences& p) {
    check(p.SSTab1 >= 0 && p.SSTab1 <= 1 && p.SSTab2 >= 0 && p.SSTab2 <= 5, "tab outside its range");
    check(p.Logtim >= 0 && p.Logtim <= 7 && p.Check1 >= 0 && p.Check1 <= 2, "list index outside its range");
    check(p.tab3name >= 0 && p.tab3name < kChannels, "channel outside its range");
    for (int ch = 0; ch < kChannels; ++ch) check(p.LogName(ch) >= 0 && p.LogName(ch) <= 2, "box value outside its range");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString path = fuzz::writeScratch(fuzz::scratchPath(QStringLiteral("settings.ini")), bytes);

    SettingsStore store(path);
    Preferences p = loadPreferences(store);
    checkRanges(p);
    static QVX720_INC s;  // one for the whole run
    applyPreferences(p, s);
    (void)readAlarmColors(&store);
    static ChannelNames names;
    readChannelNames(store, names);

    // A channel name made of the input's own text, then the exit save: the
    // file as written must load back to the same preferences, and the name
    // itself is kept whole in the file.
    const QString name = QString::fromUtf8(bytes.left(40));
    check(store.save(chnameKey(0), name), "settings file not written");
    gatherPreferences(s, p);
    check(saveExitPreferences(store, p), "settings file not written");
    p.Chname(0) = channelName(store, 0);  // as handed out: within the name's byte limit

    const SettingsStore reloaded(path);
    check(loadPreferences(reloaded) == p, "saved preferences do not load back");
    check(reloaded.read(chnameKey(0), QString()) == name, "saved name does not load back");
    return 0;
}
