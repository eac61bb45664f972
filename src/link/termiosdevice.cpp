#include "termiosdevice.h"

#include "baudrate.h"
#include "openfailure.h"
#include "terminalowner.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace tarvex {
namespace {

speed_t StandardSpeed(int baud) {
    switch (baud) {
    case 300:
        return B300;
    case 600:
        return B600;
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    case 230400:
        return B230400;
    case 460800:
        return B460800;
    case 921600:
        return B921600;
    default:
        return B0;
    }
}

// A hang-up shows as an error of the call or as POLLHUP/POLLERR without data.
bool LineHungUp(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) &&
           !(p.revents & POLLIN);
}

std::string OwningGroup(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return {};
    const group* owner = ::getgrgid(st.st_gid);
    return owner ? owner->gr_name : std::string();
}

void Fail(OpenFailure::Cause cause, const std::string& path) {
    OpenFailure& failure = LastOpenFailure();
    failure = OpenFailure{};
    failure.cause = cause;
    failure.device = path;
}

// UARTs make a rate from a clock divisor; within 2 % the line still works.
bool BaudMatches(int asked, int set) {
    return set > 0 && std::abs(set - asked) * 50 <= asked;
}

} // namespace

std::unique_ptr<SerialDevice> TermiosDevice::Open(const std::string& path, int baud) {
    if (path.empty() || baud <= 0) {
        Fail(OpenFailure::NoDevice, path);
        return nullptr;
    }
    if (const int shell = TerminalOwner(path)) {
        Fail(OpenFailure::Terminal, path);
        LastOpenFailure().ownerPid = shell;
        return nullptr;
    }
    std::unique_ptr<TermiosDevice> device(new TermiosDevice(-1, baud));
    int ownerPid = 0;
    std::string lockFile;
    if (!device->m_lock.Acquire(path, &ownerPid, &lockFile)) {
        Fail(OpenFailure::Busy, path);
        LastOpenFailure().ownerPid = ownerPid;
        LastOpenFailure().lockFile = lockFile;
        return nullptr;
    }
    device->m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (device->m_fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            Fail(OpenFailure::NoPermission, path);
            LastOpenFailure().group = OwningGroup(path);
        } else {
            Fail(error == EBUSY ? OpenFailure::Busy : OpenFailure::NoDevice, path);
        }
        return nullptr; // the destructor releases the lock file
    }
    if (!device->Lock()) {
        Fail(OpenFailure::Busy, path);
        return nullptr;
    }
    if (!device->Configure(baud)) {
        Fail(OpenFailure::Settings, path);
        LastOpenFailure().baud = baud;
        return nullptr;
    }
    return device;
}

TermiosDevice::~TermiosDevice() {
    if (m_fd < 0)
        return;
    if (m_previous)
        ::tcsetattr(m_fd, TCSANOW, &*m_previous);
    // The kernel keeps the exclusive flag of a tty whose other end stays open (a pty, a
    // device another process still holds), which would lock out the next ordinary user.
    if (m_exclusive)
        ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);
}

// TIOCEXCL keeps other programs out, but root passes it; flock keeps a second Tarvex out too.
// flock comes first: a refused open must not touch the flag of the program holding the port.
bool TermiosDevice::Lock() {
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    int alreadyExclusive = 0;
    if (::ioctl(m_fd, TIOCGEXCL, &alreadyExclusive) == 0 && alreadyExclusive)
        return true;
    if (::ioctl(m_fd, TIOCEXCL) != 0)
        return false;
    m_exclusive = true;
    return true;
}

bool TermiosDevice::Configure(int baud) {
    termios tio;
    if (::tcgetattr(m_fd, &tio) != 0)
        return false;
    m_previous = tio;
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    // Linux turns XON/XOFF on by default; it would swallow 0x11 and 0x13 inside binary replies.
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = StandardSpeed(baud);
    if (speed != B0) {
        ::cfsetispeed(&tio, speed);
        ::cfsetospeed(&tio, speed);
    }
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return false;
    if (speed == B0 && tarvex_set_baud(m_fd, baud) != 0)
        return false;
    m_baud = tarvex_get_baud(m_fd);
    return BaudMatches(baud, m_baud);
}

int TermiosDevice::WriteByte(unsigned char byte, int timeoutMs) {
    pollfd p{m_fd, POLLOUT, 0};
    const int ready = ::poll(&p, 1, timeoutMs);
    if (ready < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
        return -1;
    if (ready == 0)
        return 0;
    const ssize_t n = ::write(m_fd, &byte, 1);
    if (n == 1)
        return 1;
    return (n < 0 && (errno == EAGAIN || errno == EINTR)) ? 0 : -1;
}

int TermiosDevice::Pending() {
    int waiting = 0;
    if (::ioctl(m_fd, FIONREAD, &waiting) != 0)
        return -1;
    if (waiting == 0 && LineHungUp(m_fd))
        return -1;
    return waiting;
}

int TermiosDevice::Read(unsigned char* buffer, int limit) {
    if (limit <= 0)
        return 0;
    const ssize_t n = ::read(m_fd, buffer, static_cast<size_t>(limit));
    if (n >= 0)
        return static_cast<int>(n);
    return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
}

} // namespace tarvex
