#pragma once
#include "link/serialdevice.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sim {

class Engine;
class SimSerialDevice;

// Puts the simulated instrument behind one port name for as long as it lives: installs a
// SerialOpener that opens a SimSerialDevice on the engine for that name ("COM1"; the
// device-namespace form "\\.\COM10" matches "COM10") and fails for every other name, and
// remembers every name and baud rate asked for. The previous opener is restored on destruction.
// The engine must outlive it and every device it opened. Any thread.
class ScopedSimPort {
  public:
    struct Request {
        std::string name;
        int baud = 0;
        bool opened = false;
    };

    explicit ScopedSimPort(Engine& engine, std::string portName = "COM1");
    ~ScopedSimPort();
    ScopedSimPort(const ScopedSimPort&) = delete;
    ScopedSimPort& operator=(const ScopedSimPort&) = delete;

    // While false, opening fails for the port name too (the port is busy or missing).
    void SetAvailable(bool available);

    std::vector<Request> Requests() const;
    // The device now open (nullptr when the program holds none): to Vanish() it, say.
    SimSerialDevice* Device() const;
    // Every byte written through any device opened here, in order.
    std::vector<std::uint8_t> Written() const;
    void ClearWritten();

  private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    tarvex::SerialOpener m_previous;
};

} // namespace sim
