#pragma once
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Ways in which a reply can go wrong on the line, for tests of the program's robustness.
enum class Fault {
    None,
    NoReply,      // the reply is never sent
    LateReply,    // the reply comes after the program's wait for the command has ended
    CutShort,     // only the first half of the reply is sent (no FD FA)
    Split,        // the reply comes in two halves with a gap between them
    Noise,        // noise bytes come before the reply frame
    WrongTrailer, // the reply ends FA FD instead of FD FA
    CountOverrun, // the count of points or records claims more than the bytes sent (replies with
                  // a count: 0x1A, 0x1F, 0xE4 to 0xE7; others are sent unchanged)
};

// The option name of a fault ("no-reply", "late", "cut", "split", "noise", "trailer",
// "overrun", "none") and back.
const char* FaultName(Fault fault);
std::optional<Fault> FaultFromName(std::string_view name);

// One fault and the replies it spoils.
struct FaultRule {
    Fault fault = Fault::None;
    std::set<std::uint8_t> codes; // reply codes it applies to; empty: every reply
    int times = 0;                // how many matching replies it spoils; 0: all of them
};

// Details shared by the rules.
struct FaultSettings {
    int lateMarginMs = 1000; // a late reply starts this long after the program's wait ends
    int splitGapMs = 200;    // the gap of a split reply (longer than the program's 50 ms rule)
    std::vector<std::uint8_t> noise{0x00, 0x11, 0x13, 0xFF, 0x55}; // ends in 55 to tempt a scanner
    int countOverrun = 10; // how many points or records a count claims in excess
};

} // namespace sim
