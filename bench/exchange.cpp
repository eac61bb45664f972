// The test sequences over a real pseudo-terminal against tarvex-sim, on the real clock: how much
// longer each takes than its fixed waits and the time its replies spend on the wire.
#include "benchkit.h"
#include "figures.h"

#include "app/mainfrm.h"
#include "link/devicelink.h"
#include "link/protocoltrace.h"
#include "pages/testpage.h"
#include "platform/clock.h"

#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace bench {
namespace {

long FileSize(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<long>(info.st_size) : 0;
}

// Passes the waits on to the main frame's display and notes every fixed wait (a wait of known
// length) with the size the protocol trace had when it began, so that each block read in the
// trace can be paired with the wait before it.
class WaitLog : public tarvex::WaitObserver {
  public:
    struct Wait {
        long traceSize;
        int ms;
    };

    explicit WaitLog(std::string tracePath)
        : m_tracePath(std::move(tracePath)), m_next(tarvex::CurrentWaitObserver()) {
        tarvex::SetWaitObserver(this);
    }
    ~WaitLog() override { tarvex::SetWaitObserver(m_next); }

    void WaitStarted(int totalMs) override {
        if (totalMs > 0)
            waits.push_back({FileSize(m_tracePath), totalMs});
        if (m_next)
            m_next->WaitStarted(totalMs);
    }
    void WaitProgress(int leftMs) override {
        if (m_next)
            m_next->WaitProgress(leftMs);
    }
    void WaitEnded() override {
        if (m_next)
            m_next->WaitEnded();
    }

    std::vector<Wait> waits;

  private:
    std::string m_tracePath;
    tarvex::WaitObserver* m_next;
};

struct TraceRead {
    long offset; // where its line starts in the trace
    int command; // the command whose reply it is
    std::vector<int> bytes;
};

// The "<-" lines of the trace from offset on: "[  1.336] <- D0 Connect: 55 AA D0 FD FA".
std::vector<TraceRead> ReadsInTrace(const std::string& path, long from) {
    std::ifstream trace(path);
    trace.seekg(from);
    std::vector<TraceRead> reads;
    std::string line;
    for (long offset = from; std::getline(trace, line);
         offset += static_cast<long>(line.size()) + 1) {
        const std::size_t arrow = line.find("] <- ");
        const std::size_t colon = line.find(':', arrow);
        if (arrow == std::string::npos || colon == std::string::npos)
            continue;
        TraceRead read{offset, std::stoi(line.substr(arrow + 5, 2), nullptr, 16), {}};
        std::istringstream hex(line.substr(colon + 1));
        for (std::string byte; hex >> byte;)
            read.bytes.push_back(std::stoi(byte, nullptr, 16));
        reads.push_back(std::move(read));
    }
    return reads;
}

// The least time the sequence can take: its fixed waits, plus, for every reply that could not
// have arrived within the wait before its read, the rest of its time on the line (the
// instrument answers kSimReplyDelayMs after a command, the test-finished reply kSimTestMs after
// the start; every byte takes 10 bit times).
double FloorMs(const std::vector<WaitLog::Wait>& waits, const std::vector<TraceRead>& reads,
               int baud) {
    double floor = 0;
    for (const WaitLog::Wait& wait : waits)
        floor += wait.ms;
    for (const TraceRead& read : reads) {
        const WaitLog::Wait* before = nullptr;
        for (const WaitLog::Wait& wait : waits) {
            if (wait.traceSize <= read.offset)
                before = &wait;
        }
        const double latency = read.command == 0xEB ? kSimTestMs : kSimReplyDelayMs;
        const double arrival = latency + read.bytes.size() * 10 * 1000.0 / baud;
        floor += std::max(0.0, arrival - (before ? before->ms : 0));
    }
    return floor;
}

std::vector<int> Kinds(const std::string& list) {
    std::vector<int> kinds;
    std::istringstream items(list);
    for (std::string item; std::getline(items, item, ',');)
        kinds.push_back(std::stoi(item));
    return kinds;
}

} // namespace

// exchange --sim PATH --baud B [--points N] [--kinds 0,1,...] [--trace FILE]
// For each test: "wall_ms.K", "floor_ms.K", "overhead_pct.K", "result.K" (1 when the page got
// its result), "points.K" and "block_bytes.K"/"block_whole.K" (the result block read).
int ExchangeMain(int argc, char** argv) {
    const std::string simProgram = Option(argc, argv, "--sim", "");
    const int baud = std::stoi(Option(argc, argv, "--baud", "9600"));
    const std::string points = Option(argc, argv, "--points", "30");
    const std::vector<int> kinds = Kinds(Option(argc, argv, "--kinds", "0,1,2,3,4,5,6,7,8"));

    TempDir dir;
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    std::vector<std::string> simOptions = SimTimingOptions();
    simOptions.insert(simOptions.end(), {"--points", points});
    SimOnPty sim(simProgram, dir.Path() + "/sim.log", simOptions);
    if (!sim.Ready())
        return 1;

    Program program(argc, argv);
    if (!program.ShowMainWindow())
        return 1;
    CDeviceLink* link = program.app.m_pLink;
    // The operator's 操作 → 端口 with the rate of this run.
    link->ClosePort();
    if (!link->Open(1, baud)) {
        std::fprintf(stderr, "tarvex-bench: COM1 did not open at %d baud\n", baud);
        return 1;
    }
    // --trace FILE keeps the protocol trace for a look at where the time went.
    const std::string tracePath = Option(argc, argv, "--trace", dir.Path() + "/trace.txt");
    tarvex::ProtocolTrace::Open(tracePath);
    if (!Connect(program.app)) {
        std::fprintf(stderr, "tarvex-bench: no handshake at %d baud\n", baud);
        return 1;
    }

    for (int kind : kinds) {
        ChooseTest(program.app, kind);
        // From the press of the start button to the result painted.
        WaitLog waits(tracePath);
        const long traceFrom = FileSize(tracePath);
        const std::int64_t start = NowNs();
        if (!PressStart(program.app, kind)) {
            std::fprintf(stderr, "tarvex-bench: no start button for %s\n", KindName(kind));
            return 1;
        }
        QCoreApplication::processEvents(); // the result painted
        const double wall = MsSince(start);
        const std::vector<TraceRead> reads = ReadsInTrace(tracePath, traceFrom);
        const double floor = FloorMs(waits.waits, reads, baud);
        Report(Key("wall_ms", kind), wall);
        Report(Key("floor_ms", kind), floor);
        Report(Key("overhead_pct", kind), (wall - floor) / floor * 100);
        Report(Key("result", kind), Page(program.app, kind)->m_bResultArrived ? 1 : 0);
        if (!reads.empty()) {
            const std::vector<int>& block = reads.back().bytes;
            const bool whole =
                block.size() >= 2 && block[block.size() - 2] == 0xFD && block.back() == 0xFA;
            Report(Key("block_bytes", kind), static_cast<double>(block.size()));
            Report(Key("block_whole", kind), whole ? 1 : 0);
        }
        if (kind == 0 || kind == 4) {
            // The curve shown: the origin row and one row per point.
            auto* list = Page(program.app, kind)->findChild<QTreeWidget*>("id1003");
            Report(Key("points", kind), list ? list->topLevelItemCount() - 1 : -1);
        }
    }
    tarvex::ProtocolTrace::Close();
    Report("rss_kb", static_cast<double>(ResidentKb()));
    return 0;
}

} // namespace bench
