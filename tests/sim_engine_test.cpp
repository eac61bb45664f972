// The simulator's protocol engine, driven directly: what each command gets back and when, the
// state it keeps, pacing at the baud rate, and every fault option.
#include "sim_replydecoder.h"

#include "sim/engine.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using simtest::Bytes;

Bytes Cmd(std::uint8_t command, const Bytes& payload = {}) {
    Bytes b{0xAA, 0x55, command};
    b.insert(b.end(), payload.begin(), payload.end());
    b.push_back(0x0D);
    b.push_back(0x0A);
    if (command == 0xF2 || command == 0xF3)
        b.push_back(0x00);
    return b;
}

struct Arrival {
    std::int64_t ms;
    std::uint8_t byte;
};

// The program's side of the line: sends commands at `now` and collects what has arrived.
struct Line {
    explicit Line(sim::EngineOptions options = {}) : engine(std::move(options)) {}

    void Send(const Bytes& frame) { engine.Receive(frame.data(), frame.size(), now); }
    // Everything that arrives within ms from now (time moves on).
    Bytes Wait(int ms) {
        now += ms;
        return engine.TakeDue(now);
    }
    // Sends a command and returns what has arrived after the program's wait.
    Bytes Ask(const Bytes& frame, int waitMs) {
        Send(frame);
        return Wait(waitMs);
    }
    // Byte arrival times, looking every millisecond for ms.
    std::vector<Arrival> Watch(int ms) {
        std::vector<Arrival> arrivals;
        for (int i = 0; i < ms; ++i) {
            ++now;
            for (std::uint8_t b : engine.TakeDue(now))
                arrivals.push_back({now, b});
        }
        return arrivals;
    }
    // Runs a test of a kind to its end and returns the 0xF6 reply.
    Bytes RunTest(std::uint8_t kind, const Bytes& paramsFrame = {}) {
        Send(Cmd(0xEC, {kind}));
        if (!paramsFrame.empty())
            Send(paramsFrame);
        const Bytes finished = Ask(Cmd(0xEB), 10000);
        EXPECT_EQ(finished, (Bytes{0x55, 0xAA, 0xEB, 0xFD, 0xFA}));
        return Ask(Cmd(0xF6), 2000);
    }

    sim::Engine engine;
    std::int64_t now = 50000;
};

Bytes PayloadOf(const Bytes& frame, std::uint8_t code) {
    const auto f = simtest::SplitFrame(frame);
    EXPECT_TRUE(f.has_value());
    if (!f)
        return {};
    EXPECT_EQ(f->code, code);
    return f->payload;
}

TEST(SimEngine, HandshakeAndDeviceInfo) {
    sim::EngineOptions o;
    o.model = 0xAD;
    o.deviceType = 0xA2;
    o.range = 0xA2;
    Line line(o);
    EXPECT_FALSE(line.engine.Connected());
    EXPECT_EQ(line.Ask(Cmd(0xD0), 100), (Bytes{0x55, 0xAA, 0xD0, 0xFD, 0xFA}));
    EXPECT_TRUE(line.engine.Connected());
    EXPECT_EQ(line.Ask(Cmd(0xE0), 300), (Bytes{0x55, 0xAA, 0xE0, 0xAD, 0xA2, 0xA2, 0xFD, 0xFA}));
    line.Send(Cmd(0xD1));
    EXPECT_FALSE(line.engine.Connected());
    EXPECT_TRUE(line.Wait(1000).empty());
}

TEST(SimEngine, DefaultsOfferEveryTest) {
    const sim::EngineOptions o;
    EXPECT_EQ(o.model, 0xAF);
    EXPECT_EQ(o.deviceType, 0xA1);
    EXPECT_EQ(o.range, 0xA1);
    EXPECT_LT(o.testDurationMs, 10000);
    for (std::uint8_t kind : {0x1A, 0x2A, 0x3A, 0x4A, 0x1F, 0x2F, 0x3F, 0x4F, 0x6A}) {
        Line line;
        EXPECT_FALSE(line.RunTest(kind).empty()) << std::hex << int(kind);
    }
}

