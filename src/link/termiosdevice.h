#pragma once
#include "portlock.h"
#include "serialdevice.h"

#include <optional>
#include <termios.h>

namespace tarvex {

// A tty opened in raw mode for the instrument as a freshly booted Windows driver has a port:
// 8 data bits, no parity, 1 stop bit, no hardware or software flow control (Linux keeps what
// the previous program set); receiver on, modem lines ignored. The settings found at opening
// come back at closing.
class TermiosDevice : public SerialDevice {
  public:
    // nullptr when the device cannot be opened, is in use, is a pseudo-terminal that some
    // process has as its terminal, or refuses the settings (the baud rate read back
    // included); LastOpenFailure() then says why. A failed open leaves
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
    bool m_exclusive = false; // TIOCEXCL set by us, so ours to clear
    std::optional<termios> m_previous;
    PortLock m_lock;
};

} // namespace tarvex
