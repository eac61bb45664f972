#include "devicelink.h"
#include "platform/msgboxrecorder.h"
#include "platform/virtualclock.h"
#include "protocoltrace.h"
#include "rxbuffer.h"
#include "support/scripteddevice.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <fstream>
#include <thread>

using Bytes = std::vector<unsigned char>;

namespace {

class CountingTarget : public CReplyTarget {
  public:
    long OnDeviceReply(std::span<const unsigned char> block) override {
        ++calls;
        lastBlock.assign(block.begin(), block.end());
        threadOfLastCall = QThread::currentThread();
        return 0;
    }
    int calls = 0;
    Bytes lastBlock;
    QThread* threadOfLastCall = nullptr;
};

class LinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        tarvex::SetSerialOpener([this](const std::string& name, int baud) {
            openedName = name;
            return std::make_unique<ScriptedDevice>(shared, baud);
        });
        ASSERT_EQ(link.Open(1, 9600), 1);
    }
    void TearDown() override { tarvex::SetSerialOpener(nullptr); }

    // Bytes the instrument sends, arriving `afterMs` from now at the line's pace.
    void Arrive(const Bytes& bytes, int afterMs = 0, double msPerByte = 0) {
        const std::int64_t start = clock.NowMs() + afterMs;
        for (size_t i = 0; i < bytes.size(); ++i)
            shared->inbound.emplace_back(start + static_cast<std::int64_t>(i * msPerByte),
                                         bytes[i]);
    }
    Bytes TakeWritten() {
        Bytes w = shared->written;
        shared->written.clear();
        return w;
    }

    tarvex::VirtualClock clock;
    tarvex::ScopedClock useClock{clock};
    std::shared_ptr<ScriptedDevice::Shared> shared = std::make_shared<ScriptedDevice::Shared>();
    std::string openedName;
    CountingTarget target;
    CDeviceLink link{&target};
    tarvex::MessageBoxRecorder boxes;
};

struct FrameCase {
    const char* name;
    std::function<void(CDeviceLink&)> command;
    Bytes frame;
    int waitMs;
};

} // namespace

TEST_F(LinkTest, EveryCommandWritesItsFrameAndWaitsItsTime) {
    link.m_bConnected = 1;
    const std::vector<FrameCase> cases = {
        {"Connect", [](CDeviceLink& l) { l.Connect(); }, {0xAA, 0x55, 0xD0, 0x0D, 0x0A}, 100},
        {"RequestDeviceInfo",
         [](CDeviceLink& l) { l.RequestDeviceInfo(); },
         {0xAA, 0x55, 0xE0, 0x0D, 0x0A},
         300},
        {"HistoryList CT",
         [](CDeviceLink& l) { l.RequestHistoryList(0); },
         {0xAA, 0x55, 0xE4, 0x0D, 0x0A},
         2000},
        {"HistoryList PT",
         [](CDeviceLink& l) { l.RequestHistoryList(1); },
         {0xAA, 0x55, 0xE6, 0x0D, 0x0A},
         2000},
        {"HistoryList other kind",
         [](CDeviceLink& l) { l.RequestHistoryList(7); },
         {0xAA, 0x55, 0xE4, 0x0D, 0x0A},
         2000},
        {"HistoryRecord PT 300",
         [](CDeviceLink& l) { l.RequestHistoryRecord(1, 300); },
         {0xAA, 0x55, 0xE7, 0x01, 0x2C, 0x0D, 0x0A},
         3000},
        {"HistoryRecord CT 1",
         [](CDeviceLink& l) { l.RequestHistoryRecord(0, 1); },
         {0xAA, 0x55, 0xE5, 0x00, 0x01, 0x0D, 0x0A},
         3000},
        {"StartTest default",
         [](CDeviceLink& l) { l.StartTest(); },
         {0xAA, 0x55, 0xEB, 0x0D, 0x0A},
         10000},
        {"Excitation",
         [](CDeviceLink& l) { l.SendExcitationParams(500, 5, 1, 2, 0); },
         {0xAA, 0x55, 0xED, 0x01, 0xF4, 0x05, 0x01, 0x02, 0x00, 0x0D, 0x0A},
         0},
        {"CT ratio",
         [](CDeviceLink& l) { l.SendCTRatioParams(1000, 5); },
         {0xAA, 0x55, 0xEE, 0x03, 0xE8, 0x05, 0x0D, 0x0A},
         0},
        {"PT ratio",
         [](CDeviceLink& l) { l.SendPTRatioParams(2500, 2); },
         {0xAA, 0x55, 0xEF, 0x09, 0xC4, 0x02, 0x0D, 0x0A},
         0},
        {"CT error",
         [](CDeviceLink& l) { l.SendCTErrorParams(1000, 1, 10, 1); },
         {0xAA, 0x55, 0xF0, 0x03, 0xE8, 0x01, 0x0A, 0x01, 0x0D, 0x0A},
         0},
        {"PT error",
         [](CDeviceLink& l) { l.SendPTErrorParams(2200, 3, 150, 0); },
         {0xAA, 0x55, 0xF1, 0x08, 0x98, 0x03, 0x96, 0x00, 0x0D, 0x0A},
         0},
        {"CT burden has the extra zero",
         [](CDeviceLink& l) { l.SendCTBurdenParams(1); },
         {0xAA, 0x55, 0xF2, 0x01, 0x0D, 0x0A, 0x00},
         0},
        {"PT burden has the extra zero",
         [](CDeviceLink& l) { l.SendPTBurdenParams(3); },
         {0xAA, 0x55, 0xF3, 0x03, 0x0D, 0x0A, 0x00},
         0},
        {"SetTestKind 2",
         [](CDeviceLink& l) { l.SetTestKind(2); },
         {0xAA, 0x55, 0xEC, 0x3A, 0x0D, 0x0A},
         0},
        {"RequestResult",
         [](CDeviceLink& l) { l.RequestResult(); },
         {0xAA, 0x55, 0xF6, 0x0D, 0x0A},
         500},
        {"Disconnect", [](CDeviceLink& l) { l.Disconnect(); }, {0xAA, 0x55, 0xD1, 0x0D, 0x0A}, 0},
    };
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(link.Open(1, 9600), 1);
        const auto before = clock.SleptMs();
        c.command(link);
        EXPECT_EQ(TakeWritten(), c.frame);
        EXPECT_EQ(clock.SleptMs() - before, c.waitMs);
    }
}

