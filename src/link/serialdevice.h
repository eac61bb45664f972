#pragma once
#include <functional>
#include <memory>
#include <string>

namespace tarvex {

// One opened serial line. CComPort holds one; the real one is a termios device, tests plug in
// a simulated instrument behind the same calls.
class SerialDevice {
  public:
    virtual ~SerialDevice() = default;
    // Writes one byte, waiting at most timeoutMs for the line. 1 written, 0 not written in time,
    // -1 the device is gone (hang-up, adapter pulled).
    virtual int WriteByte(unsigned char byte, int timeoutMs) = 0;
    // Bytes received and waiting; -1 when the device is gone.
    virtual int Pending() = 0;
    // Reads at most limit waiting bytes without waiting; count read, -1 when the device is gone.
    virtual int Read(unsigned char* buffer, int limit) = 0;
    // The baud rate the driver really set.
    virtual int Baud() const = 0;
    // True once the device has gone away (hang-up or I/O error); never waits.
    virtual bool HungUp() { return Pending() < 0; }
};

// Opens the device behind a port name ("COM1", "\\.\COM10") at a baud rate with 8 data bits;
// nullptr when it cannot be opened or set up.
using SerialOpener =
    std::function<std::unique_ptr<SerialDevice>(const std::string& name, int baud)>;

// The opener CComPort uses: the termios one unless a test installed another (nullptr restores).
SerialOpener& CurrentSerialOpener();
void SetSerialOpener(SerialOpener opener);

} // namespace tarvex
