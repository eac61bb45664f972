// The tarvex-sim program over a real pseudo-terminal: started as a child process with its own
// port folder, opened through the link it makes, as the program opens a port.
#include "link/portlock.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const Bytes kConnect{0xAA, 0x55, 0xD0, 0x0D, 0x0A};
const Bytes kHandshake{0x55, 0xAA, 0xD0, 0xFD, 0xFA};

std::int64_t MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// The programs under test: the copies the unprivileged CI pass names, or those of this build.
std::string ProgramPath(const char* variable, const char* built) {
    const char* copy = std::getenv(variable);
    return copy ? copy : built;
}

// A temporary folder, removed at the end.
struct TempDir {
    TempDir() {
        char pattern[] = "/tmp/tarvex-simtest.XXXXXX";
        path = ::mkdtemp(pattern);
    }
    ~TempDir() { fs::remove_all(path); }
    std::string path;
};

// tarvex-sim (or another program) as a child process with XDG_CONFIG_HOME set, stdout and stderr
// read through a pipe.
class SimProcess {
  public:
    ~SimProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_out >= 0)
            ::close(m_out);
    }

    bool Start(const std::string& configHome, std::vector<std::string> args,
               const std::string& program = ProgramPath("TARVEX_SIM_PROGRAM", TARVEX_SIM_PROGRAM)) {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0)
            return false;
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "XDG_CONFIG_HOME=", 16) != 0 &&
                std::strncmp(*e, "XDG_DATA_HOME=", 14) != 0)
                env.emplace_back(*e);
        env.push_back("XDG_CONFIG_HOME=" + configHome);
        env.push_back("XDG_DATA_HOME=" + configHome);           // the results archive
        env.insert(env.begin(), "ASAN_OPTIONS=detect_leaks=0"); // Qt's caches live to the end
        args.insert(args.begin(), program);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        const int rc = ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        m_out = pipeFds[0];
        if (rc != 0)
            m_pid = -1;
        return rc == 0;
    }

    // Reads output until a line starts with prefix (returned without its newline), or the
    // timeout passes or the output ends ("").
    std::string WaitForLine(const std::string& prefix, int timeoutMs) {
        const auto start = Clock::now();
        for (;;) {
            std::size_t lineStart = 0;
            for (std::size_t nl; (nl = m_text.find('\n', lineStart)) != std::string::npos;
                 lineStart = nl + 1)
                if (m_text.compare(lineStart, prefix.size(), prefix) == 0)
                    return m_text.substr(lineStart, nl - lineStart);
            const std::int64_t left = timeoutMs - MsSince(start);
            if (left <= 0 || !ReadSome(static_cast<int>(left)))
                return "";
        }
    }

    // Reads output until it contains text; false when the timeout passes first.
    bool WaitForText(const std::string& text, int timeoutMs) {
        const auto start = Clock::now();
        while (m_text.find(text) == std::string::npos) {
            const std::int64_t left = timeoutMs - MsSince(start);
            if (left <= 0 || !ReadSome(static_cast<int>(left)))
                return false;
        }
        return true;
    }

    // Reads everything until the output ends (the process exits) and returns its exit status.
    int WaitForExit(int timeoutMs) {
        const auto start = Clock::now();
        while (MsSince(start) < timeoutMs &&
               ReadSome(static_cast<int>(timeoutMs - MsSince(start)))) {
        }
        int status = 0;
        for (int i = 0; i < 100 && ::waitpid(m_pid, &status, WNOHANG) == 0; ++i)
            ::usleep(20000);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    int Stop(int signal = SIGTERM) {
        ::kill(m_pid, signal);
        return WaitForExit(5000);
    }

    const std::string& Output() const { return m_text; }

  private:
    bool ReadSome(int timeoutMs) {
        pollfd p{m_out, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0)
            return false;
        char buffer[4096];
        const ssize_t n = ::read(m_out, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        m_text.append(buffer, static_cast<std::size_t>(n));
        return true;
    }

    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_text;
};

// Whether a program holds the tty with its exclusive flag (an ordinary user cannot open it then).
bool HeldExclusively(const std::string& tty) {
    const int fd = ::open(tty.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return errno == EBUSY;
    int exclusive = 0;
    ::ioctl(fd, TIOCGEXCL, &exclusive);
    ::close(fd);
    return exclusive != 0;
}

// The port as the program opens it: raw, non-blocking, at a baud rate.
int OpenPort(const std::string& path, speed_t speed = B9600) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    termios t{};
    ::tcgetattr(fd, &t);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, speed);
    ::tcsetattr(fd, TCSANOW, &t);
    return fd;
}

void Send(int fd, const Bytes& bytes) {
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// Reads until the bytes end with FD FA, or nothing more comes within quietMs.
Bytes ReadReply(int fd, int quietMs) {
    Bytes got;
    for (;;) {
        if (got.size() >= 5 && got[got.size() - 2] == 0xFD && got.back() == 0xFA)
            return got;
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, quietMs) <= 0)
            return got;
        std::uint8_t buffer[4096];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return got;
        got.insert(got.end(), buffer, buffer + n);
    }
}