TEST(SimEngine, ParameterCommandsSetStateAndGetNoReply) {
    Line line;
    const Bytes params[] = {Cmd(0xEC, {0x1A}),
                            Cmd(0xED, {0x01, 0xF4, 0x05, 0x01, 0x02, 0x00}),
                            Cmd(0xEE, {0x00, 0x64, 0x05}),
                            Cmd(0xEF, {0x03, 0xE8, 0x00}),
                            Cmd(0xF0, {0x02, 0x58, 0x05, 0x0A, 0x01}),
                            Cmd(0xF1, {0x00, 0x64, 0x00, 0x01, 0x00}),
                            Cmd(0xF2, {0x01}),
                            Cmd(0xF3, {0x03}),
                            Cmd(0xE3, Bytes(30, 0x41))};
    for (const Bytes& p : params)
        EXPECT_TRUE(line.Ask(p, 1000).empty()) << std::hex << int(p[2]);
    EXPECT_EQ(line.engine.TestKind(), 0x1A);
    EXPECT_EQ(*line.engine.LastPayload(0xED), (Bytes{0x01, 0xF4, 0x05, 0x01, 0x02, 0x00}));
    EXPECT_EQ(*line.engine.LastPayload(0xF2), Bytes{0x01});
    EXPECT_EQ(*line.engine.LastPayload(0xF3), Bytes{0x03});
    EXPECT_FALSE(line.engine.LastPayload(0xE5).has_value());
}

TEST(SimEngine, IdentityTextsAreDecodedFromTheirCodes) {
    // "AB12", "", "Z" as the link sends them: codes, 0x41 where a text has ended.
    Bytes payload{0x0A, 0x0B, 0x01, 0x02};
    payload.insert(payload.end(), 6, 0x41);
    payload.insert(payload.end(), 10, 0x41);
    payload.push_back(0x23);
    payload.insert(payload.end(), 9, 0x41);
    Line line;
    line.Send(Cmd(0xE3, payload));
    EXPECT_EQ(line.engine.Identity(), (std::array<std::string, 3>{"AB12", "", "Z"}));
}

TEST(SimEngine, TestFinishedComesAfterTheTestDurationAndTheResultOnlyThen) {
    Line line;
    line.Send(Cmd(0xEC, {0x1A}));
    line.Send(Cmd(0xED, {0x00, 0xC8, 0x01, 0x01, 0x01, 0x00}));
    line.Send(Cmd(0xEB));
    EXPECT_EQ(line.engine.State(line.now), sim::Engine::TestState::Running);
    // While it runs, 0xF6 gets nothing.
    EXPECT_TRUE(line.Ask(Cmd(0xF6), 2000).empty());
    // 55 AA EB FD FA starts at the end of the 3000 ms test.
    const auto arrivals = line.Watch(2000);
    ASSERT_EQ(arrivals.size(), 5u);
    EXPECT_GE(arrivals.front().ms, line.now - 2000 + 1000);
    EXPECT_LE(arrivals.back().ms, line.now - 2000 + 1000 + 7);
    EXPECT_EQ(line.engine.State(line.now), sim::Engine::TestState::Finished);

    const Bytes result = line.Ask(Cmd(0xF6), 500);
    const auto e = simtest::DecodeExcitation(PayloadOf(result, 0x1A));
    EXPECT_EQ(e.count, 30);
    // The default CT's knee, in 0.1 V and 0.001 A.
    EXPECT_DOUBLE_EQ(e.kneeVoltage, 120.0);
    EXPECT_DOUBLE_EQ(e.kneeCurrent, 0.05);
    EXPECT_DOUBLE_EQ(e.currents.back(), 1.0); // stopped at the test current of 1 A
    EXPECT_LT(e.voltages.back(), 200.0);
    // Asking again gives the same result again.
    EXPECT_EQ(line.Ask(Cmd(0xF6), 500), result);
}

TEST(SimEngine, RequestResultWithoutAFinishedTestOfTheKindGetsNoReply) {
    Line line;
    EXPECT_TRUE(line.Ask(Cmd(0xF6), 500).empty());
    const Bytes ctRatio = line.RunTest(0x2A);
    EXPECT_FALSE(ctRatio.empty());
    line.Send(Cmd(0xEC, {0x2F}));
    EXPECT_TRUE(line.Ask(Cmd(0xF6), 500).empty()); // no PT ratio test has run
    line.Send(Cmd(0xEC, {0x2A}));
    EXPECT_EQ(line.Ask(Cmd(0xF6), 500), ctRatio); // each kind keeps its last result
}

