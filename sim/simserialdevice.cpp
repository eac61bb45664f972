#include "simserialdevice.h"

#include "engine.h"
#include "platform/clock.h"

#include <algorithm>

namespace sim {

SimSerialDevice::SimSerialDevice(Engine& engine, int baud) : m_engine(engine), m_baud(baud) {
    m_engine.SetBaud(baud);
    m_engine.LineReset(tarvex::CurrentClock().NowMs());
}

SimSerialDevice::~SimSerialDevice() {
    if (m_onClose)
        m_onClose();
}

void SimSerialDevice::SetObserver(std::function<void(std::uint8_t)> onWrite,
                                  std::function<void()> onClose) {
    m_onWrite = std::move(onWrite);
    m_onClose = std::move(onClose);
}

int SimSerialDevice::WriteByte(unsigned char byte, int /*timeoutMs*/) {
    if (m_vanished)
        return -1;
    m_written.push_back(byte);
    if (m_onWrite)
        m_onWrite(byte);
    m_engine.Receive(&byte, 1, tarvex::CurrentClock().NowMs());
    return 1;
}

void SimSerialDevice::Collect() {
    const std::vector<std::uint8_t> due = m_engine.TakeDue(tarvex::CurrentClock().NowMs());
    m_inbox.insert(m_inbox.end(), due.begin(), due.end());
}

int SimSerialDevice::Pending() {
    if (m_vanished)
        return -1;
    Collect();
    return static_cast<int>(m_inbox.size());
}

int SimSerialDevice::Read(unsigned char* buffer, int limit) {
    if (m_vanished)
        return -1;
    Collect();
    const int count = std::min(std::max(limit, 0), static_cast<int>(m_inbox.size()));
    std::copy_n(m_inbox.begin(), count, buffer);
    m_inbox.erase(m_inbox.begin(), m_inbox.begin() + count);
    return count;
}

} // namespace sim
