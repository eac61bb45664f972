#include "portlock.h"

#include "systempaths.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvex {
namespace {

// A lock file as found. Opening never follows a link and never waits on a FIFO.
struct LockContent {
    bool regular = false; // only a regular file can be a lock that is stale
    bool young = false;   // changed less than a second ago: maybe still being written
    bool empty = true;    // nothing could be read from it
    int pid = 0;          // the PID written in it
};

bool ChangedInTheLastSecond(const struct stat& st) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const long long ageNs =
        (now.tv_sec - st.st_mtim.tv_sec) * 1'000'000'000LL + (now.tv_nsec - st.st_mtim.tv_nsec);
    return ageNs < 1'000'000'000LL;
}

// Nothing when the file is gone.
std::optional<LockContent> ReadLock(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    LockContent content{S_ISREG(st.st_mode), ChangedInTheLastSecond(st)};
    if (!content.regular)
        return content;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return content; // another user's unreadable lock
    char text[64] = {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        content.empty = ::read(fd, text, sizeof text - 1) <= 0;
        content.pid = static_cast<int>(std::strtol(text, nullptr, 10));
    } else {
        content.regular = false; // swapped for something else since the lstat
    }
    ::close(fd);
    return content;
}

bool ProcessAlive(int pid) {
    return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

// Creates the lock file with this process's PID. 1 created, 0 exists, -1 cannot be written.
int CreateLockFile(const std::string& path) {
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

std::string PortLock::LockFilePath(const std::string& devicePath) {
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

bool PortLock::Acquire(const std::string& devicePath, int* ownerPid, std::string* lockFile) {
    Release();
    const std::string path = LockFilePath(devicePath);
    *ownerPid = 0;
    *lockFile = path;
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int created = CreateLockFile(path);
        if (created == 1) {
            m_path = path;
            return true;
        }
        if (created < 0)
            return true; // no writable lock folder: flock and TIOCEXCL still guard the port
        const std::optional<LockContent> lock = ReadLock(path);
        if (!lock)
            continue; // removed meanwhile
        if (!lock->regular || (lock->empty && lock->young))
            return false;
        if (ProcessAlive(lock->pid)) {
            *ownerPid = lock->pid;
            return false;
        }
        // Stale. One that cannot be removed (another user's, in the sticky folder) must not
        // lock the port out for good; flock and TIOCEXCL still guard it.
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            return true;
    }
    return false;
}

void PortLock::Release() {
    // Someone may have removed ours and another program locked the port since.
    const std::optional<LockContent> lock = m_path.empty() ? std::nullopt : ReadLock(m_path);
    if (lock && lock->regular && lock->pid == ::getpid())
        ::unlink(m_path.c_str());
    m_path.clear();
}

} // namespace tarvex
