#pragma once
#include <string>

namespace tarvex {

// The UUCP lock file LCK..<device> that Linux serial programs (minicom, picocom, the modem
// tools) create while they hold a port: ten-column ASCII PID and a newline. A lock whose
// process is gone is stale and removed. Without a writable lock folder the port is still
// guarded by TIOCEXCL and flock, so no lock file is not an error.
class PortLock {
public:
    PortLock() = default;
    ~PortLock() { Release(); }
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    // Locks the device (a path under /dev, symbolic links followed). False when a live process
    // holds it; ownerPid then names that process.
    bool Acquire(const std::string& devicePath, int* ownerPid);
    // Removes the lock file this object created, if any.
    void Release();

    // The lock file's path for a device: "/dev/ttyUSB0" -> "<lockDir>/LCK..ttyUSB0",
    // "/dev/pts/3" -> "<lockDir>/LCK..pts_3".
    static std::string LockFilePath(const std::string& devicePath);

private:
    std::string m_path;
};

} // namespace tarvex
