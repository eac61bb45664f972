#pragma once
#include "portlock.h"
#include "serialdevice.h"

namespace tarvex {

// A tty opened in raw mode for the instrument: 8 data bits, receiver on, modem lines ignored,
// no software flow control; parity, stop bits and hardware flow control as the driver has them.
class TermiosDevice : public SerialDevice {
public:
    // nullptr when the device cannot be opened, is in use, or refuses the settings (the
    // baud rate read back included); LastOpenFailure() then says why. A failed open leaves
    // nothing behind: no descriptor, no lock, no exclusive flag.
    static std::unique_ptr<SerialDevice> Open(const std::string& path, int baud);
    ~TermiosDevice() override;

    int WriteByte(unsigned char byte, int timeoutMs) override;
    int Pending() override;
    int Read(unsigned char* buffer, int limit) override;
    int Baud() const override { return m_baud; }

private:
    TermiosDevice(int fd, int baud) : m_fd(fd), m_baud(baud) {}
    bool Lock();
    bool Configure(int baud);

    int m_fd;
    int m_baud;
    bool m_exclusive = false;
    PortLock m_lock;
};

} // namespace tarvex