class SimProgram : public ::testing::Test {
  protected:
    // Starts the program and returns its link path; the device line is checked on the way.
    std::string StartSim(std::vector<std::string> args, const std::string& port = "COM1") {
        if (!sim.Start(home.path, std::move(args)))
            return "";
        const std::string line = sim.WaitForLine("device ", 10000);
        const std::string link = ports + "/" + port;
        const std::string middle = " linked as ";
        const auto at = line.find(middle);
        if (at == std::string::npos) {
            ADD_FAILURE() << "no device line in: " << sim.Output();
            return "";
        }
        slave = line.substr(7, at - 7);
        EXPECT_EQ(line.substr(at + middle.size()), link);
        EXPECT_EQ(fs::read_symlink(link).string(), slave);
        return link;
    }

    TempDir home;
    std::string ports = home.path + "/tarvex/ports";
    SimProcess sim;
    std::string slave;
};

TEST_F(SimProgram, HelpExplainsEveryOption) {
    ASSERT_TRUE(sim.Start(home.path, {"--help"}));
    EXPECT_EQ(sim.WaitForExit(10000), 0);
    for (const char* option : {"--port",
                               "--baud",
                               "--reply-delay-ms",
                               "--model",
                               "--type",
                               "--range",
                               "--test-ms",
                               "--points",
                               "--ct-ratio",
                               "--ct-knee",
                               "--ct-burden",
                               "--ct-rated-burden",
                               "--resistance",
                               "--pt-ratio",
                               "--pt-knee",
                               "--pt-burden",
                               "--pt-rated-burden",
                               "--class",
                               "--reverse-polarity",
                               "--fault",
                               "--fault-codes",
                               "--fault-times",
                               "--late-margin-ms",
                               "--split-gap-ms",
                               "--noise",
                               "--overrun",
                               "--verbose",
                               "--help"})
        EXPECT_NE(sim.Output().find(option), std::string::npos) << option;
    EXPECT_FALSE(fs::exists(ports)); // --help touches nothing
}

TEST_F(SimProgram, BadOptionsAreRefused) {
    for (std::vector<std::string> args : {std::vector<std::string>{"--bogus"},
                                          {"--fault", "sometimes"},
                                          {"--port", "LPT1"},
                                          {"--fault-codes", "1A"},
                                          {"--points"}}) {
        SimProcess p;
        ASSERT_TRUE(p.Start(home.path, args));
        EXPECT_EQ(p.WaitForExit(10000), 2) << args[0];
        EXPECT_NE(p.Output().find("tarvex-sim: "), std::string::npos) << p.Output();
    }
}

TEST_F(SimProgram, BothProgramsTellTheirVersionAndRefuseUnknownOptions) {
    const std::string tarvex = ProgramPath("TARVEX_PROGRAM", TARVEX_PROGRAM);
    const std::string simulator = ProgramPath("TARVEX_SIM_PROGRAM", TARVEX_SIM_PROGRAM);
    struct Case {
        std::string program;
        std::string option;
        int status;
        std::string text;
    };
    for (const Case& c : {Case{tarvex, "--version", 0, "tarvex " TARVEX_VERSION "\n"},
                          Case{simulator, "--version", 0, "tarvex-sim " TARVEX_VERSION "\n"},
                          Case{tarvex, "--help", 0, "--trace <FILE>"},
                          Case{tarvex, "--bogus", 2, "tarvex: Unknown option 'bogus'"},
                          Case{tarvex, "--trace", 2, "tarvex: Missing value after '--trace'"}}) {
        SimProcess p;
        ASSERT_TRUE(p.Start(home.path, {c.option}, c.program));
        EXPECT_EQ(p.WaitForExit(30000), c.status) << c.program << " " << c.option;
        EXPECT_NE(p.Output().find(c.text), std::string::npos) << p.Output();
    }
}

TEST_F(SimProgram, HandshakeOverThePtyAcrossCloseAndReopen) {
    const std::string link = StartSim({});
    ASSERT_FALSE(link.empty());
    for (int round = 0; round < 3; ++round) {
        const int fd = OpenPort(link);
        ASSERT_GE(fd, 0) << std::strerror(errno);
        Send(fd, kConnect);
        EXPECT_EQ(ReadReply(fd, 2000), kHandshake) << "round " << round;
        ::close(fd);
        ::usleep(50000);
    }
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << "the link must go with the simulator";
    EXPECT_NE(sim.Output().find("<- D0 Connect: AA 55 D0 0D 0A"), std::string::npos)
        << sim.Output();
    EXPECT_NE(sim.Output().find("-> D0 handshake: 55 AA D0 FD FA"), std::string::npos)
        << sim.Output();
}

