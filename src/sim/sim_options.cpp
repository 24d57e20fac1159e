#include "sim_options.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace qvx::sim {

namespace {
bool fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}

bool toInt(std::string_view s, int& out, int base = 10) {
    if (s.empty()) return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out, base);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}
}  // namespace

std::optional<std::vector<int>> parseChannelList(std::string_view text, std::string* error) {
    std::set<int> chans;
    if (text.empty()) {
        fail(error, "empty channel list");
        return std::nullopt;
    }
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view part = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const auto dash = part.find('-');
        int lo = 0, hi = 0;
        const bool ok = dash == std::string_view::npos
                            ? toInt(part, lo) && (hi = lo, true)
                            : toInt(part.substr(0, dash), lo) && toInt(part.substr(dash + 1), hi);
        if (!ok || lo < 0 || hi > kBankChannels - 1 || lo > hi) {
            fail(error, "bad channel range \"" + std::string(part) + "\" (channels are 0..94)");
            return std::nullopt;
        }
        for (int ch = lo; ch <= hi; ++ch) chans.insert(ch);
    }
    return std::vector<int>(chans.begin(), chans.end());
}

std::optional<ToolOptions::WordSetting> parseWordSetting(std::string_view text, bool hex, int min, int max,
                                                         std::string* error) {
    const auto eq = text.find('=');
    if (eq == std::string_view::npos) {
        fail(error, "expected LIST=VALUE, got \"" + std::string(text) + "\"");
        return std::nullopt;
    }
    ToolOptions::WordSetting w;
    const std::string_view list = text.substr(0, eq);
    if (list == "all") {
        for (int ch = 0; ch < kBankChannels; ++ch) w.channels.push_back(ch);
    } else {
        auto chans = parseChannelList(list, error);
        if (!chans) return std::nullopt;
        w.channels = std::move(*chans);
    }
    std::string_view value = text.substr(eq + 1);
    if (hex && (value.starts_with("0x") || value.starts_with("0X"))) value.remove_prefix(2);
    if (!toInt(value, w.value, hex ? 16 : 10) || w.value < min || w.value > max) {
        fail(error, "bad value \"" + std::string(text.substr(eq + 1)) + "\"");
        return std::nullopt;
    }
    return w;
}

std::optional<ToolOptions> parseToolArgs(const std::vector<std::string>& args, std::string* error) {
    ToolOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) return fail(error, name + " needs a value");
            out = args[++i];
            return true;
        };
        auto word = [&](std::vector<ToolOptions::WordSetting>& list, bool hex, int min, int max) {
            std::string v;
            if (!value(v)) return false;
            auto w = parseWordSetting(v, hex, min, max, error);
            if (!w) return false;
            list.push_back(std::move(*w));
            return true;
        };
        std::string v;
        bool ok = true;
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--verbose" || name == "-v") {
            o.verbose = true;
        } else if (name == "--all") {
            o.allChannels = true;
        } else if (name == "--link") {
            ok = value(o.link) && (!o.link.empty() || fail(error, "--link needs a path"));
        } else if (name == "--baud") {
            ok = value(v) && toInt(v, o.baud) && (o.baud == 9600 || o.baud == 19200);
            if (!ok) fail(error, "--baud takes 9600 or 19200");
        } else if (name == "--turnaround-ms") {
            ok = value(v) && toInt(v, o.turnaroundMs) && o.turnaroundMs >= 0 && o.turnaroundMs <= 10000;
            if (!ok) fail(error, "--turnaround-ms takes 0..10000");
        } else if (name == "--channels") {
            ok = value(v);
            if (ok) {
                auto chans = parseChannelList(v, error);
                ok = chans.has_value();
                if (ok) o.channels = std::move(*chans);
            }
        } else if (name == "--option") {
            ok = word(o.optionWords, true, 0, 0xFFFF);
        } else if (name == "--type") {
            ok = word(o.typeWords, true, 0, 0xFFFF);
        } else if (name == "--extension") {
            ok = word(o.extensionWords, true, 0, 0xFFFF);
        } else if (name == "--unit-code") {
            ok = word(o.unitCodes, true, 0, 0x7FFF);
        } else if (name == "--input-type") {
            ok = word(o.inputTypes, false, 0, kMaxInputType);
        } else if (name == "--key-lock" || name == "--switchable") {
            ok = value(v);
            if (ok) {
                auto chans = parseChannelList(v, error);
                ok = chans.has_value();
                auto& list = name == "--key-lock" ? o.keyLocked : o.switchable;
                if (ok) list.insert(list.end(), chans->begin(), chans->end());
            }
        } else if (name == "--fault") {
            ok = value(v);
            if (ok) {
                auto f = parseFault(v, error);
                ok = f.has_value();
                if (ok) o.faults.push_back(*f);
            }
        } else if (name == "--at-seconds") {
            ok = value(v) && toInt(v, o.autoTuneSeconds) && o.autoTuneSeconds >= 1 && o.autoTuneSeconds <= 3600;
            if (!ok) fail(error, "--at-seconds takes 1..3600");
        } else {
            ok = fail(error, "unknown option \"" + args[i] + "\"");
        }
        if (!ok) return std::nullopt;
    }
    return o;
}

