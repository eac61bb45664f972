#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// One line of the engine's log: a frame received from the program or sent to it, bytes dropped
// while resynchronising, or a note (a command that gets no reply and why, a fault applied).
struct LogEntry {
    enum class Kind { Received, Sent, Discarded, Note };
    std::int64_t timeMs = 0; // received: when it arrived; sent: when its first byte started
    Kind kind = Kind::Note;
    std::uint8_t code = 0; // command or reply code
    std::string name;      // the command's operation or the reply's name
    std::vector<std::uint8_t> bytes;
    std::string note;
};

// "AA 55 D0 0D 0A".
std::string HexBytes(const std::vector<std::uint8_t>& bytes);

// One printable line: "[  12.345] <- D0 Connect: AA 55 D0 0D 0A", "-> D0 handshake: ...",
// "?? discarded: ...", "-- note".
std::string FormatLogEntry(const LogEntry& entry);

} // namespace sim