TEST(SimEngine, StartIsIgnoredWithoutAKindWhileRunningAndForTestsTheModelLacks) {
    {
        Line line;
        EXPECT_TRUE(line.Ask(Cmd(0xEB), 10000).empty());
        line.Send(Cmd(0xEC, {0x01})); // the program's code for a kind outside 0..8
        EXPECT_TRUE(line.Ask(Cmd(0xEB), 10000).empty());
    }
    {
        Line line;
        line.Send(Cmd(0xEC, {0x6A}));
        line.Send(Cmd(0xEB));
        line.Wait(1000);
        line.Send(Cmd(0xEB)); // still running: ignored, one reply only
        EXPECT_EQ(line.Wait(10000), (Bytes{0x55, 0xAA, 0xEB, 0xFD, 0xFA}));
    }
    sim::EngineOptions ctOnly;
    ctOnly.model = 0xAC;
    Line line(ctOnly);
    line.Send(Cmd(0xEC, {0x1F}));
    EXPECT_TRUE(line.Ask(Cmd(0xEB), 35000).empty());
    EXPECT_FALSE(line.RunTest(0x3A).empty());
    EXPECT_TRUE(sim::Engine::ModelOffers(0xAB, 0x2A));
    EXPECT_FALSE(sim::Engine::ModelOffers(0xAB, 0x3A));
    EXPECT_TRUE(sim::Engine::ModelOffers(0xAD, 0x4F));
    EXPECT_FALSE(sim::Engine::ModelOffers(0xAD, 0x6A));
    EXPECT_TRUE(sim::Engine::ModelOffers(0x00, 0x6A));
}

TEST(SimEngine, ParametersAreThoseInForceWhenTheTestStarted) {
    Line line;
    line.Send(Cmd(0xEC, {0x2A}));
    line.Send(Cmd(0xEE, {0x00, 0x64, 0x05})); // 100 A
    line.Send(Cmd(0xEB));
    line.Send(Cmd(0xEE, {0x01, 0xF4, 0x05})); // 500 A, for the next test
    line.Wait(10000);
    const auto r = simtest::DecodeCtRatio(PayloadOf(line.Ask(Cmd(0xF6), 500), 0x2A));
    EXPECT_DOUBLE_EQ(r.primary, 100.0);
    EXPECT_NEAR(r.secondary, 100.0 / 120, 0.005);
    EXPECT_NEAR(r.ratioPrimary, 600, 2);
    EXPECT_EQ(r.ratioSecondary, 5);
    EXPECT_TRUE(r.positive);
}

TEST(SimEngine, SixTapDeviceAnswersTheRatioTestWith7A) {
    sim::EngineOptions o;
    o.deviceType = 0xA2;
    Line line(o);
    const auto t =
        simtest::DecodeCtTaps(PayloadOf(line.RunTest(0x2A, Cmd(0xEE, {0x00, 0x64, 0x01})), 0x7A));
    EXPECT_DOUBLE_EQ(t.primary, 100.0);
    EXPECT_EQ(t.ratioSecondary, 1);
    EXPECT_NEAR(t.ratioPrimary[0], 20, 0.5); // 100/5 against 1 A: 20/1
    EXPECT_NEAR(t.ratioPrimary[5], 120, 1);  // 600/5 against 1 A: 120/1
}

TEST(SimEngine, EveryResultLayoutFromTheModels) {
    Line line;
    const auto ctErrors = simtest::DecodeErrors(
        PayloadOf(line.RunTest(0x3A, Cmd(0xF0, {0x02, 0x58, 0x05, 0x0A, 0x01})), 0x3A), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_LT(ctErrors.ratio[static_cast<std::size_t>(i)], 0);
        EXPECT_GT(ctErrors.phase[static_cast<std::size_t>(i)], 0);
    }
    EXPECT_DOUBLE_EQ(simtest::DecodeTenths(PayloadOf(line.RunTest(0x4A, Cmd(0xF2, {0x05})), 0x4A)),
                     0.8);

    const auto pe = simtest::DecodeExcitation(
        PayloadOf(line.RunTest(0x1F, Cmd(0xED, {0x00, 0xC8, 0x01, 0x01, 0x01, 0x00})), 0x1F));
    EXPECT_DOUBLE_EQ(pe.kneeVoltage, 130.0);
    EXPECT_DOUBLE_EQ(pe.kneeCurrent, 0.3);
    const auto pr =
        simtest::DecodePtRatio(PayloadOf(line.RunTest(0x2F, Cmd(0xEF, {0x03, 0xE8, 0x03})), 0x2F));
    EXPECT_DOUBLE_EQ(pr.primary, 1000.0);
    EXPECT_EQ(pr.secondaryIndex, 3);
    const auto ptErrors = simtest::DecodeErrors(
        PayloadOf(line.RunTest(0x3F, Cmd(0xF1, {0x00, 0x64, 0x00, 0x1E, 0x01})), 0x3F), 3);
    EXPECT_EQ(ptErrors.ratio.size(), 3u);
    EXPECT_LT(ptErrors.ratio[1], 0);
    EXPECT_DOUBLE_EQ(simtest::DecodeTenths(PayloadOf(line.RunTest(0x4F, Cmd(0xF3, {0x00})), 0x4F)),
                     25.0);
    const Bytes dc = PayloadOf(line.RunTest(0x6A), 0x6A);
    EXPECT_DOUBLE_EQ(simtest::DecodeTenths(dc), 235.0);
    EXPECT_TRUE(simtest::DecodeMilliohm(dc));
}

