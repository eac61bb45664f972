#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

// One command frame as the program sent it: AA 55, command byte, payload, 0D 0A (and the extra
// 00 of 0xF2 and 0xF3, which is consumed but not part of `bytes`).
struct CommandFrame {
    std::uint8_t command = 0;
    std::vector<std::uint8_t> payload;
    std::vector<std::uint8_t> bytes; // the whole frame from AA to 0A
};

// Extracts command frames from the byte stream the program writes, in chunks of any size. The
// payload length of each command comes from the command table. Bytes that cannot
// start a frame (no AA 55, an unknown command byte, a wrong 0D 0A) are dropped one at a time so
// that the parser finds the next frame in whatever follows.
class FrameParser {
  public:
    // A frame whose bytes stop coming for this long is given up (the program writes a frame in
    // one go), so that a torn frame cannot hold back the next one forever.
    static constexpr std::int64_t kStaleMs = 200;

    // Takes the n bytes at data, which arrived at nowMs (a negative time switches the staleness
    // rule off), and returns the frames they complete, in order. Reads exactly data[0..n).
    std::vector<CommandFrame> Feed(const std::uint8_t* data, std::size_t n,
                                   std::int64_t nowMs = -1);

    // Bytes dropped while resynchronising since the last call, in order (for the log).
    std::vector<std::uint8_t> TakeDiscarded();

    // Bytes of a frame still incomplete.
    std::size_t Buffered() const { return m_buffer.size(); }

    // Forgets a partial frame (the line was reopened).
    void Reset();

  private:
    void Drop(std::size_t count);

    std::vector<std::uint8_t> m_buffer;
    std::vector<std::uint8_t> m_discarded;
    bool m_swallowZero = false; // the 00 after 0xF2/0xF3 may still be coming
    std::int64_t m_lastByteMs = -1;
};

} // namespace sim
