// Line faults the bank can be told to produce, for trying the program's
// handling of a misbehaving line.
#pragma once

#include <QtGlobal>
#include <optional>
#include <string>
#include <string_view>

namespace qvx::sim {

enum class FaultKind {
    Silence,   // the controller does not hear the request: no reply, no effect
    Garbage,   // noise bytes come before the (good) reply
    WrongBcc,  // the reply's BCC is wrong
    Nak,       // the request is refused with a chosen error code, no effect
    Late,      // the reply starts after delayMs instead of the turnaround
    Partial,   // only the first bytes of the reply come
    Corrupt,   // the request arrives damaged: the controller answers ESC, no effect
};

struct Fault {
    FaultKind kind = FaultKind::Silence;
    // Which frames it strikes; every filter left at its default matches all.
    int channel = -1;        // address 0..94
    std::string item;        // item code as sent ("0080"), compared without case
    char command = 0;        // ' ', 'P', 'a' or 'q'
    quint64 nthFrame = 0;    // only the n-th request frame the bank receives (1 = first)
    int count = -1;          // strikes left; -1 for ever
    // Parameters.
    char nakCode = '2';
    int delayMs = 300;
    int partialBytes = 7;
    std::string garbage = std::string("\xFF\x00#\x7F?~\x13", 7);

    bool matches(int channel, char command, std::string_view item, quint64 frameNo) const;
};

// Compact form used by the tool:  KIND[:key=value[,key=value...]]
//   KIND   silence | garbage | bcc | nak | late | partial | esc
//   keys   ch=0..94  item=XXXX  cmd=read|P|a|q  nth=N  count=N
//          code=1..5 (nak)  ms=N (late)  bytes=N (partial: bytes kept, garbage: noise bytes)
// Returns nothing and sets error for a malformed text.
std::optional<Fault> parseFault(std::string_view text, std::string* error = nullptr);
std::string describeFault(const Fault& f);

}  // namespace qvx::sim