TEST(SimEngine, RangeA2LimitsTheVoltageApplied) {
    sim::EngineOptions o;
    o.range = 0xA2;
    Line line(o);
    const auto pr =
        simtest::DecodePtRatio(PayloadOf(line.RunTest(0x2F, Cmd(0xEF, {0x09, 0xC4, 0x00})), 0x2F));
    EXPECT_DOUBLE_EQ(pr.primary, 1000.0); // 2500 V asked, 1000 V is the instrument's limit
}

TEST(SimEngine, RecordListsAndRecords) {
    Line line;
    const sim::RecordStore store = line.engine.Records();
    int count = 0;
    const auto ct = simtest::DecodeList(PayloadOf(line.Ask(Cmd(0xE4), 2000), 0xE4), &count);
    EXPECT_EQ(count, static_cast<int>(store.Ct().size()));
    ASSERT_EQ(ct.size(), store.Ct().size());
    EXPECT_EQ(ct[1].phase, store.Ct()[1].phase);
    const auto pt = simtest::DecodeList(PayloadOf(line.Ask(Cmd(0xE6), 2000), 0xE6), &count);
    EXPECT_EQ(count, static_cast<int>(store.Pt().size()));

    const auto r2 = simtest::DecodeRecord(PayloadOf(line.Ask(Cmd(0xE5, {0x00, 0x02}), 3000), 0xE5));
    EXPECT_EQ(r2.kneeVoltageRaw, store.Ct()[1].kneeVoltageRaw);
    EXPECT_EQ(r2.count, static_cast<int>(store.Ct()[1].currents.size()));
    EXPECT_EQ(r2.time[3], store.Ct()[1].hour);
    const auto p1 = simtest::DecodeRecord(PayloadOf(line.Ask(Cmd(0xE7, {0x00, 0x01}), 3000), 0xE7));
    EXPECT_EQ(p1.text[0], "PT20231102");
    // Numbers count from 1; there is no record 0 and none past the last.
    EXPECT_TRUE(line.Ask(Cmd(0xE5, {0x00, 0x00}), 3000).empty());
    EXPECT_TRUE(line.Ask(Cmd(0xE7, {0x01, 0x2C}), 3000).empty());
}

TEST(SimEngine, RepliesArePacedAtTenBitTimesAByte) {
    Line line; // 9600 baud: 1.0417 ms a byte
    line.Send(Cmd(0xD0));
    const std::int64_t sent = line.now;
    EXPECT_EQ(line.engine.NextDueMs(), sent + 20 + 2); // first byte complete at 21.04 ms
    const auto arrivals = line.Watch(100);
    ASSERT_EQ(arrivals.size(), 5u);
    EXPECT_EQ(arrivals[0].ms, sent + 22);
    EXPECT_EQ(arrivals[4].ms, sent + 26); // 20 ms + 5 × 1.0417 ms = 25.2 ms
    EXPECT_EQ(line.engine.NextDueMs(), -1);

    // Two replies do not overlap: the second starts when the first has gone.
    line.Send(Cmd(0xE4));
    line.Send(Cmd(0xD0));
    const Bytes both = line.Wait(1000);
    ASSERT_GT(both.size(), 10u);
    EXPECT_EQ(both[2], 0xE4);
    EXPECT_EQ(Bytes(both.end() - 5, both.end()), (Bytes{0x55, 0xAA, 0xD0, 0xFD, 0xFA}));
}