TEST_F(LinkTest, StartTestWaitsTheTimeOfTheTestKindLastSent) {
    link.m_bConnected = 1;
    const int expected[] = {10000, 15000, 20000, 15000, 35000, 15000, 15000, 15000, 15000, 10000};
    for (int kind = 0; kind <= 9; ++kind) {
        SCOPED_TRACE(kind);
        link.SetTestKind(kind);
        const auto before = clock.SleptMs();
        link.StartTest();
        EXPECT_EQ(clock.SleptMs() - before, expected[kind]);
    }
    EXPECT_EQ(link.m_nTestKind, 9);
}

TEST_F(LinkTest, SetTestKindOutsideTheTableSendsTheDefaultCode) {
    link.m_bConnected = 1;
    link.SetTestKind(9);
    EXPECT_EQ(TakeWritten(), (Bytes{0xAA, 0x55, 0xEC, 0x01, 0x0D, 0x0A}));
}

TEST_F(LinkTest, GuardedCommandsDoNothingBeforeTheHandshake) {
    const auto before = clock.SleptMs();
    link.SetTestKind(3);
    link.StartTest();
    link.RequestDeviceInfo();
    link.RequestHistoryList(0);
    link.RequestHistoryRecord(1, 2);
    link.SendExcitationParams(1, 2, 3, 4, 5);
    link.SendCTBurdenParams(1);
    link.SendIdentity("A", "B", "C");
    EXPECT_TRUE(TakeWritten().empty());
    EXPECT_EQ(clock.SleptMs(), before);
    EXPECT_EQ(link.m_nTestKind, -1);
}

TEST_F(LinkTest, UnguardedCommandsWaitEvenOnAClosedPort) {
    link.ClosePort();
    const auto before = clock.SleptMs();
    link.Connect();
    link.RequestResult();
    EXPECT_TRUE(TakeWritten().empty());
    EXPECT_EQ(clock.SleptMs() - before, 600);
    EXPECT_EQ(target.calls, 0);
}

TEST_F(LinkTest, DisconnectClosesThePortEvenWhenNotConnected) {
    link.Disconnect();
    EXPECT_TRUE(TakeWritten().empty());
    EXPECT_EQ(link.IsOpen(), 0);
}

