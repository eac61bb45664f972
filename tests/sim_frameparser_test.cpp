// The simulator's command frame parser: frame lengths of the command table, input in pieces,
// the extra 00 of 0xF2/0xF3, resynchronisation on garbage.
#include "sim/frameparser.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Frame(std::uint8_t command, const Bytes& payload, bool extraZero = false) {
    Bytes b{0xAA, 0x55, command};
    b.insert(b.end(), payload.begin(), payload.end());
    b.push_back(0x0D);
    b.push_back(0x0A);
    if (extraZero)
        b.push_back(0x00);
    return b;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

std::vector<sim::CommandFrame> FeedAll(sim::FrameParser& parser, const Bytes& bytes) {
    return parser.Feed(bytes.data(), bytes.size());
}

std::vector<sim::CommandFrame> FeedByteByByte(sim::FrameParser& parser, const Bytes& bytes) {
    std::vector<sim::CommandFrame> frames;
    for (std::uint8_t b : bytes)
        for (auto& f : parser.Feed(&b, 1))
            frames.push_back(std::move(f));
    return frames;
}

// The whole-frame lengths of the command table (the extra 00 of F2/F3 included).
struct LengthCase {
    std::uint8_t command;
    std::size_t frameLength;
};

void PrintTo(const LengthCase& c, std::ostream* os) {
    *os << "command " << std::hex << int(c.command);
}

class SimFrameLengths : public ::testing::TestWithParam<LengthCase> {};

TEST_P(SimFrameLengths, EachCommandIsCutAtItsLength) {
    const LengthCase c = GetParam();
    const bool extraZero = c.command == 0xF2 || c.command == 0xF3;
    const std::size_t payloadLength = c.frameLength - 5 - (extraZero ? 1 : 0);
    Bytes payload(payloadLength);
    std::iota(payload.begin(), payload.end(), std::uint8_t{1});
    const Bytes frame = Frame(c.command, payload, extraZero);
    ASSERT_EQ(frame.size(), c.frameLength);
    // Followed by a handshake, which must come out whole behind it: nothing was over- or
    // under-read.
    const Bytes stream = Join({frame, Frame(0xD0, {})});
    for (bool byteByByte : {false, true}) {
        sim::FrameParser parser;
        const auto frames = byteByByte ? FeedByteByByte(parser, stream) : FeedAll(parser, stream);
        ASSERT_EQ(frames.size(), 2u) << std::hex << int(c.command);
        EXPECT_EQ(frames[0].command, c.command);
        EXPECT_EQ(frames[0].payload, payload);
        EXPECT_EQ(frames[1].command, 0xD0);
        EXPECT_TRUE(parser.TakeDiscarded().empty());
        EXPECT_EQ(parser.Buffered(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandTable, SimFrameLengths,
    ::testing::Values(LengthCase{0xD0, 5}, LengthCase{0xD1, 5}, LengthCase{0xE0, 5},
                      LengthCase{0xE3, 35}, LengthCase{0xE4, 5}, LengthCase{0xE5, 7},
                      LengthCase{0xE6, 5}, LengthCase{0xE7, 7}, LengthCase{0xEB, 5},
                      LengthCase{0xEC, 6}, LengthCase{0xED, 11}, LengthCase{0xEE, 8},
                      LengthCase{0xEF, 8}, LengthCase{0xF0, 10}, LengthCase{0xF1, 10},
                      LengthCase{0xF2, 7}, LengthCase{0xF3, 7}, LengthCase{0xF6, 5}));

TEST(SimFrameParser, ExcitationParametersAsTheLinkSendsThem) {
    sim::FrameParser parser;
    const auto frames =
        FeedAll(parser, {0xAA, 0x55, 0xED, 0x01, 0xF4, 0x05, 0x01, 0x02, 0x00, 0x0D, 0x0A});
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].payload, (Bytes{0x01, 0xF4, 0x05, 0x01, 0x02, 0x00}));
    EXPECT_EQ(frames[0].bytes.size(), 11u);
}

TEST(SimFrameParser, TrailingZeroOfF2IsConsumedAcrossChunkBoundaries) {
    const Bytes stream =
        Join({Frame(0xF2, {0x05}, true), Frame(0xF3, {0x03}, true), Frame(0xEB, {})});
    // Cut the stream at every position: the 00 may come with its frame or in the next chunk.
    for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
        sim::FrameParser parser;
        auto frames = parser.Feed(stream.data(), cut);
        auto rest = parser.Feed(stream.data() + cut, stream.size() - cut);
        frames.insert(frames.end(), rest.begin(), rest.end());
        ASSERT_EQ(frames.size(), 3u) << "cut at " << cut;
        EXPECT_EQ(frames[0].command, 0xF2);
        EXPECT_EQ(frames[0].payload, Bytes{0x05});
        EXPECT_EQ(frames[1].command, 0xF3);
        EXPECT_EQ(frames[2].command, 0xEB);
        EXPECT_TRUE(parser.TakeDiscarded().empty()) << "cut at " << cut;
    }
}