std::string toolUsage() {
    return R"(Usage: qvx720-sim [options]
Serves a bank of simulated QVX-720 controllers on a pseudo-terminal, so that the
monitor can be run over its real serial path (for example QVX720_COM1=PATH).

Channels are line addresses 0..94 (the monitor shows them as 1..95). LIST is a
list such as 0-23,40,80-84 (or "all" in LIST=VALUE options).

  --link PATH             also make PATH a symbolic link to the terminal device
  --baud 9600|19200       line speed the replies are paced at (default 9600)
  --turnaround-ms N       pause between a request and its reply (default 2)
  --channels LIST         controllers present (default: the realistic mix,
                          channels 0-23,40-47,80-84)
  --all                   controllers at all 95 addresses
  --option LIST=HEX       option word (item 00A1) of these channels
  --type LIST=HEX         type word (item 00A2)
  --extension LIST=HEX    word of the "a" reply (bits 0600 carry meaning)
  --unit-code LIST=HEX    data of the presence-probe reply
  --input-type LIST=N     input type 0..35 (item 0044)
  --key-lock LIST         these channels refuse every write (NAK 5)
  --switchable LIST       SIGUSR1 switches these controllers off (they hear
                          nothing, keeping their values), SIGUSR2 on again
  --at-seconds N          length of an auto-tuning run (default 20)
  --fault TEXT            inject a line fault; may be repeated. TEXT is
                          KIND[:key=value,...] with KIND one of
                            silence  no reply           garbage  noise before the reply
                            bcc      wrong reply BCC    nak      refusal (code=1..5)
                            late     reply after ms=N   partial  only bytes=N of the reply
                            esc      request damaged on the way: the controller answers ESC
                          and keys ch=N, item=XXXX, cmd=read|P|a|q, nth=N (the n-th
                          frame received), count=N (strikes), e.g.
                            --fault nak:code=3,ch=2,item=0001  --fault late:ms=400,nth=50
  --verbose               log every request and reply on standard error
  --help                  this text

Ends on SIGINT or SIGTERM and removes its link.
)";
}

BankLayout layoutFor(const ToolOptions& o) {
    BankLayout mix = realisticMix();
    BankLayout out;
    std::vector<int> chans;
    if (o.allChannels) {
        for (int ch = 0; ch < kBankChannels; ++ch) chans.push_back(ch);
    } else if (o.channels) {
        chans = *o.channels;
    } else {
        for (int ch = 0; ch < kBankChannels; ++ch)
            if (mix[static_cast<std::size_t>(ch)]) chans.push_back(ch);
    }
    for (int ch : chans) {
        const auto i = static_cast<std::size_t>(ch);
        out[i] = mix[i] ? *mix[i] : plainChannel(ch);
    }
    auto apply = [&out](const std::vector<ToolOptions::WordSetting>& list, auto setter) {
        for (const auto& w : list)
            for (int ch : w.channels)
                if (auto& c = out[static_cast<std::size_t>(ch)]) setter(*c, w.value);
    };
    apply(o.optionWords, [](ChannelConfig& c, int v) { c.option = static_cast<quint16>(v); });
    apply(o.typeWords, [](ChannelConfig& c, int v) { c.type = static_cast<quint16>(v); });
    apply(o.extensionWords, [](ChannelConfig& c, int v) { c.extension = static_cast<quint16>(v); });
    apply(o.unitCodes, [](ChannelConfig& c, int v) { c.unitCode = static_cast<qint16>(v); });
    apply(o.inputTypes, [](ChannelConfig& c, int v) {
        c.inputType = static_cast<qint16>(v);
        // The installed scaling belongs to the old input; start from the new one's.
        std::erase_if(c.settings, [](const auto& s) { return s.first == 29 || s.first == 30; });
    });
    for (int ch : o.keyLocked)
        if (auto& c = out[static_cast<std::size_t>(ch)]) c->keyLocked = true;
    return out;
}

void applyToolOptions(ControllerBank& bank, const ToolOptions& o) {
    bank.setAutoTuneDurationMs(o.autoTuneSeconds * 1000LL);
    populate(bank, layoutFor(o));
    bank.clearFaults();
    for (const auto& f : o.faults) bank.addFault(f);
}

}  // namespace qvx::sim
