#include "simrunner.h"

#include "engine.h"
#include "enginelog.h"
#include "ptyport.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <poll.h>
#include <unistd.h>

namespace sim {

namespace {

std::int64_t MonotonicNs() {
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

} // namespace

SimRunner::SimRunner(Engine& engine, PtyPort& port, int fixedBaud, bool verbose, std::FILE* log)
    : m_engine(engine), m_port(port), m_fixedBaud(fixedBaud), m_verbose(verbose), m_log(log),
      m_startNs(MonotonicNs()) {}

std::int64_t SimRunner::NowMs() const {
    return (MonotonicNs() - m_startNs) / 1'000'000;
}

void SimRunner::FollowBaud() {
    if (m_fixedBaud > 0)
        return;
    const int baud = m_port.LineBaud();
    if (baud > 0 && baud != m_lineBaud) {
        m_lineBaud = baud;
        m_engine.SetBaud(baud);
        if (m_verbose) {
            std::fprintf(m_log, "[%10.3f] -- line set to %d baud\n", NowMs() / 1000.0, baud);
            std::fflush(m_log);
        }
    }
}

void SimRunner::ReadCommands() {
    std::uint8_t buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_port.Master(), buffer, sizeof buffer);
        if (n <= 0)
            return; // EAGAIN: all read; EIO: nobody has the slave open
        FollowBaud();
        if (m_verbose) {
            std::fprintf(m_log, "[%10.3f] .. read %zd: %s\n", NowMs() / 1000.0, n,
                         HexBytes({buffer, buffer + n}).c_str());
            std::fflush(m_log);
        }
        m_engine.Receive(buffer, static_cast<std::size_t>(n), NowMs());
    }
}

void SimRunner::WriteReplies() {
    const std::vector<std::uint8_t> due = m_engine.TakeDue(NowMs());
    if (due.empty())
        return;
    std::size_t done = 0;
    if (m_peerOpen) {
        while (done < due.size()) {
            const ssize_t n = ::write(m_port.Master(), due.data() + done, due.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN) {
                // The slave's queue is full (the program does not read): wait for room briefly.
                pollfd p{m_port.Master(), POLLOUT, 0};
                if (::poll(&p, 1, 100) > 0 && (p.revents & POLLOUT))
                    continue;
            }
            break;
        }
        if (m_verbose && done > 0) {
            std::fprintf(
                m_log, "[%10.3f] .. wrote %zu: %s\n", NowMs() / 1000.0, done,
                HexBytes({due.begin(), due.begin() + static_cast<std::ptrdiff_t>(done)}).c_str());
        }
    }
    if (done < due.size())
        std::fprintf(m_log, "[%10.3f] -- %zu reply bytes lost: no program has the port open\n",
                     NowMs() / 1000.0, due.size() - done);
    std::fflush(m_log);
}

int SimRunner::Run(const volatile std::sig_atomic_t* stop, const sigset_t* waitMask) {
    constexpr std::int64_t kIdleMs = 1000;
    constexpr std::int64_t kHangupLookMs = 10;
    while (!*stop) {
        const bool open = m_port.PeerOpen();
        if (open != m_peerOpen) {
            m_peerOpen = open;
            if (m_verbose) {
                std::fprintf(m_log, "[%10.3f] -- %s\n", NowMs() / 1000.0,
                             open ? "program opened the port" : "port closed by the program");
                std::fflush(m_log);
            }
            if (open)
                FollowBaud();
        }
        const std::int64_t now = NowMs();
        const std::int64_t next = m_engine.NextDueMs();
        std::int64_t wait = next < 0 ? kIdleMs : std::clamp<std::int64_t>(next - now, 0, kIdleMs);
        pollfd p{m_port.Master(), POLLIN, 0};
        nfds_t count = 1;
        if (!m_peerOpen) {
            // A hung-up master polls ready at once; look again shortly instead of spinning.
            count = 0;
            wait = std::min(wait, kHangupLookMs);
        }
        const timespec timeout{static_cast<time_t>(wait / 1000),
                               static_cast<long>(wait % 1000) * 1'000'000};
        const int ready = ::ppoll(count ? &p : nullptr, count, &timeout, waitMask);
        if (ready < 0 && errno != EINTR)
            return 1;
        if (*stop)
            break;
        ReadCommands(); // also after a hang-up: bytes written just before the close still count
        WriteReplies();
    }
    return 0;
}

} // namespace sim
