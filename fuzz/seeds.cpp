// Composes the seed inputs of the fuzz targets from the instrument's reply layouts (the
// simulator's encoders): every test on its page, the record lists and uploads, replies late,
// split, cut or too long for one read. Writes FOLDER/fuzz_replies/seed-* and
// FOLDER/fuzz_blocks/seed-*:
//     build/fuzz/fuzz_seeds fuzz/corpus
#include "script.h"

#include "sim/burdenreplies.h"
#include "sim/errorreplies.h"
#include "sim/excitationreply.h"
#include "sim/historyreplies.h"
#include "sim/ratioreplies.h"
#include "sim/resistancereply.h"
#include "sim/statusreplies.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

// A fuzz_replies input, chunk by chunk.
class Script {
  public:
    Script& Act(unsigned char action, Bytes parameters = {}) {
        Chunk(action, parameters);
        return *this;
    }
    Script& Reply(const Bytes& bytes, unsigned char timing = fuzz::kWhole) {
        Chunk(timing, bytes);
        return *this;
    }
    // Handshake and device information: model, type (0xA2: six taps), range.
    Script& Connected(unsigned char type = 0xA1) {
        return Reply(sim::EncodeHandshake()).Reply(sim::EncodeDeviceInfo(0xAA, type, 0xA1));
    }
    // A test started on its page, finished, and its result.
    Script& Test(int kind, const Bytes& result) {
        return Act(fuzz::kStartTest, {static_cast<unsigned char>(kind)})
            .Reply(sim::EncodeTestFinished())
            .Reply(result);
    }
    const Bytes& bytes() const { return m_bytes; }