TEST_F(LinkTest, IdentityIsEncodedAsDigitAndLetterCodes) {
    link.m_bConnected = 1;
    link.SendIdentity("ab12", "", "Z");
    Bytes expected{0xAA, 0x55, 0xE3, 0x0A, 0x0B, 0x01, 0x02};
    expected.insert(expected.end(), 6, 0x41);
    expected.insert(expected.end(), 10, 0x41);
    expected.push_back(0x23);
    expected.insert(expected.end(), 9, 0x41);
    expected.insert(expected.end(), {0x0D, 0x0A});
    EXPECT_EQ(TakeWritten(), expected);
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(LinkTest, IdentityIgnoresCharactersAfterTheTenth) {
    link.m_bConnected = 1;
    link.SendIdentity("0123456789XYZ", "", "");
    const Bytes frame = TakeWritten();
    ASSERT_EQ(frame.size(), 35u);
    EXPECT_EQ(frame[12], 9);
    EXPECT_EQ(frame[13], 0x41);
}

TEST_F(LinkTest, IdentityRefusesAnUnsupportedCharacterByName) {
    link.m_bConnected = 1;
    struct Case {
        QString text;
        QString shown;
    };
    const Case cases[] = {{"AB-1", "-"}, {"A B", " "}, {"张三", "张"}, {"x😀", "😀"}};
    for (const Case& c : cases) {
        boxes.clear();
        link.SendIdentity("OK", c.text, "");
        EXPECT_TRUE(TakeWritten().empty());
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.calls()[0].text, QString("系统不支持字符'%1'").arg(c.shown));
        EXPECT_EQ(boxes.calls()[0].caption, "系统提示");
        EXPECT_EQ(boxes.calls()[0].style, unsigned(MB_OK | MB_ICONINFORMATION));
    }
}

TEST_F(LinkTest, ABlockEndingWithTheTrailerIsDispatchedOnlyFromFiveBytes) {
    Arrive({0x55, 0xAA, 0xFD, 0xFA});
    EXPECT_EQ(link.ReadReply(), 0);
    EXPECT_EQ(g_RxLen, 4);
    EXPECT_EQ(target.calls, 0);

    Arrive({0x55, 0xAA, 0xD0, 0xFD, 0xFA});
    EXPECT_EQ(link.ReadReply(), 1);
    EXPECT_EQ(target.calls, 1);
    EXPECT_EQ(target.lastBlock, (Bytes{0x55, 0xAA, 0xD0, 0xFD, 0xFA}));
    EXPECT_EQ(g_RxBuf[5], 0);
}

TEST_F(LinkTest, ABlockWithoutTrailerIsStoredButNotDispatched) {
    Arrive({0x55, 0xAA, 0xD0, 0xFD, 0xFB});
    EXPECT_EQ(link.ReadReply(), 1);
    EXPECT_EQ(g_RxLen, 5);
    EXPECT_EQ(target.calls, 0);
}

TEST_F(LinkTest, NothingWaitingReadsNothingAndAddsNoDelay) {
    const auto before = clock.SleptMs();
    EXPECT_EQ(link.ReadReply(), 0);
    EXPECT_EQ(g_RxLen, 0);
    EXPECT_EQ(clock.SleptMs(), before);
}

TEST_F(LinkTest, ACompleteBlockAddsNoDelay) {
    Arrive({0x55, 0xAA, 0xEB, 0xFD, 0xFA});
    const auto before = clock.SleptMs();
    link.ReadReply();
    EXPECT_EQ(clock.SleptMs(), before);
}

TEST_F(LinkTest, ReadIsBoundedToTheBufferAndLeavesTheRestForTheNextRead) {
    Bytes big(9000, 0x11);
    big[8189] = 0xFD;
    big[8190] = 0xFA;
    Arrive(big);
    EXPECT_EQ(link.ReadReply(), 1);
    EXPECT_EQ(g_RxLen, 8191);
    EXPECT_EQ(g_RxBuf[8191], 0);
    EXPECT_EQ(target.calls, 1);
    EXPECT_EQ(link.PendingIn(), 9000 - 8191);
}

