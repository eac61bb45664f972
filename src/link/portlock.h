#pragma once
#include <string>

namespace tarvex {

// The UUCP lock file LCK..<device> that Linux serial programs (minicom, picocom, the modem
// tools) create while they hold a port: ten-column ASCII PID and a newline. The lock folder is
// writable by everyone, so a lock file is read with care: a link is never followed, a FIFO
// never waited on, and only a regular file counts as a lock that may be stale. A stale lock
// (its process gone, or empty for a second or more) is removed. Without a lock file of ours
// (no writable lock folder, a stale lock another user left in the sticky folder) the port is
// still guarded by flock and TIOCEXCL, so that is not an error.
class PortLock {
  public:
    PortLock() = default;
    ~PortLock() { Release(); }
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

    // Locks the device (a path under /dev, symbolic links followed). False when the port
    // counts as held: *ownerPid then names the live process in the lock file (0 when the lock
    // file is no regular file or is still being written), *lockFile the lock file's path.
    bool Acquire(const std::string& devicePath, int* ownerPid, std::string* lockFile);
    // Removes the lock file this object created, if it still holds our PID.
    void Release();

    // The lock file's path for a device: "/dev/ttyUSB0" -> "<lockDir>/LCK..ttyUSB0",
    // "/dev/pts/3" -> "<lockDir>/LCK..pts_3".
    static std::string LockFilePath(const std::string& devicePath);

  private:
    std::string m_path;
};

} // namespace tarvex
