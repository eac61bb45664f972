#include "frameparser.h"

#include "commandtable.h"

#include <algorithm>

namespace sim {

std::vector<CommandFrame> FrameParser::Feed(const std::uint8_t* data, std::size_t n,
                                            std::int64_t nowMs) {
    std::vector<CommandFrame> frames;
    if (n == 0)
        return frames;
    if (nowMs >= 0 && m_lastByteMs >= 0 && nowMs - m_lastByteMs > kStaleMs && !m_buffer.empty())
        Drop(m_buffer.size());
    if (nowMs >= 0 && m_lastByteMs >= 0 && nowMs - m_lastByteMs > kStaleMs)
        m_swallowZero = false;
    if (nowMs >= 0)
        m_lastByteMs = nowMs;
    m_buffer.insert(m_buffer.end(), data, data + n);

    while (!m_buffer.empty()) {
        if (m_swallowZero) {
            m_swallowZero = false;
            if (m_buffer[0] == 0x00) {
                m_buffer.erase(m_buffer.begin());
                continue;
            }
        }
        auto start = std::find(m_buffer.begin(), m_buffer.end(), std::uint8_t{0xAA});
        if (start != m_buffer.begin()) {
            Drop(static_cast<std::size_t>(start - m_buffer.begin()));
            continue;
        }
        if (m_buffer.size() < 2)
            break;
        if (m_buffer[1] != 0x55) {
            Drop(1);
            continue;
        }
        if (m_buffer.size() < 3)
            break;
        const CommandInfo* info = FindCommand(m_buffer[2]);
        if (info == nullptr) {
            Drop(1);
            continue;
        }
        const std::size_t length = 3 + static_cast<std::size_t>(info->payloadLength) + 2;
        if (m_buffer.size() < length)
            break;
        if (m_buffer[length - 2] != 0x0D || m_buffer[length - 1] != 0x0A) {
            Drop(1);
            continue;
        }
        CommandFrame frame;
        frame.command = info->code;
        frame.bytes.assign(m_buffer.begin(),
                           m_buffer.begin() + static_cast<std::ptrdiff_t>(length));
        frame.payload.assign(frame.bytes.begin() + 3, frame.bytes.end() - 2);
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(length));
        m_swallowZero = info->trailingZero;
        frames.push_back(std::move(frame));
    }
    return frames;
}

std::vector<std::uint8_t> FrameParser::TakeDiscarded() {
    std::vector<std::uint8_t> discarded;
    discarded.swap(m_discarded);
    return discarded;
}

void FrameParser::Reset() {
    Drop(m_buffer.size());
    m_swallowZero = false;
    m_lastByteMs = -1;
}

void FrameParser::Drop(std::size_t count) {
    count = std::min(count, m_buffer.size());
    m_discarded.insert(m_discarded.end(), m_buffer.begin(),
                       m_buffer.begin() + static_cast<std::ptrdiff_t>(count));
    m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(count));
}

} // namespace sim
