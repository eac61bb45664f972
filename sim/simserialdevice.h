#pragma once
#include "link/serialdevice.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace sim {

class Engine;

// A serial line to the simulated instrument, for CComPort in tests: what the program writes goes
// to the engine, what the engine sends can be read once it has arrived. Time is
// tarvex::CurrentClock(), so on the virtual clock a test runs the same way every time. The
// engine must outlive the device. One thread at a time (the link's rule).
class SimSerialDevice : public tarvex::SerialDevice {
  public:
    // Opening the line loses whatever the instrument sent while it was closed.
    SimSerialDevice(Engine& engine, int baud);
    ~SimSerialDevice() override;

    int WriteByte(unsigned char byte, int timeoutMs) override;
    int Pending() override;
    int Read(unsigned char* buffer, int limit) override;
    int Baud() const override { return m_baud; }

    // Every byte written so far (for tests).
    const std::vector<std::uint8_t>& Written() const { return m_written; }
    void ClearWritten() { m_written.clear(); }

    // The adapter is pulled: from now on every call returns -1.
    void Vanish() { m_vanished = true; }
    bool Vanished() const { return m_vanished; }

    // Called with each byte written and on destruction (the opener's bookkeeping).
    void SetObserver(std::function<void(std::uint8_t)> onWrite, std::function<void()> onClose);

  private:
    void Collect();

    Engine& m_engine;
    int m_baud;
    bool m_vanished = false;
    std::deque<std::uint8_t> m_inbox;
    std::vector<std::uint8_t> m_written;
    std::function<void(std::uint8_t)> m_onWrite;
    std::function<void()> m_onClose;
};

} // namespace sim
