// The simulated serial device and the opener that puts the simulator behind a port name, on the
// virtual clock; and the real link (CDeviceLink) talking to the simulator through them.
#include "sim/engine.h"
#include "sim/simportopener.h"
#include "sim/simserialdevice.h"

#include "devicelink.h"
#include "platform/virtualclock.h"
#include "rxbuffer.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kConnect{0xAA, 0x55, 0xD0, 0x0D, 0x0A};

void Write(tarvex::SerialDevice& device, const Bytes& bytes) {
    for (std::uint8_t b : bytes)
        ASSERT_EQ(device.WriteByte(b, 1000), 1);
}

class SimDevice : public ::testing::Test {
  protected:
    tarvex::VirtualClock clock;
    tarvex::ScopedClock scoped{clock};
    sim::Engine engine;
};

TEST_F(SimDevice, RepliesArriveWhenTheirTimeHasComeOnTheVirtualClock) {
    sim::SimSerialDevice device(engine, 9600);
    Write(device, kConnect);
    EXPECT_EQ(device.Pending(), 0);
    clock.Advance(23);
    EXPECT_EQ(device.Pending(), 2); // 20 ms delay, then 1.04 ms a byte
    clock.Advance(77);
    EXPECT_EQ(device.Pending(), 5);
    unsigned char buffer[8] = {};
    EXPECT_EQ(device.Read(buffer, 3), 3);
    EXPECT_EQ(device.Pending(), 2);
    EXPECT_EQ(device.Read(buffer + 3, 8), 2);
    EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{0x55, 0xAA, 0xD0, 0xFD, 0xFA}));
    EXPECT_EQ(device.Read(buffer, 8), 0);
    EXPECT_EQ(device.Written(), kConnect);
    device.ClearWritten();
    EXPECT_TRUE(device.Written().empty());
    EXPECT_EQ(device.Baud(), 9600);
}

TEST_F(SimDevice, VanishedDeviceFailsEveryCall) {
    sim::SimSerialDevice device(engine, 9600);
    Write(device, kConnect);
    clock.Advance(100);
    device.Vanish();
    unsigned char b = 0;
    EXPECT_EQ(device.WriteByte(0xAA, 1000), -1);
    EXPECT_EQ(device.Pending(), -1);
    EXPECT_EQ(device.Read(&b, 1), -1);
    EXPECT_EQ(device.Written(), kConnect); // the failed write is not recorded
}

TEST_F(SimDevice, OpeningTheDeviceSetsTheBaudAndLosesWhatCameWhileClosed) {
    {
        sim::SimSerialDevice first(engine, 9600);
        Write(first, kConnect);
    } // closed before the reply came
    clock.Advance(1000);
    sim::SimSerialDevice second(engine, 115200);
    EXPECT_EQ(engine.Baud(), 115200);
    EXPECT_EQ(second.Pending(), 0);
    Write(second, kConnect);
    clock.Advance(100);
    EXPECT_EQ(second.Pending(), 5);
}

TEST_F(SimDevice, OpenerServesOnlyItsPortAndRemembersEveryRequest) {
    sim::ScopedSimPort port(engine, "COM10");
    tarvex::SerialOpener& open = tarvex::CurrentSerialOpener();
    EXPECT_EQ(open("COM1", 9600), nullptr);
    EXPECT_EQ(port.Device(), nullptr);
    std::unique_ptr<tarvex::SerialDevice> device = open("\\\\.\\COM10", 19200);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Baud(), 19200);
    EXPECT_EQ(port.Device(), device.get());
    Write(*device, kConnect);
    EXPECT_EQ(port.Written(), kConnect);

    const auto requests = port.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].name, "COM1");
    EXPECT_EQ(requests[0].baud, 9600);
    EXPECT_FALSE(requests[0].opened);
    EXPECT_EQ(requests[1].name, "\\\\.\\COM10");
    EXPECT_EQ(requests[1].baud, 19200);
    EXPECT_TRUE(requests[1].opened);

    device.reset();
    EXPECT_EQ(port.Device(), nullptr);
    port.SetAvailable(false);
    EXPECT_EQ(open("COM10", 9600), nullptr);
    port.SetAvailable(true);
    EXPECT_NE(open("COM10", 9600), nullptr);
    port.ClearWritten();
    EXPECT_TRUE(port.Written().empty());
}

TEST_F(SimDevice, OpenerRestoresThePreviousOneWhenItGoes) {
    int calls = 0;
    tarvex::SetSerialOpener(
        [&calls](const std::string&, int) -> std::unique_ptr<tarvex::SerialDevice> {
            ++calls;
            return nullptr;
        });
    {
        sim::ScopedSimPort port(engine);
        EXPECT_NE(tarvex::CurrentSerialOpener()("COM1", 9600), nullptr);
        EXPECT_EQ(calls, 0);
    }
    EXPECT_EQ(tarvex::CurrentSerialOpener()("COM1", 9600), nullptr);
    EXPECT_EQ(calls, 1);
    tarvex::SetSerialOpener(nullptr);
}

// The real link against the simulator: the frames the link writes are the ones the engine
// parses, and the engine's replies are complete blocks for the link, also a long one.
class Catcher : public CReplyTarget {
  public:
    long OnDeviceReply(std::span<const unsigned char> block) override {
        blocks.emplace_back(block.begin(), block.end());
        return 0;
    }
    std::vector<Bytes> blocks;
};

TEST_F(SimDevice, TheLinkTalksToTheSimulator) {
    sim::ScopedSimPort port(engine, "COM1");
    Catcher catcher;
    CDeviceLink link(&catcher);
    ASSERT_EQ(link.Open(1, 9600), 1);
    link.Connect();
    ASSERT_EQ(catcher.blocks.size(), 1u);
    EXPECT_EQ(catcher.blocks[0], (Bytes{0x55, 0xAA, 0xD0, 0xFD, 0xFA}));
    EXPECT_TRUE(engine.Connected());

    link.m_bConnected = 1;
    engine.SetExcitationPoints(255);
    link.SetTestKind(0);
    link.SendExcitationParams(200, 1, 1, 1, 0);
    link.SendCTBurdenParams(5); // the extra 00 must not disturb the next frame
    EXPECT_EQ(engine.TestKind(), 0x1A);
    EXPECT_EQ(*engine.LastPayload(0xF2), Bytes{0x05});
    const std::int64_t before = clock.NowMs();
    link.StartTest(); // 10 s wait, then 0xEB
    ASSERT_EQ(catcher.blocks.size(), 2u);
    EXPECT_EQ(catcher.blocks[1], (Bytes{0x55, 0xAA, 0xEB, 0xFD, 0xFA}));
    EXPECT_EQ(clock.NowMs() - before, 10000);

    link.RequestResult(); // 500 ms wait, but the 1030-byte block takes 1.09 s to arrive
    ASSERT_EQ(catcher.blocks.size(), 3u);
    EXPECT_EQ(catcher.blocks[2].size(), 1030u);
    EXPECT_EQ(catcher.blocks[2][2], 0x1A);
    EXPECT_EQ(catcher.blocks[2][3], 255);
    const auto log = engine.Log();
    const auto garbage = std::count_if(log.begin(), log.end(), [](const sim::LogEntry& e) {
        return e.kind == sim::LogEntry::Kind::Discarded;
    });
    EXPECT_EQ(garbage, 0);
}

} // namespace
