#include "replyframe.h"

#include <algorithm>
#include <cmath>

namespace sim {

ReplyFrame::ReplyFrame(std::uint8_t code) : m_bytes{kReplyHead0, kReplyHead1, code} {}

ReplyFrame& ReplyFrame::U8(int v) {
    m_bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
    return *this;
}

ReplyFrame& ReplyFrame::U16(unsigned v) {
    m_bytes.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    m_bytes.push_back(static_cast<std::uint8_t>(v & 0xFF));
    return *this;
}

ReplyFrame& ReplyFrame::Scaled(double value, double scale) {
    return U16(static_cast<std::uint16_t>(ScaledRaw(value, scale)));
}

ReplyFrame& ReplyFrame::SignMagnitude(double value, double scale) {
    return U16(SignMagnitudeWord(value, scale));
}

ReplyFrame& ReplyFrame::Text(const std::string& text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        m_bytes.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : std::uint8_t{' '});
    return *this;
}

std::vector<std::uint8_t> ReplyFrame::Finish() const {
    std::vector<std::uint8_t> frame = m_bytes;
    frame.push_back(kReplyTail0);
    frame.push_back(kReplyTail1);
    return frame;
}

std::int16_t ScaledRaw(double value, double scale) {
    const double raw = std::round(value * scale);
    if (!(raw == raw)) // NaN
        return 0;
    return static_cast<std::int16_t>(std::clamp(raw, -32768.0, 32767.0));
}

std::uint16_t SignMagnitudeWord(double value, double scale) {
    double magnitude = std::round(std::fabs(value * scale));
    if (!(magnitude == magnitude))
        return 0;
    magnitude = std::min(magnitude, 32767.0);
    const auto word = static_cast<std::uint16_t>(magnitude);
    return (value < 0 && word != 0) ? static_cast<std::uint16_t>(word | 0x8000) : word;
}

} // namespace sim