  private:
    void Chunk(unsigned char first, const Bytes& rest) {
        if (!m_bytes.empty())
            m_bytes.insert(m_bytes.end(), std::begin(fuzz::kSeparator), std::end(fuzz::kSeparator));
        m_bytes.push_back(first);
        m_bytes.insert(m_bytes.end(), rest.begin(), rest.end());
    }
    Bytes m_bytes;
};

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Repeat(const Bytes& part, std::size_t size) {
    Bytes all;
    while (all.size() + part.size() <= size)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A saturating excitation curve of n points up to about 2 A.
sim::ExcitationResult Curve(int n, double kneeVoltage) {
    sim::ExcitationResult result{kneeVoltage, 0.05, {}};
    for (int i = 1; i <= n; ++i) {
        const double current = 2.0 * i / n;
        result.points.push_back({current, kneeVoltage * 1.3 * std::tanh(current * 8)});
    }
    return result;
}

std::vector<sim::HistoryRecord> Records(int count, int points) {
    std::vector<sim::HistoryRecord> records;
    for (int r = 0; r < count; ++r) {
        sim::HistoryRecord rec{24,    1 + r % 12, 1 + r % 28, 9,        30,      r % 60,
                               1 + r, 1 + r % 9,  r % 3,      "TX2024", "LIWEI", "XINCUN",
                               2500,  600,        200,        1,        {},      {}};
        for (int i = 1; i <= points; ++i) {
            rec.currents.push_back(static_cast<std::int16_t>(i * 40));
            rec.voltages.push_back(static_cast<std::int16_t>(std::min(i * 90, 1800)));
        }
        records.push_back(rec);
    }
    return records;
}

Bytes Cut(Bytes bytes, std::size_t keep) {
    bytes.resize(std::min(keep, bytes.size()));
    return bytes;
}

void Write(const fs::path& folder, const std::string& name, const Bytes& bytes) {
    fs::create_directories(folder);
    std::ofstream file(folder / ("seed-" + name), std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void ReplySeeds(const fs::path& folder) {
    const Bytes ctCurve = sim::EncodeExcitationReply(0x1A, Curve(12, 120));
    const Bytes ptCurve = sim::EncodeExcitationReply(0x1F, Curve(8, 90));
    const Bytes ctRatio = sim::EncodeCtRatioReply({100, 0.833, 600, 5, true});
    const Bytes taps = sim::EncodeCtTapReply(
        {100, 0.2, {100, 200, 300, 400, 500, 600}, {true, true, false, true, true, true}, 5});
    const Bytes ptRatio = sim::EncodePtRatioReply({1000, 99.9, 10, 1, false});
    const Bytes ctError =
        sim::EncodeCtErrorReply({{12.5, 8.1, -3.2, 2.0}, {-0.35, 0.12, 0.05, 0.04}});
    const Bytes ptError = sim::EncodePtErrorReply({{4.2, -3.1, 2.5}, {0.1, -0.2, 0.15}});
    const Bytes ctBurden = sim::EncodeCtBurdenReply(0.8);
    const Bytes ptBurden = sim::EncodePtBurdenReply(25.3);
    const Bytes resistance = sim::EncodeResistanceReply(sim::ResistanceReadingOf(0.1234));
    const Bytes results[9] = {ctCurve, ctRatio, ctError,  ctBurden,  ptCurve,
                              ptRatio, ptError, ptBurden, resistance};

    for (int kind = 0; kind < 9; ++kind)
        Write(folder, "test" + std::to_string(kind),
              Script().Connected().Test(kind, results[kind]).bytes());
    Write(folder, "taps", Script().Connected(0xA2).Test(1, taps).bytes());
    // No test-finished reply: the polls get the result, the six-tap one twice.
    Write(folder, "taps-polled",
          Script()
              .Connected(0xA2)
              .Act(fuzz::kStartTest, {1})
              .Reply({})
              .Reply(taps)
              .Reply(taps)
              .bytes());
    // The test-finished reply after noise; the result request answered without a trailer.
    Write(folder, "ratio-untrailed",
          Script()
              .Connected()
              .Act(fuzz::kStartTest, {1})
              .Reply({0x01, 0x00, 0x00, 0x55, 0xAA, 0xEB, 0xFD, 0xFA})
              .Reply({0xCC, 0xCC, 0xCC, 0x05, 0, 0, 0, 0, 0, 0x55, 0xAA, 0x2A, 0x03, 0xE8})
              .bytes());
    // A curve cut inside its voltages, one split in pieces, one late.
    const Bytes curve4 = sim::EncodeExcitationReply(0x1A, Curve(4, 100));
    Write(folder, "curve-cut",
          Script()
              .Connected()
              .Act(fuzz::kStartTest, {0})
              .Reply(Concat({Cut(curve4, 3 + 5 + 8 + 4), {0xFD, 0xFA}}))
              .bytes());
    Write(folder, "curve-split",
          Script()
              .Connected()
              .Act(fuzz::kStartTest, {0})
              .Reply(sim::EncodeExcitationReply(0x1A, Curve(60, 150)), 0x28)
              .Act(fuzz::kErrorCurve)
              .Act(fuzz::kSave)
              .bytes());
    Write(folder, "curve-late",
          Script()
              .Connected()
              .Act(fuzz::kStartTest, {4})
              .Reply(sim::EncodeTestFinished())
              .Reply(ptCurve, 0x16)
              .Act(fuzz::kStartTest, {4})
              .Reply(sim::EncodeTestFinished())
              .Reply(ptCurve)
              .Act(fuzz::kSave)
              .bytes());
    // Connect answered late, then a handshake nested in a result block.
    Write(folder, "connect-late",
          Script()
              .Reply(sim::EncodeHandshake(), 0x15)
              .Act(fuzz::kConnect)
              .Reply(sim::EncodeHandshake())
              .Reply(sim::EncodeDeviceInfo(0xAD, 0xA1, 0xA2))
              .Act(fuzz::kStartTest, {0})
              .bytes());
    Write(folder, "handshake-in-result",
          Script()
              .Connected()
              .Act(fuzz::kStartTest, {8})
              .Reply(Concat({resistance, sim::EncodeHandshake()}))
              .Reply(sim::EncodeDeviceInfo(0xAC, 0xA2, 0xA1))
              .bytes());

    // Record lists, uploads, a record shown, Save and the error curve.
    const auto ct = Records(4, 20);
    const auto pt = Records(3, 12);
    Script ctUpload;
    ctUpload.Connected()
        .Act(fuzz::kSearchCt)
        .Reply(sim::EncodeHistoryList(0xE4, ct))
        .Act(fuzz::kUpload, {0, 1, 3});
    for (int r : {0, 1, 3})
        ctUpload.Reply(sim::EncodeHistoryRecord(0xE5, ct[r]));
    ctUpload.Act(fuzz::kShowRecord, {2}).Act(fuzz::kErrorCurve).Act(fuzz::kSave);
    Write(folder, "ct-records", ctUpload.bytes());
    Script ptUpload;
    ptUpload.Connected()
        .Act(fuzz::kSearchPt)
        .Reply(sim::EncodeHistoryList(0xE6, pt, 2))
        .Act(fuzz::kUpload, {0, 2});
    ptUpload.Reply(sim::EncodeHistoryRecord(0xE7, pt[0]))
        .Reply(Cut(sim::EncodeHistoryRecord(0xE7, pt[2], 3), 60), 0x1B);
    ptUpload.Act(fuzz::kShowRecord, {1}).Act(fuzz::kShowRecord, {3}).Act(fuzz::kSave);
    Write(folder, "pt-records", ptUpload.bytes());
}

// A fuzz_blocks input: timing, reader, bytes.
Bytes Block(unsigned char timing, unsigned char reader, const Bytes& bytes) {
    return Concat({{timing, reader}, bytes});
}

void BlockSeeds(const fs::path& folder) {
    enum { kLink = 0, kConnect = 1, kList = 2, kResult = 3 };
    const Bytes curve255 = sim::EncodeExcitationReply(0x1A, Curve(255, 400));
    Write(folder, "curve255", Block(fuzz::kWhole, kResult, curve255));
    Write(folder, "curve255-pieces", Block(0x28, kResult, curve255)); // 64 bytes each 3 ms
    Write(folder, "list1400",
          Block(fuzz::kWhole, kList, sim::EncodeHistoryList(0xE4, Records(1400, 0))));
    Write(folder, "list-noise",
          Block(0x30, kList, Concat({Repeat({0x55, 0xAA, 0xE4, 0x7F, 0xFF}, 8185), {0xFD, 0xFA}})));
    const Bytes many = Repeat(Concat({{0x00, 0x13}, sim::EncodeHandshake(), curve255}), 20000);
    Write(folder, "many-blocks", Block(0x78, kLink, many)); // 4096 bytes each 70 ms
    Write(folder, "many-blocks-whole", Block(fuzz::kWhole, kLink, many));
    Write(folder, "connect-noise",
          Block(0x20, kConnect,
                Concat({Bytes(9000, 0x55), sim::EncodeHandshake(),
                        sim::EncodeDeviceInfo(0xAB, 0xA1, 0xA1)})));
    Write(folder, "wrong-trailer",
          Block(0x19, kResult,
                Concat({Cut(curve255, 600), {0xFA, 0xFD}, sim::EncodeTestFinished()})));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS-FOLDER\n", argv[0]);
        return 2;
    }
    ReplySeeds(fs::path(argv[1]) / "fuzz_replies");
    BlockSeeds(fs::path(argv[1]) / "fuzz_blocks");
    return 0;
}