TEST_F(SimProgram, ReplacesAStaleLinkButNothingElse) {
    fs::create_directories(ports);
    fs::create_symlink("/nonexistent/pts/99", ports + "/COM3");
    const std::string link = StartSim({"--port", "com3", "--model", "AC"}, "COM3");
    ASSERT_FALSE(link.empty());
    const int fd = OpenPort(link);
    ASSERT_GE(fd, 0);
    Send(fd, {0xAA, 0x55, 0xE0, 0x0D, 0x0A});
    EXPECT_EQ(ReadReply(fd, 2000), (Bytes{0x55, 0xAA, 0xE0, 0xAC, 0xA1, 0xA1, 0xFD, 0xFA}));
    ::close(fd);
    EXPECT_EQ(sim.Stop(SIGINT), 0); // Ctrl+C stops it as cleanly as SIGTERM
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));

    std::ofstream(ports + "/COM2") << "not a link";
    SimProcess refused;
    ASSERT_TRUE(refused.Start(home.path, {"--port", "2"}));
    EXPECT_EQ(refused.WaitForExit(10000), 1);
    EXPECT_NE(refused.Output().find("not a symbolic link"), std::string::npos) << refused.Output();
    EXPECT_TRUE(fs::is_regular_file(ports + "/COM2"));
}

TEST_F(SimProgram, RepliesDueWhileThePortIsClosedAreLostNotQueued) {
    const std::string link = StartSim({"--test-ms", "200"});
    ASSERT_FALSE(link.empty());
    int fd = OpenPort(link);
    ASSERT_GE(fd, 0);
    Send(fd, {0xAA, 0x55, 0xEC, 0x1A, 0x0D, 0x0A, 0xAA, 0x55, 0xEB, 0x0D, 0x0A});
    ASSERT_TRUE(sim.WaitForText("<- EB StartTest", 5000)) << sim.Output();
    ::close(fd);
    ::usleep(600000); // 55 AA EB FD FA falls due meanwhile
    fd = OpenPort(link);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(ReadReply(fd, 300).empty());
    // The test did finish: its result is there for 0xF6.
    Send(fd, {0xAA, 0x55, 0xF6, 0x0D, 0x0A});
    const Bytes result = ReadReply(fd, 2000);
    ASSERT_EQ(result.size(), 3u + 5 + 4 * 30 + 2);
    EXPECT_EQ(result[2], 0x1A);
    ::close(fd);
    EXPECT_EQ(sim.Stop(), 0);
}

TEST_F(SimProgram, PacingFollowsTheBaudRateTheProgramSets) {
    const std::string link = StartSim({"--test-ms", "50", "--points", "255"});
    ASSERT_FALSE(link.empty());
    const int fd = OpenPort(link, B9600);
    ASSERT_GE(fd, 0);
    Send(fd, {0xAA, 0x55, 0xEC, 0x1A, 0x0D, 0x0A, 0xAA, 0x55, 0xEB, 0x0D, 0x0A});
    EXPECT_EQ(ReadReply(fd, 2000), (Bytes{0x55, 0xAA, 0xEB, 0xFD, 0xFA}));

    auto start = Clock::now();
    Send(fd, {0xAA, 0x55, 0xF6, 0x0D, 0x0A});
    EXPECT_EQ(ReadReply(fd, 1000).size(), 1030u);
    EXPECT_GE(MsSince(start), 1070); // 1030 bytes × 10 bits at 9600 baud, plus the reply delay

    termios t{};
    ::tcgetattr(fd, &t);
    ::cfsetspeed(&t, B115200);
    ::tcsetattr(fd, TCSANOW, &t);
    start = Clock::now();
    Send(fd, {0xAA, 0x55, 0xF6, 0x0D, 0x0A});
    EXPECT_EQ(ReadReply(fd, 1000).size(), 1030u);
    EXPECT_LT(MsSince(start), 700); // 89 ms on the line
    ::close(fd);
    EXPECT_EQ(sim.Stop(), 0);
}

// A desktop session ending (SIGTERM), its terminal closing (SIGHUP) and Ctrl+C (SIGINT) end the
// program as 退出 does: the port closed, its lock removed, exit status 0. The simulator leaves
// with its link on SIGHUP too, so the next terminal's pty is never taken for the instrument.
TEST_F(SimProgram, SignalsEndTheProgramAsExitDoesAndAHangUpEndsTheSimulator) {
    const std::string link = StartSim({});
    ASSERT_FALSE(link.empty());
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SimProcess program;
        ASSERT_TRUE(program.Start(home.path, {}, ProgramPath("TARVEX_PROGRAM", TARVEX_PROGRAM)));
        for (int i = 0; i < 3000 && !HeldExclusively(slave); ++i)
            ::usleep(10000);
        ASSERT_TRUE(HeldExclusively(slave)) << program.Output();
        EXPECT_EQ(program.Stop(signal), 0) << signal << program.Output();
        EXPECT_FALSE(HeldExclusively(slave));
        EXPECT_FALSE(fs::exists(fs::symlink_status(tarvex::PortLock::LockFilePath(slave))));
    }
    EXPECT_EQ(sim.Stop(SIGHUP), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

} // namespace
