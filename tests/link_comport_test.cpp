#include "comname.h"
#include "comport.h"
#include "portlock.h"
#include "systempaths.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A pseudo-terminal linked as COM1 in a private port folder.
class PtyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        char name[256];
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        termios raw;
        ::tcgetattr(master, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(master, TCSANOW, &raw);
        std::filesystem::create_directories(tarvex::PortFolder());
        std::filesystem::create_symlink(name, tarvex::PortFolder() + "/COM1");
        device = name;
        tarvex::SystemPaths paths;
        paths.lockDir = dir.path().toStdString() + "/lock";
        std::filesystem::create_directories(paths.lockDir);
        tarvex::SetSystemPaths(paths);
    }
    void TearDown() override {
        tarvex::SetSystemPaths({});
        if (master >= 0)
            ::close(master);
        if (slave >= 0)
            ::close(slave);
        qunsetenv("XDG_CONFIG_HOME");
    }
    // Waits until the port has `count` bytes (the tty hands them over shortly after a write).
    void WaitPending(CComPort& port, int count) {
        for (int i = 0; i < 200 && port.PendingIn() < count; ++i)
            ::usleep(1000);
    }
    std::vector<unsigned char> ReadMaster(size_t count) {
        std::vector<unsigned char> got;
        while (got.size() < count) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, 1000) != 1)
                break;
            unsigned char b[64];
            const ssize_t n = ::read(master, b, sizeof b);
            if (n <= 0)
                break;
            got.insert(got.end(), b, b + n);
        }
        return got;
    }

    std::string LockFile() const { return tarvex::PortLock::LockFilePath(device); }

    QTemporaryDir dir;
    std::string device;
    int master = -1;
    int slave = -1;
};

} // namespace

TEST(ComName, PortsUpToNineUseThePlainNameAndLaterOnesTheDeviceNamespace) {
    EXPECT_EQ(tarvex::ComDeviceName(1), "COM1");
    EXPECT_EQ(tarvex::ComDeviceName(9), "COM9");
    EXPECT_EQ(tarvex::ComDeviceName(10), "\\\\.\\COM10");
    EXPECT_EQ(tarvex::ComDeviceName(10).size(), 9u); // \\.\COM10: two backslashes, dot, backslash
}

TEST(ComName, UnknownNamesResolveToNothing) {
    for (const char* name : {"", "COM", "COM0", "LPT1", "COMX", "\\\\.\\", "COM1a"})
        EXPECT_EQ(tarvex::ResolveComDevice(name), "") << name;
}

TEST_F(PtyTest, TheLinkInThePortFolderComesFirst) {
    EXPECT_EQ(tarvex::ResolveComDevice("COM1"), tarvex::PortFolder() + "/COM1");
    std::filesystem::create_symlink(tarvex::PortFolder() + "/COM1",
                                    tarvex::PortFolder() + "/COM10");
    EXPECT_EQ(tarvex::ResolveComDevice("\\\\.\\COM10"), tarvex::PortFolder() + "/COM10");
}

TEST_F(PtyTest, EveryBaudRateOfThePortDialogIsSetOnTheDevice) {
    for (int baud :
         {300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 43000, 56000, 57600, 115200, 256000}) {
        CComPort port;
        ASSERT_EQ(port.Open(1, baud), 1) << baud;
        EXPECT_EQ(port.ActualBaud(), baud);
    }
}

TEST_F(PtyTest, OpenOnAnOpenPortKeepsTheOldBaudRate) {
    CComPort port;
    ASSERT_EQ(port.Open(1, 9600), 1);
    EXPECT_EQ(port.Open(1, 115200), 1);
    EXPECT_EQ(port.ActualBaud(), 9600);
}

// Run as an ordinary user too: the kernel keeps a pty's exclusive flag after close unless it
// is cleared, and only root passes it.
TEST_F(PtyTest, ThePortIsExclusiveAndLockedWhileOpenAndFreeAfterClose) {
    CComPort first, second;
    ASSERT_EQ(first.Open(1, 9600), 1);
    std::ifstream lock(LockFile());
    int pid = 0;
    EXPECT_TRUE(lock >> pid) << LockFile();
    EXPECT_EQ(pid, ::getpid());
    EXPECT_EQ(second.Open(1, 9600), 0);
    EXPECT_EQ(second.LastFailure().cause, tarvex::OpenFailure::Busy);
    std::filesystem::remove(LockFile()); // as with no lock folder: flock refuses the second
    EXPECT_EQ(second.Open(1, 9600), 0);
    int exclusive = 0;
    EXPECT_EQ(::ioctl(slave, TIOCGEXCL, &exclusive), 0);
    EXPECT_TRUE(exclusive) << "a refused open took the holder's exclusive flag away";
    std::ofstream(LockFile()) << std::setw(10) << ::getppid() << "\n"; // another program's lock
    first.Close();
    EXPECT_TRUE(std::filesystem::exists(LockFile())) << "closing removed another program's lock";
    std::filesystem::remove(LockFile());
    EXPECT_EQ(second.Open(1, 9600), 1);
    second.Close();
    const int again = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    EXPECT_GE(again, 0) << "exclusive flag left on the tty: " << std::strerror(errno);
    ::close(again);
}

