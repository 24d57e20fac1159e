#include "faults.h"

#include <cctype>
#include <charconv>

#include "protocol.h"

namespace qvx::sim {

namespace {
bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

template <typename T>
bool toNumber(std::string_view s, T& out) {
    if (s.empty()) return false;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}
}  // namespace

bool Fault::matches(int ch, char cmd, std::string_view itm, quint64 frameNo) const {
    if (count == 0) return false;
    if (channel >= 0 && channel != ch) return false;
    if (command && command != cmd) return false;
    if (!item.empty() && !equalNoCase(item, itm)) return false;
    if (nthFrame && nthFrame != frameNo) return false;
    return true;
}

std::optional<Fault> parseFault(std::string_view text, std::string* error) {
    Fault f;
    const auto colon = text.find(':');
    const std::string_view kind = text.substr(0, colon);
    if (kind == "silence") f.kind = FaultKind::Silence;
    else if (kind == "garbage") f.kind = FaultKind::Garbage;
    else if (kind == "bcc") f.kind = FaultKind::WrongBcc;
    else if (kind == "nak") f.kind = FaultKind::Nak;
    else if (kind == "late") f.kind = FaultKind::Late;
    else if (kind == "partial") f.kind = FaultKind::Partial;
    else if (kind == "esc") f.kind = FaultKind::Corrupt;
    else {
        fail(error, "unknown fault kind \"" + std::string(kind) + "\"");
        return std::nullopt;
    }
    std::string_view rest = colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        const std::string_view pair = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const auto eq = pair.find('=');
        if (eq == std::string_view::npos) {
            fail(error, "expected key=value in \"" + std::string(pair) + "\"");
            return std::nullopt;
        }
        const std::string_view key = pair.substr(0, eq), value = pair.substr(eq + 1);
        bool ok = true;
        if (key == "ch") {
            ok = toNumber(value, f.channel) && f.channel >= 0 && f.channel <= 94;
        } else if (key == "item") {
            ok = proto::isHex4(value);
            f.item = std::string(value);
        } else if (key == "cmd") {
            if (value == "read" || value == "r") f.command = ' ';
            else if (value == "P" || value == "write" || value == "w") f.command = 'P';
            else if (value == "a") f.command = 'a';
            else if (value == "q") f.command = 'q';
            else ok = false;
        } else if (key == "nth") {
            ok = toNumber(value, f.nthFrame) && f.nthFrame > 0;
        } else if (key == "count") {
            ok = toNumber(value, f.count) && f.count > 0;
        } else if (key == "code") {
            ok = value.size() == 1 && value[0] >= '1' && value[0] <= '9';
            if (ok) f.nakCode = value[0];
        } else if (key == "ms") {
            ok = toNumber(value, f.delayMs) && f.delayMs >= 0;
        } else if (key == "bytes") {
            int n = 0;
            ok = toNumber(value, n) && n >= 0 && n <= 64;
            if (ok && f.kind == FaultKind::Garbage) {
                std::string g;
                for (int i = 0; i < n; ++i) g += f.garbage[static_cast<std::size_t>(i) % f.garbage.size()];
                f.garbage = g;
            } else {
                f.partialBytes = n;
            }
        } else {
            ok = false;
        }
        if (!ok) {
            fail(error, "bad fault setting \"" + std::string(pair) + "\"");
            return std::nullopt;
        }
    }
    return f;
}

std::string describeFault(const Fault& f) {
    static const char* names[] = {"silence", "garbage", "bcc", "nak", "late", "partial", "esc"};
    std::string s = names[static_cast<int>(f.kind)];
    if (f.kind == FaultKind::Nak) s += std::string(" code ") + f.nakCode;
    if (f.kind == FaultKind::Late) s += " " + std::to_string(f.delayMs) + " ms";
    if (f.kind == FaultKind::Partial) s += " " + std::to_string(f.partialBytes) + " bytes";
    if (f.channel >= 0) s += " ch " + std::to_string(f.channel);
    if (!f.item.empty()) s += " item " + f.item;
    if (f.command) s += std::string(" cmd '") + f.command + "'";
    if (f.nthFrame) s += " frame " + std::to_string(f.nthFrame);
    if (f.count >= 0) s += " x" + std::to_string(f.count);
    return s;
}

}  // namespace qvx::sim
