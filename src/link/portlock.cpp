#include "portlock.h"

#include "systempaths.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace tarvex {
namespace {

// The PID written in a lock file; 0 when it holds none.
int ReadLockPid(const std::string& path)
{
    char text[64] = {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (n <= 0)
        return 0;
    return static_cast<int>(std::strtol(text, nullptr, 10));
}

bool ProcessAlive(int pid) { return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM); }

// Creates the lock file with this process's PID. 1 created, 0 exists, -1 cannot be written.
int CreateLockFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno == EEXIST ? 0 : -1;
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(::getpid()));
    const bool written = ::write(fd, text, static_cast<size_t>(n)) == n;
    ::close(fd);
    if (!written) {
        ::unlink(path.c_str());
        return -1;
    }
    return 1;
}

} // namespace

std::string PortLock::LockFilePath(const std::string& devicePath)
{
    std::error_code error;
    std::string device = std::filesystem::canonical(devicePath, error).string();
    if (error)
        device = devicePath;
    const std::string devRoot = CurrentSystemPaths().devRoot + "/";
    if (device.starts_with(devRoot))
        device.erase(0, devRoot.size());
    else
        device = std::filesystem::path(device).filename().string();
    for (char& c : device) {
        if (c == '/')
            c = '_';
    }
    return CurrentSystemPaths().lockDir + "/LCK.." + device;
}

bool PortLock::Acquire(const std::string& devicePath, int* ownerPid)
{
    Release();
    const std::string path = LockFilePath(devicePath);
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int created = CreateLockFile(path);
        if (created == 1) {
            m_path = path;
            return true;
        }
        if (created < 0)
            return true; // no writable lock folder: TIOCEXCL and flock still guard the port
        const int pid = ReadLockPid(path);
        if (ProcessAlive(pid)) {
            if (ownerPid)
                *ownerPid = pid;
            return false;
        }
        ::unlink(path.c_str()); // stale: its process is gone
    }
    return false;
}

void PortLock::Release()
{
    if (!m_path.empty())
        ::unlink(m_path.c_str());
    m_path.clear();
}

} // namespace tarvex