TEST(SimFrameParser, F2WithoutItsZeroDoesNotSwallowTheNextFrame) {
    sim::FrameParser parser;
    const auto frames = FeedAll(parser, Join({Frame(0xF2, {0x01}), Frame(0xD0, {})}));
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[1].command, 0xD0);
}

struct GarbageCase {
    const char* what;
    Bytes stream;
    std::vector<std::uint8_t> commands; // frames expected, in order
    Bytes discarded;
};

void PrintTo(const GarbageCase& c, std::ostream* os) {
    *os << c.what;
}

class SimFrameGarbage : public ::testing::TestWithParam<GarbageCase> {};

TEST_P(SimFrameGarbage, ResynchronisesOnTheNextGoodFrame) {
    const GarbageCase& c = GetParam();
    for (bool byteByByte : {false, true}) {
        sim::FrameParser parser;
        const auto frames =
            byteByByte ? FeedByteByByte(parser, c.stream) : FeedAll(parser, c.stream);
        std::vector<std::uint8_t> commands;
        for (const auto& f : frames)
            commands.push_back(f.command);
        EXPECT_EQ(commands, c.commands) << c.what;
        EXPECT_EQ(parser.TakeDiscarded(), c.discarded) << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, SimFrameGarbage,
    ::testing::Values(GarbageCase{"noise before",
                                  Join({{0x00, 0xFF, 0xAA, 0x00}, Frame(0xD0, {})}),
                                  {0xD0},
                                  {0x00, 0xFF, 0xAA, 0x00}},
                      GarbageCase{"wrong trailer",
                                  Join({{0xAA, 0x55, 0xD0, 0x0D, 0x0B}, Frame(0xE0, {})}),
                                  {0xE0},
                                  {0xAA, 0x55, 0xD0, 0x0D, 0x0B}},
                      GarbageCase{"unknown command",
                                  Join({{0xAA, 0x55, 0x99, 0x0D, 0x0A}, Frame(0xD0, {})}),
                                  {0xD0},
                                  {0xAA, 0x55, 0x99, 0x0D, 0x0A}},
                      GarbageCase{"AA AA 55", Join({{0xAA}, Frame(0xEB, {})}), {0xEB}, {0xAA}},
                      GarbageCase{"frame start inside a bad frame",
                                  Join({{0xAA, 0x55, 0xEC, 0x1A}, Frame(0xD0, {})}),
                                  {0xD0},
                                  {0xAA, 0x55, 0xEC, 0x1A}},
                      GarbageCase{"AA 55 inside a payload",
                                  Frame(0xED, {0xAA, 0x55, 0x05, 0x01, 0x02, 0x00}),
                                  {0xED},
                                  {}},
                      GarbageCase{"lone 00 between frames",
                                  Join({Frame(0xD0, {}), {0x00}, Frame(0xE0, {})}),
                                  {0xD0, 0xE0},
                                  {0x00}}));

TEST(SimFrameParser, AFrameLeftHalfWayIsGivenUpWhenTheNextBytesComeMuchLater) {
    sim::FrameParser parser;
    const Bytes torn{0xAA, 0x55, 0xED, 0x01};
    EXPECT_TRUE(parser.Feed(torn.data(), torn.size(), 1000).empty());
    const Bytes next = Frame(0xD0, {});
    const auto frames =
        parser.Feed(next.data(), next.size(), 1000 + sim::FrameParser::kStaleMs + 1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].command, 0xD0);
    EXPECT_EQ(parser.TakeDiscarded(), torn);
}

TEST(SimFrameParser, BytesOfOneFrameInQuickSuccessionStayTogether) {
    sim::FrameParser parser;
    const Bytes frame = Frame(0xEE, {0x00, 0x64, 0x05});
    std::vector<sim::CommandFrame> frames;
    for (std::size_t i = 0; i < frame.size(); ++i)
        for (auto& f : parser.Feed(&frame[i], 1, 1000 + static_cast<std::int64_t>(i) * 10))
            frames.push_back(f);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].payload, (Bytes{0x00, 0x64, 0x05}));
}

TEST(SimFrameParser, ResetForgetsAPartialFrame) {
    sim::FrameParser parser;
    const Bytes torn{0xAA, 0x55, 0xE3, 0x01, 0x02};
    parser.Feed(torn.data(), torn.size());
    EXPECT_EQ(parser.Buffered(), 5u);
    parser.Reset();
    EXPECT_EQ(parser.Buffered(), 0u);
    const auto frames = FeedAll(parser, Frame(0xD0, {}));
    EXPECT_EQ(frames.size(), 1u);
}

} // namespace
