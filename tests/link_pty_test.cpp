// The link against the simulated instrument over a real pseudo-terminal, in real time.
#include "comname.h"
#include "devicelink.h"
#include "platform/clock.h"
#include "rxbuffer.h"
#include "sim/engine.h"
#include "sim/ptyport.h"
#include "sim/simrunner.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <atomic>
#include <csignal>
#include <thread>

using Bytes = std::vector<unsigned char>;

namespace {

class BlockTarget : public CReplyTarget {
  public:
    long OnDeviceReply(std::span<const unsigned char> block) override {
        blocks.emplace_back(block.begin(), block.end());
        return 0;
    }
    std::vector<Bytes> blocks;
};

// tarvex-sim's engine and real-time loop on a thread, its pty linked as COM1.
class PtyLinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        sim::EngineOptions options;
        options.testDurationMs = 50;
        options.excitationPoints = 255;
        engine = std::make_unique<sim::Engine>(options);
        port = std::make_unique<sim::PtyPort>();
        std::string error;
        ASSERT_TRUE(port->Open(&error)) << error;
        ASSERT_TRUE(port->Link(tarvex::PortFolder() + "/COM1", &error)) << error;
        runner = std::make_unique<sim::SimRunner>(*engine, *port, 0, false, nullptr);
        sigemptyset(&mask);
        loop = std::thread([this] { runner->Run(&stop, &mask); });
    }
    void TearDown() override {
        StopSimulator();
        port.reset();
        qunsetenv("XDG_CONFIG_HOME");
    }
    void StopSimulator() {
        if (!loop.joinable())
            return;
        stop = 1;
        link.ClosePort(); // the hang-up wakes the loop, which then sees the flag
        loop.join();
    }

    QTemporaryDir dir;
    std::unique_ptr<sim::Engine> engine;
    std::unique_ptr<sim::PtyPort> port;
    std::unique_ptr<sim::SimRunner> runner;
    volatile std::sig_atomic_t stop = 0;
    sigset_t mask;
    std::thread loop;
    BlockTarget target;
    CDeviceLink link{&target};
};

} // namespace

TEST_F(PtyLinkTest, HandshakeAndDeviceInformationAtSeveralBaudRates) {
    for (int baud : {9600, 115200, 256000}) {
        SCOPED_TRACE(baud);
        target.blocks.clear();
        ASSERT_EQ(link.Open(1, baud), 1);
        EXPECT_EQ(link.ActualBaud(), baud);
        link.Connect();
        ASSERT_EQ(target.blocks.size(), 1u);
        EXPECT_EQ(target.blocks[0], (Bytes{0x55, 0xAA, 0xD0, 0xFD, 0xFA}));
        link.m_bConnected = 1;
        link.RequestDeviceInfo();
        ASSERT_EQ(target.blocks.size(), 2u);
        EXPECT_EQ(target.blocks[1].size(), 8u);
        EXPECT_EQ(target.blocks[1][2], 0xE0);
        link.ClosePort();
    }
}

TEST_F(PtyLinkTest, ALongResultStillArrivingAt9600BaudIsReadWhole) {
    ASSERT_EQ(link.Open(1, 9600), 1) << link.LastFailure().Text().toStdString();
    link.m_bConnected = 1;
    link.SetTestKind(0);
    const unsigned char start[] = {0xAA, 0x55, 0xEB, 0x0D, 0x0A};
    link.SendFrame(start, sizeof start);
    Sleep(300);
    link.ReadReply(); // the test-finished reply
    target.blocks.clear();
    link.RequestResult(); // 1030 bytes: over a second on the line, the wait is 500 ms
    ASSERT_EQ(target.blocks.size(), 1u);
    const Bytes& block = target.blocks[0];
    ASSERT_EQ(block.size(), 3u + 5 + 4 * 255 + 2);
    EXPECT_EQ(block[2], 0x1A);
    EXPECT_EQ(block[3], 255);
}

TEST_F(PtyLinkTest, TheOtherEndGoingAwayMidCommandLeavesThePortClosed) {
    ASSERT_EQ(link.Open(1, 9600), 1) << link.LastFailure().Text().toStdString();
    link.m_bConnected = 1;
    stop = 1;
    std::thread pull([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        loop.join();
        port.reset(); // the master closes: the line is gone
    });
    link.Connect(); // waiting while the other end vanishes
    pull.join();
    link.RequestDeviceInfo();
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(link.PendingIn(), 0);
}