TEST(SimEngine, A255PointResultTakesOverASecondAt9600Baud) {
    sim::EngineOptions o;
    o.excitationPoints = 255;
    o.testDurationMs = 100;
    Line line(o);
    line.Send(Cmd(0xEC, {0x1A}));
    line.Ask(Cmd(0xEB), 1000);
    line.Send(Cmd(0xF6));
    const std::int64_t asked = line.now;
    // 1030 bytes: 55 AA 1A, 1 + 4 + 255 × 4 payload bytes, FD FA; 10 bits each at 9600 baud.
    const Bytes early = line.Wait(20 + 1072);
    EXPECT_EQ(early.size(), 1029u);
    const Bytes last = line.Wait(1);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0], 0xFA);
    EXPECT_GT(line.now - asked, 1000 + 20);

    // At 115200 baud the same reply takes 89.4 ms.
    line.engine.SetBaud(115200);
    line.Send(Cmd(0xF6));
    const std::size_t by109 = line.Wait(20 + 89).size();
    EXPECT_LT(by109, 1030u);
    EXPECT_GT(by109, 1000u);
    EXPECT_EQ(by109 + line.Wait(1).size(), 1030u);
}

TEST(SimEngine, LogNamesEveryFrameWithItsBytes) {
    Line line;
    std::vector<std::string> printed;
    line.engine.SetLogSink(
        [&](const sim::LogEntry& e) { printed.push_back(sim::FormatLogEntry(e)); });
    const Bytes noise{0x13, 0x37};
    line.engine.Receive(noise.data(), noise.size(), line.now);
    line.Ask(Cmd(0xD0), 100);
    const auto log = line.engine.Log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].kind, sim::LogEntry::Kind::Discarded);
    EXPECT_EQ(log[1].kind, sim::LogEntry::Kind::Received);
    EXPECT_EQ(log[1].name, "Connect");
    EXPECT_EQ(log[2].kind, sim::LogEntry::Kind::Sent);
    EXPECT_EQ(log[2].timeMs, line.now - 100 + 20);
    ASSERT_EQ(printed.size(), 3u);
    EXPECT_NE(printed[0].find("?? discarded: 13 37"), std::string::npos) << printed[0];
    EXPECT_NE(printed[1].find("<- D0 Connect: AA 55 D0 0D 0A"), std::string::npos) << printed[1];
    EXPECT_NE(printed[2].find("-> D0 handshake: 55 AA D0 FD FA"), std::string::npos) << printed[2];
}

TEST(SimEngine, LineResetLosesWhatArrivedWhileThePortWasClosed) {
    Line line;
    line.Send(Cmd(0xD0));
    line.now += 100;
    line.engine.LineReset(line.now);
    EXPECT_TRUE(line.Wait(100).empty());
    EXPECT_EQ(line.Ask(Cmd(0xD0), 100).size(), 5u);
}

// --- faults ---

Line WithFault(sim::Fault fault, std::set<std::uint8_t> codes = {}, int times = 0) {
    sim::EngineOptions o;
    o.faults.push_back({fault, std::move(codes), times});
    return Line(o);
}

const Bytes kHandshake{0x55, 0xAA, 0xD0, 0xFD, 0xFA};

TEST(SimFaults, NoReply) {
    Line line = WithFault(sim::Fault::NoReply);
    EXPECT_TRUE(line.Ask(Cmd(0xD0), 60000).empty());
    EXPECT_TRUE(line.Ask(Cmd(0xE0), 60000).empty());
}

TEST(SimFaults, LateReplyComesAfterTheProgramsWait) {
    Line line = WithFault(sim::Fault::LateReply);
    EXPECT_TRUE(line.Ask(Cmd(0xD0), 100 + 999).empty()); // the program waits 100 ms
    EXPECT_EQ(line.Wait(100), kHandshake);
    // 0xEB of a CT excitation: the program waits 10 s; the reply starts a second later.
    line.Send(Cmd(0xEC, {0x1A}));
    EXPECT_TRUE(line.Ask(Cmd(0xEB), 10999).empty());
    EXPECT_EQ(line.Wait(100), (Bytes{0x55, 0xAA, 0xEB, 0xFD, 0xFA}));
}

