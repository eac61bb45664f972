#include "ptyport.h"

#include "linebaud.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

std::string Errno(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

} // namespace

PtyPort::~PtyPort() {
    Unlink();
    if (m_master >= 0)
        ::close(m_master);
}

bool PtyPort::Open(std::string* error) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        *error = Errno("openpty");
        return false;
    }
    // termios calls on a pty master act on the slave's settings.
    termios settings{};
    if (::tcgetattr(master, &settings) == 0) {
        ::cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        settings.c_cc[VMIN] = 0;
        settings.c_cc[VTIME] = 0;
        ::cfsetspeed(&settings, B9600);
        ::tcsetattr(master, TCSANOW, &settings);
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::close(slave);
    m_master = master;
    m_slavePath = name;
    return true;
}

bool PtyPort::Link(const std::string& linkPath, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path path(linkPath);
    if (path.has_parent_path())
        fs::create_directories(path.parent_path(), ec);
    struct stat st {};
    if (::lstat(linkPath.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            *error = linkPath + " exists and is not a symbolic link; not replacing it";
            return false;
        }
        if (::unlink(linkPath.c_str()) != 0) {
            *error = Errno("unlink " + linkPath);
            return false;
        }
    }
    if (::symlink(m_slavePath.c_str(), linkPath.c_str()) != 0) {
        *error = Errno("symlink " + linkPath);
        return false;
    }
    m_linkPath = linkPath;
    return true;
}

void PtyPort::Unlink() {
    if (m_linkPath.empty())
        return;
    char target[512];
    const ssize_t n = ::readlink(m_linkPath.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == m_slavePath)
        ::unlink(m_linkPath.c_str());
    m_linkPath.clear();
}

bool PtyPort::PeerOpen() const {
    pollfd p{m_master, POLLIN, 0};
    if (::poll(&p, 1, 0) < 0)
        return true;
    return (p.revents & (POLLHUP | POLLERR)) == 0;
}

int PtyPort::LineBaud() const {
    return m_master >= 0 ? tarvex_sim_line_baud(m_master) : 0;
}

} // namespace sim
