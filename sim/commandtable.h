#pragma once
#include <cstdint>
#include <string>

namespace sim {

// Test kind code bytes (payload of 0xEC and reply codes of the results), plus 0x7A,
// the six-tap result of the CT ratio test.
namespace code {
constexpr std::uint8_t kCtExcitation = 0x1A;
constexpr std::uint8_t kCtRatio = 0x2A;
constexpr std::uint8_t kCtError = 0x3A;
constexpr std::uint8_t kCtBurden = 0x4A;
constexpr std::uint8_t kPtExcitation = 0x1F;
constexpr std::uint8_t kPtRatio = 0x2F;
constexpr std::uint8_t kPtError = 0x3F;
constexpr std::uint8_t kPtBurden = 0x4F;
constexpr std::uint8_t kResistance = 0x6A;
constexpr std::uint8_t kCtTaps = 0x7A;
constexpr std::uint8_t kNoTest = 0x01; // what the program sends for a kind outside 0..8
} // namespace code

// One command of the instrument's command table.
struct CommandInfo {
    std::uint8_t code;
    const char* name;  // the link's operation ("Connect", "SendExcitationParams", ...)
    int payloadLength; // bytes between the command byte and 0D 0A
    bool trailingZero; // 0xF2 and 0xF3 send one 00 after 0D 0A
};

// The command with this code byte; nullptr for a byte that is no command.
const CommandInfo* FindCommand(std::uint8_t command);

// A short name of a reply code for the log ("handshake", "CT excitation result", ...).
std::string ReplyName(std::uint8_t replyCode);

// The name of the test of a kind code ("CT excitation"); "no test" for other codes.
std::string TestName(std::uint8_t kindCode);

// Whether a test kind code names one of the nine tests.
bool IsTestKind(std::uint8_t kindCode);

// The fixed time the program sleeps after writing a command before it reads the reply
// (the link's fixed waits); for 0xEB it depends on the test kind code last sent with 0xEC. 0 for
// the commands after which the program reads nothing.
int ProgramWaitMs(std::uint8_t command, std::uint8_t testKindCode);

} // namespace sim