TEST_F(PtyTest, AStaleLockIsRemovedAndALiveOneRefusesNamingItsProcess) {
    pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0); // a process that is surely gone
    struct Case {
        int pidInFile;
        bool opens;
    };
    for (const Case c : {Case{child, true}, Case{int(::getppid()), false}, Case{0, true}}) {
        std::ofstream(LockFile()) << std::setw(10) << c.pidInFile << "\n";
        CComPort port;
        EXPECT_EQ(port.Open(1, 9600), c.opens ? 1 : 0) << c.pidInFile;
        if (!c.opens) {
            EXPECT_EQ(port.LastFailure().ownerPid, c.pidInFile);
            EXPECT_TRUE(port.LastFailure().Text().contains(QString::number(c.pidInFile)));
            EXPECT_TRUE(std::filesystem::exists(LockFile())); // another program's lock stays
        }
        port.Close();
        std::filesystem::remove(LockFile());
    }
}

// The lock folder is writable by everyone. What another user plants there must not hang the
// program (a FIFO), be followed (a link), or lock the port out for good (a stale lock that
// cannot be removed); an empty lock under a second old is being written by its program.
TEST_F(PtyTest, PlantedLockFilesNeitherHangNorMisleadNorLockThePortOutForGood) {
    namespace fs = std::filesystem;
    const std::string lock = LockFile();
    const fs::path folder = fs::path(lock).parent_path();
    const auto empty = [](const std::string& p, int ageSeconds) {
        std::ofstream{p};
        fs::last_write_time(p, fs::file_time_type::clock::now() - std::chrono::seconds(ageSeconds));
    };
    enum Plant { Fifo, LinkToOldEmpty, YoungEmpty, OldEmpty, StaleInAFolderWeMayNotWrite };
    for (Plant plant : {Fifo, LinkToOldEmpty, YoungEmpty, OldEmpty, StaleInAFolderWeMayNotWrite}) {
        switch (plant) {
        case Fifo:
            ::mkfifo(lock.c_str(), 0666);
            break;
        case LinkToOldEmpty:
            empty(lock + ".target", 5);
            fs::create_symlink(lock + ".target", lock);
            break;
        case YoungEmpty:
            empty(lock, 0);
            break;
        case OldEmpty:
            empty(lock, 5);
            break;
        case StaleInAFolderWeMayNotWrite:
            empty(lock, 5);
            fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
            break;
        }
        CComPort port;
        const bool opens = plant >= OldEmpty;
        EXPECT_EQ(port.Open(1, 9600), opens ? 1 : 0) << plant;
        const QString told = port.LastFailure().Text();
        EXPECT_EQ(told.contains(QString::fromStdString(lock)), !opens) << plant; // names the file
        port.Close();
        fs::permissions(folder, fs::perms::owner_all);
        fs::remove(lock);
    }
}

// Linux keeps the settings the previous program left: the port opens as a Windows driver that
// no program has touched reports it, and the next program gets its settings back.
TEST_F(PtyTest, OpensAs8N1WithoutFlowControlAndGivesTheOldSettingsBack) {
    termios left;
    ::tcgetattr(slave, &left);
    left.c_cflag |= CSTOPB | CRTSCTS | PARENB;
    left.c_iflag |= IXON | IXOFF | IXANY;
    left.c_lflag |= ICANON | ECHO;
    ::cfsetspeed(&left, B4800);
    ASSERT_EQ(::tcsetattr(slave, TCSANOW, &left), 0);
    ::tcgetattr(slave, &left); // what the kernel kept of it
    CComPort port;
    ASSERT_EQ(port.Open(1, 9600), 1);
    termios line;
    ::tcgetattr(slave, &line);
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | IXANY), 0u);
    port.Close();
    ::tcgetattr(slave, &line);
    EXPECT_EQ(line.c_cflag, left.c_cflag);
    EXPECT_EQ(line.c_iflag, left.c_iflag);
    EXPECT_EQ(line.c_lflag, left.c_lflag);
}

// A COMn link that leads to a shell's terminal is no instrument.
TEST_F(PtyTest, APseudoTerminalThatIsAProcesssTerminalIsRefusedNamingWhy) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t shell = ::fork();
    if (shell == 0) {
        ::setsid();
        ::ioctl(slave, TIOCSCTTY, 0);
        [[maybe_unused]] ssize_t n = ::write(ready[1], "!", 1);
        ::pause();
        ::_exit(0);
    }
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    CComPort port;
    EXPECT_EQ(port.Open(1, 9600), 0);
    EXPECT_EQ(port.LastFailure().cause, tarvex::OpenFailure::Terminal);
    EXPECT_TRUE(port.LastFailure().Text().contains(QString::number(shell)));
    ::kill(shell, SIGKILL);
    ::waitpid(shell, nullptr, 0);
    EXPECT_EQ(port.Open(1, 9600), 1);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST_F(PtyTest, AForbiddenDeviceNamesItsGroup) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root opens any device; CI runs this as an ordinary user too";
    ASSERT_EQ(::fchmod(slave, 0), 0);
    CComPort port;
    EXPECT_EQ(port.Open(1, 9600), 0);
    EXPECT_EQ(port.LastFailure().cause, tarvex::OpenFailure::NoPermission);
    EXPECT_TRUE(port.LastFailure().Text().contains("组"));
    EXPECT_FALSE(std::filesystem::exists(LockFile()));
}

