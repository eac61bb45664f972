// The program against the simulated instrument in this process, on the virtual clock: tests
// take no real time, so memory can be read after one test and after a thousand.
#include "benchkit.h"
#include "figures.h"

#include "link/devicelink.h"
#include "pages/testpage.h"
#include "platform/virtualclock.h"
#include "sim/engine.h"
#include "sim/simportopener.h"

#include <cstdio>
#include <memory>

namespace bench {
namespace {

// The instrument behind COM1 from now on: the link reopened on it, the virtual clock in force.
class SimulatedInstrument {
  public:
    explicit SimulatedInstrument(CTarvexApp& app) : m_app(app) {
        app.m_pLink->ClosePort();
        app.m_pLink->Open(1, 9600);
    }
    // The device the link holds lives on the engine: the port closes before the engine goes.
    ~SimulatedInstrument() { m_app.m_pLink->ClosePort(); }
    SimulatedInstrument(const SimulatedInstrument&) = delete;
    SimulatedInstrument& operator=(const SimulatedInstrument&) = delete;

    // One test of the kind; false when it did not run or brought no result.
    bool Test(int kind) {
        const bool ran = RunTest(m_app, kind) && Page(m_app, kind)->m_bResultArrived;
        QCoreApplication::processEvents(); // back in the event loop, as after every test
        // What the simulator keeps for tests of its own is no part of the program.
        m_port.ClearWritten();
        m_engine.ClearLog();
        return ran;
    }

  private:
    CTarvexApp& m_app;
    tarvex::VirtualClock m_clock;
    tarvex::ScopedClock m_useClock{m_clock};
    sim::Engine m_engine;
    sim::ScopedSimPort m_port{m_engine};
};

} // namespace

// startup --since NS: "startup_ms" from NS (CLOCK_MONOTONIC, taken by the parent before it
// started this process) to the main window painted; then "rss_after_test_kb" after one test of
// each kind.
int StartupMain(int argc, char** argv) {
    const std::int64_t since = std::stoll(Option(argc, argv, "--since", "0"));
    Program program(argc, argv);
    if (!program.ShowMainWindow())
        return 1;
    Report("startup_ms", MsSince(since));

    SimulatedInstrument instrument(program.app);
    if (!Connect(program.app))
        return 1;
    for (int kind = 0; kind < kKinds; ++kind) {
        if (!instrument.Test(kind)) {
            std::fprintf(stderr, "tarvex-bench: %s brought no result\n", KindName(kind));
            return 1;
        }
    }
    Report("rss_after_test_kb", static_cast<double>(ResidentKb()));
    return 0;
}

// soak [--tests 1000]: "rss_growth_kb" over that many tests (the nine kinds in turn), after a
// warm-up of two rounds; "failed_tests" that brought no result.
int SoakMain(int argc, char** argv) {
    const int tests = std::stoi(Option(argc, argv, "--tests", "1000"));
    Program program(argc, argv);
    if (!program.ShowMainWindow())
        return 1;
    SimulatedInstrument instrument(program.app);
    if (!Connect(program.app))
        return 1;
    int failed = 0;
    for (int i = 0; i < 2 * kKinds; ++i)
        failed += instrument.Test(i % kKinds) ? 0 : 1;
    const long before = ResidentKb();
    for (int i = 0; i < tests; ++i)
        failed += instrument.Test(i % kKinds) ? 0 : 1;
    Report("rss_growth_kb", static_cast<double>(ResidentKb() - before));
    Report("failed_tests", failed);
    return 0;
}

} // namespace bench