TEST(SimFaults, CutShortSendsOnlyTheFirstHalf) {
    Line line = WithFault(sim::Fault::CutShort);
    const Bytes got = line.Ask(Cmd(0xE0), 60000);
    EXPECT_EQ(got, (Bytes{0x55, 0xAA, 0xE0, 0xAF}));
}

TEST(SimFaults, SplitReplyHasAGapInTheMiddle) {
    Line line = WithFault(sim::Fault::Split);
    line.Send(Cmd(0xD0));
    const auto arrivals = line.Watch(1000);
    ASSERT_EQ(arrivals.size(), 5u);
    Bytes bytes;
    for (const auto& a : arrivals)
        bytes.push_back(a.byte);
    EXPECT_EQ(bytes, kHandshake);
    EXPECT_GE(arrivals[2].ms - arrivals[1].ms, 200);
    EXPECT_LE(arrivals[1].ms - arrivals[0].ms, 2);
}

TEST(SimFaults, NoiseBytesComeBeforeTheFrame) {
    Line line = WithFault(sim::Fault::Noise);
    const Bytes got = line.Ask(Cmd(0xD0), 100);
    const Bytes noise = sim::FaultSettings{}.noise;
    ASSERT_EQ(got.size(), noise.size() + 5);
    EXPECT_EQ(Bytes(got.begin(), got.begin() + static_cast<std::ptrdiff_t>(noise.size())), noise);
    EXPECT_EQ(Bytes(got.end() - 5, got.end()), kHandshake);
}

TEST(SimFaults, WrongTrailer) {
    Line line = WithFault(sim::Fault::WrongTrailer);
    EXPECT_EQ(line.Ask(Cmd(0xD0), 100), (Bytes{0x55, 0xAA, 0xD0, 0xFA, 0xFD}));
}

TEST(SimFaults, CountOverrunClaimsMoreThanIsSentAndSparesRepliesWithoutCounts) {
    Line line = WithFault(sim::Fault::CountOverrun);
    EXPECT_EQ(line.Ask(Cmd(0xD0), 100), kHandshake);
    const Bytes list = line.Ask(Cmd(0xE4), 2000);
    ASSERT_TRUE(simtest::SplitFrame(list).has_value());
    const int records = static_cast<int>(line.engine.Records().Ct().size());
    EXPECT_EQ(simtest::U16(simtest::SplitFrame(list)->payload, 0), records + 10);
    EXPECT_EQ(list.size(), static_cast<std::size_t>(3 + 2 + 6 * records + 2));
    const Bytes result = line.RunTest(0x1A);
    ASSERT_TRUE(simtest::SplitFrame(result).has_value());
    EXPECT_EQ(result[3], 30 + 10);
    EXPECT_EQ(result.size(), 3u + 5 + 4 * 30 + 2);
}

TEST(SimFaults, ChosenCodesAndCounts) {
    // Only the result 0x1A, and only once.
    Line line = WithFault(sim::Fault::NoReply, {0x1A}, 1);
    EXPECT_EQ(line.Ask(Cmd(0xD0), 100), kHandshake);
    EXPECT_TRUE(line.RunTest(0x1A).empty());
    EXPECT_FALSE(line.Ask(Cmd(0xF6), 500).empty()); // the second time it comes
    // Rules can be replaced on a running engine, and apply to every code when none are named.
    line.engine.SetFaults({{sim::Fault::WrongTrailer, {}, 0}});
    EXPECT_EQ(line.Ask(Cmd(0xD0), 100), (Bytes{0x55, 0xAA, 0xD0, 0xFA, 0xFD}));
    EXPECT_EQ(line.Ask(Cmd(0xD0), 100), (Bytes{0x55, 0xAA, 0xD0, 0xFA, 0xFD}));
    line.engine.SetFaults({});
    EXPECT_EQ(line.Ask(Cmd(0xD0), 100), kHandshake);
}

TEST(SimFaults, NamesRoundTrip) {
    for (sim::Fault f :
         {sim::Fault::None, sim::Fault::NoReply, sim::Fault::LateReply, sim::Fault::CutShort,
          sim::Fault::Split, sim::Fault::Noise, sim::Fault::WrongTrailer, sim::Fault::CountOverrun})
        EXPECT_EQ(sim::FaultFromName(sim::FaultName(f)), f);
    EXPECT_FALSE(sim::FaultFromName("bogus").has_value());
}

} // namespace