TEST_F(LinkTest, ABlockStillArrivingIsReadToItsEnd) {
    // A 255-point result at 9600 baud: about 1.06 ms a byte, over a second in all.
    Bytes block{0x55, 0xAA, 0x1A};
    block.resize(3 + 5 + 4 * 255, 0x01);
    block.insert(block.end(), {0xFD, 0xFA});
    link.m_bConnected = 1;
    Arrive(block, 20, 1.0417);
    link.RequestResult();
    EXPECT_EQ(target.calls, 1);
    EXPECT_EQ(target.lastBlock, block);
}

TEST_F(LinkTest, APartialBlockEndsAfterTheLineFallsQuiet) {
    Arrive({0x55, 0xAA, 0x2A, 0x00});
    Arrive({0x01}, 400);
    const auto before = clock.SleptMs();
    link.ReadReply();
    EXPECT_EQ(g_RxLen, 4);
    EXPECT_EQ(target.calls, 0);
    EXPECT_LE(clock.SleptMs() - before, 60 + 5 + 3);
}

TEST_F(LinkTest, ALineThatTalksOnHoldsTheReadNoLongerThanTheLongestBlockTakes) {
    // Noise at 9600 baud without end: the read-on stops once a 1030-byte block would have come
    // (1073 ms on the wire, plus the gap allowed), and the next command throws the rest away.
    Arrive(Bytes(9000, 0x01), 0, 1.0417);
    link.RequestResult();
    EXPECT_EQ(target.calls, 0);
    EXPECT_LE(clock.SleptMs(), 500 + 1073 + 53 + 5);
    EXPECT_GT(g_RxLen, 1030);
    EXPECT_LT(g_RxLen, 1600);
}

TEST_F(LinkTest, OpenOnAnOpenPortKeepsIt) {
    EXPECT_EQ(link.Open(2, 115200), 1);
    EXPECT_EQ(shared->baud, 9600);
    EXPECT_EQ(openedName, "COM1");
}

TEST_F(LinkTest, AVanishedDeviceLeavesThePortClosed) {
    link.m_bConnected = 1;
    shared->vanished = true;
    link.RequestDeviceInfo();
    EXPECT_EQ(link.IsOpen(), 0);
    EXPECT_EQ(link.SendFrame(Bytes{1, 2}.data(), 2), 0);
    EXPECT_EQ(link.PendingIn(), 0);
    unsigned char b[4];
    EXPECT_EQ(link.Read(b, 4), 0);
}

TEST_F(LinkTest, ReadWithALimitLeavesTheRestWaiting) {
    Arrive(Bytes(10, 0x33));
    unsigned char b[10];
    EXPECT_EQ(link.Read(b, 3), 3);
    EXPECT_EQ(link.PendingIn(), 7);
}

TEST_F(LinkTest, AReplyReadOnAWorkerIsHandledOnTheTargetsThread) {
    QObject context; // lives on the test's (GUI) thread
    CDeviceLink workerLink(&target, &context);
    ASSERT_EQ(workerLink.Open(1, 9600), 1);
    Arrive({0x55, 0xAA, 0xE5, 0xFD, 0xFA});
    std::atomic<bool> done{false};
    std::thread worker([&] {
        workerLink.ReadReply();
        done = true;
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    worker.join();
    EXPECT_EQ(target.calls, 1);
    EXPECT_EQ(target.threadOfLastCall, QThread::currentThread());
}

// Stale bytes are thrown away before the next command, and the trace shows all three kinds of
// line: what was sent, the block read, and what was discarded.
TEST_F(LinkTest, TheTraceRecordsFramesBlocksAndDiscardedBytes) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("trace.log").toStdString();
    ASSERT_TRUE(tarvex::ProtocolTrace::Open(path));
    Arrive({0x55, 0xAA, 0x1A, 0xFD, 0xFA}); // a late result from an earlier exchange
    Arrive({0x55, 0xAA, 0xD0, 0xFD, 0xFA}, 50);
    link.Connect();
    tarvex::ProtocolTrace::Close();
    ASSERT_EQ(target.calls, 1);
    EXPECT_EQ(target.lastBlock, (Bytes{0x55, 0xAA, 0xD0, 0xFD, 0xFA}));

    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line.substr(line.find(']') + 2)); // without the time stamp
    EXPECT_EQ(lines, (std::vector<std::string>{"?? discarded: 55 AA 1A FD FA",
                                               "-> D0 Connect: AA 55 D0 0D 0A",
                                               "<- D0 Connect: 55 AA D0 FD FA"}));
}
