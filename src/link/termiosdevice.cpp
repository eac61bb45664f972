#include "termiosdevice.h"

#include "baudrate.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace tarvex {
namespace {

speed_t StandardSpeed(int baud)
{
    switch (baud) {
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    case 460800: return B460800;
    case 921600: return B921600;
    default: return B0;
    }
}

// A hang-up shows as an error of the call or as POLLHUP/POLLERR without data.
bool HungUp(int fd)
{
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) &&
           !(p.revents & POLLIN);
}

} // namespace

std::unique_ptr<SerialDevice> TermiosDevice::Open(const std::string& path, int baud)
{
    if (path.empty() || baud <= 0)
        return nullptr;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    std::unique_ptr<TermiosDevice> device(new TermiosDevice(fd, baud));
    if (!device->Configure(baud))
        return nullptr; // the destructor closes the descriptor
    return device;
}

TermiosDevice::~TermiosDevice()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TermiosDevice::Configure(int baud)
{
    // TIOCEXCL keeps other programs out; root passes it, so a lock keeps a second Tarvex out too.
    if (::ioctl(m_fd, TIOCEXCL) != 0 || ::flock(m_fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    termios tio;
    if (::tcgetattr(m_fd, &tio) != 0)
        return false;
    const tcflag_t keep = tio.c_cflag & (PARENB | PARODD | CSTOPB | CRTSCTS);
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD | keep;
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
    return m_baud > 0;
}

int TermiosDevice::WriteByte(unsigned char byte, int timeoutMs)
{
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

int TermiosDevice::Pending()
{
    int waiting = 0;
    if (::ioctl(m_fd, FIONREAD, &waiting) != 0)
        return -1;
    if (waiting == 0 && HungUp(m_fd))
        return -1;
    return waiting;
}

int TermiosDevice::Read(unsigned char* buffer, int limit)
{
    if (limit <= 0)
        return 0;
    const ssize_t n = ::read(m_fd, buffer, static_cast<size_t>(limit));
    if (n >= 0)
        return static_cast<int>(n);
    return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
}

} // namespace tarvex