// A fake /sys, /proc/cmdline and /dev: the console and a ttyS without UART lead nowhere.
TEST(ComName, TheConsoleAndPortsWithoutAUartAreNeverACom) {
    QTemporaryDir root;
    const std::string r = root.path().toStdString();
    tarvex::SystemPaths paths{r + "/sys", r + "/cmdline", r + "/dev", r + "/lock"};
    auto write = [](const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path) << text;
    };
    for (const char* tty : {"ttyS0", "ttyS1", "ttyS2", "ttyS3"})
        write(r + "/dev/" + tty, "");
    write(r + "/sys/class/tty/console/active", "tty0 ttyS0\n");
    write(r + "/cmdline", "quiet console=ttyS3,115200n8 ro\n");
    write(r + "/sys/class/tty/ttyS1/type", "0\n");
    write(r + "/sys/class/tty/ttyS2/type", "4\n");
    qputenv("XDG_CONFIG_HOME", root.path().toUtf8());
    std::filesystem::create_directories(tarvex::PortFolder());
    std::filesystem::create_symlink(r + "/dev/ttyS0", tarvex::PortFolder() + "/COM5");
    tarvex::SetSystemPaths(paths);
    EXPECT_EQ(tarvex::ResolveComDevice("COM1"), "");               // the active console
    EXPECT_EQ(tarvex::ResolveComDevice("COM2"), "");               // no UART behind it
    EXPECT_EQ(tarvex::ResolveComDevice("COM3"), r + "/dev/ttyS2"); // a 16550A
    EXPECT_EQ(tarvex::ResolveComDevice("COM4"), "");               // console= of the kernel
    EXPECT_EQ(tarvex::ResolveComDevice("COM5"), "");               // a link to the console
    tarvex::SetSystemPaths({});
    qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(PtyTest, AMissingPortFailsAndASecondOpenTriesAgain) {
    CComPort port;
    EXPECT_EQ(port.Open(7, 9600), 0);
    EXPECT_FALSE(port.IsPortOpen());
    EXPECT_EQ(port.LastFailure().cause, tarvex::OpenFailure::NoDevice);
    std::filesystem::create_symlink(tarvex::PortFolder() + "/COM1", tarvex::PortFolder() + "/COM7");
    EXPECT_EQ(port.Open(7, 9600), 1);
}

TEST_F(PtyTest, BinaryBytesPassUntouchedBothWays) {
    CComPort port;
    ASSERT_EQ(port.Open(1, 9600), 1);
    // XON, XOFF, CR, LF, NUL and 0xFF must survive: no flow control, no line discipline.
    const std::vector<unsigned char> bytes{0x13, 0x41, 0x11, 0x42, 0x0D, 0x0A, 0x00, 0xFF, 0x03};
    ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    WaitPending(port, int(bytes.size()));
    std::vector<unsigned char> got(bytes.size());
    EXPECT_EQ(port.Read(got.data(), int(got.size())), int(bytes.size()));
    EXPECT_EQ(got, bytes);

    EXPECT_EQ(port.Write(bytes.data(), int(bytes.size())), int(bytes.size()));
    EXPECT_EQ(ReadMaster(bytes.size()), bytes);
}

TEST_F(PtyTest, ReadWithALimitLeavesTheRest) {
    CComPort port;
    ASSERT_EQ(port.Open(1, 9600), 1);
    const unsigned char ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_EQ(::write(master, ten, 10), 10);
    WaitPending(port, 10);
    unsigned char got[10];
    EXPECT_EQ(port.Read(got, 3), 3);
    EXPECT_EQ(port.PendingIn(), 7);
}

TEST_F(PtyTest, AClosedPortTransfersNothing) {
    CComPort port;
    const unsigned char b[2] = {1, 2};
    unsigned char got[2];
    EXPECT_EQ(port.Write(b, 2), 0);
    EXPECT_EQ(port.PendingIn(), 0);
    EXPECT_EQ(port.Read(got, 2), 0);
    EXPECT_EQ(port.Close(), 1);
    EXPECT_EQ(port.Close(), 1);
}

TEST_F(PtyTest, AVanishedDeviceLeavesThePortClosed) {
    CComPort port;
    ASSERT_EQ(port.Open(1, 9600), 1);
    ::close(master);
    master = -1;
    ::close(slave); // only the port's own descriptor keeps the slave now
    slave = -1;
    EXPECT_FALSE(port.CheckLine());
    EXPECT_TRUE(port.DeviceWasLost());
    EXPECT_EQ(port.PendingIn(), 0);
    EXPECT_FALSE(port.IsPortOpen());
    const unsigned char b[1] = {7};
    EXPECT_EQ(port.Write(b, 1), 0);
}
