#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// Builds one reply frame: 55 AA, reply code, payload, FD FA. Fields are big-endian.
class ReplyFrame {
  public:
    explicit ReplyFrame(std::uint8_t code);

    // The low 8 bits of v.
    ReplyFrame& U8(int v);
    // Bits 15..8 of v, then bits 7..0.
    ReplyFrame& U16(unsigned v);
    // value × scale rounded to the nearest integer and clamped to -32768..32767, two's complement
    // (the measured values of every layout: scale 10 for 0.1 units, 1000 for 0.001 units).
    ReplyFrame& Scaled(double value, double scale);
    // value × scale as a sign-and-magnitude word: bit 15 set for a negative value, bits 0..14 the
    // rounded magnitude clamped to 32767 (the error values of 0x3A and 0x3F).
    ReplyFrame& SignMagnitude(double value, double scale);
    // Exactly `size` bytes of text, cut or padded with spaces.
    ReplyFrame& Text(const std::string& text, std::size_t size);

    // The frame so far followed by FD FA.
    std::vector<std::uint8_t> Finish() const;

  private:
    std::vector<std::uint8_t> m_bytes;
};

constexpr std::uint8_t kReplyHead0 = 0x55;
constexpr std::uint8_t kReplyHead1 = 0xAA;
constexpr std::uint8_t kReplyTail0 = 0xFD;
constexpr std::uint8_t kReplyTail1 = 0xFA;

// The raw 16-bit value of Scaled().
std::int16_t ScaledRaw(double value, double scale);
// The word of SignMagnitude().
std::uint16_t SignMagnitudeWord(double value, double scale);

} // namespace sim
