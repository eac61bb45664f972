#include "linepacer.h"

#include <algorithm>

namespace sim {

void LinePacer::SetBaud(int baud) {
    if (baud > 0)
        m_baud = baud;
}

void LinePacer::Queue(Transmission transmission) {
    if (!transmission.bytes.empty())
        m_waiting.push_back(std::move(transmission));
}

std::size_t LinePacer::Earliest() const {
    std::size_t best = 0;
    for (std::size_t i = 1; i < m_waiting.size(); ++i)
        if (m_waiting[i].readyUs < m_waiting[best].readyUs)
            best = i;
    return best;
}

void LinePacer::Start(std::int64_t nowUs, std::vector<Transmission>* started) {
    // A transmission is fixed on the line only once its start time has come: a command that
    // arrives later has a later ready time, so it can never have to go before.
    while (!m_waiting.empty()) {
        const std::size_t index = Earliest();
        Transmission& t = m_waiting[index];
        const std::int64_t start = std::max(t.readyUs, m_lineFreeUs);
        if (start > nowUs)
            break;
        t.startUs = start;
        std::int64_t offset = 0;
        for (std::size_t k = 0; k < t.bytes.size(); ++k) {
            if (t.splitAt > 0 && k == t.splitAt)
                offset += t.gapUs;
            const auto bits = static_cast<std::int64_t>(k + 1) * 10'000'000;
            m_scheduled.push_back({start + offset + bits / m_baud, t.bytes[k]});
        }
        m_lineFreeUs = m_scheduled.back().dueUs;
        if (started)
            started->push_back(std::move(t));
        m_waiting.erase(m_waiting.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

std::vector<std::uint8_t> LinePacer::TakeDue(std::int64_t nowUs,
                                             std::vector<Transmission>* started) {
    Start(nowUs, started);
    std::vector<std::uint8_t> due;
    while (!m_scheduled.empty() && m_scheduled.front().dueUs <= nowUs) {
        due.push_back(m_scheduled.front().byte);
        m_scheduled.pop_front();
    }
    return due;
}

std::int64_t LinePacer::NextDueUs() const {
    if (!m_scheduled.empty())
        return m_scheduled.front().dueUs;
    if (m_waiting.empty())
        return -1;
    const Transmission& t = m_waiting[Earliest()];
    return std::max(t.readyUs, m_lineFreeUs) + 10'000'000 / m_baud;
}

void LinePacer::Clear() {
    m_waiting.clear();
    m_scheduled.clear();
}

} // namespace sim
