#pragma once
#include "openfailure.h"
#include "serialdevice.h"

#include <memory>

// One serial port of the PC. Reads never wait: they return what the driver already holds, and
// the protocol layer decides how long to sleep before reading. GUI thread or the upload worker,
// one at a time (the link is never used by two threads at once).
class CComPort {
  public:
    CComPort() = default;
    virtual ~CComPort();
    CComPort(const CComPort&) = delete;
    CComPort& operator=(const CComPort&) = delete;

    // Opens COMn at baud with 8 data bits. 1 open (also when it already was: the old settings
    // stay), 0 failed; a failed set-up leaves nothing open, so the next Open starts afresh.
    int Open(int port, int baud);
    // Returns 1 always; closing a closed port changes nothing.
    int Close();
    // Writes one byte, waiting at most 1000 ms for the line; a byte not written in time is
    // lost. Returns 1 always.
    int WriteByte(unsigned char byte);
    // 0 when closed, else len (each byte is tried, none is retried).
    int Write(const unsigned char* bytes, int len);
    // Received bytes waiting; 0 when closed.
    int PendingIn();
    // Reads at most limit waiting bytes without waiting; 0 when closed or nothing waits.
    int Read(void* buffer, int limit);

    bool IsPortOpen() const { return m_bOpen != 0; }
    // The baud rate the driver really set; 0 when closed.
    int ActualBaud() const;

    // Looks whether the device has gone away without waiting, and closes the port if so.
    // True while the port is open.
    bool CheckLine();
    // True when the port was closed because its device went away (until the next open or close).
    bool DeviceWasLost() const { return m_bDeviceLost; }
    // Opens again, at the same baud rate, the port whose device went away, once the device is
    // back. 1 when it is open again; 0 while it is still missing, or when the port was not lost
    // (a port the operator closed stays closed).
    int ReopenLost();
    // The port and baud rate of the latest successful Open.
    int PortNumber() const { return m_nPort; }
    int PortBaud() const { return m_nBaud; }
    // Why the latest Open failed.
    const tarvex::OpenFailure& LastFailure() const { return m_openFailure; }

  private:
    // The device vanished (adapter pulled, other end gone): from now on the port is closed.
    void DeviceLost();

    std::unique_ptr<tarvex::SerialDevice> m_hPort;
    int m_bOpen = 0;
    bool m_bDeviceLost = false;
    int m_nPort = 0;
    int m_nBaud = 0;
    tarvex::OpenFailure m_openFailure;
};
