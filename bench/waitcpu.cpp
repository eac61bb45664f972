// Processor time while the program waits for the instrument: the main window up, connected
// over a pseudo-terminal, the status bar's clock, the wait's progress and the line watch running.
#include "benchkit.h"
#include "figures.h"

#include "platform/clock.h"

#include <cstdio>
#include <cstdlib>

namespace bench {

// waitcpu --sim PATH [--ms 10000] [--runs 3]: "wait_cpu_pct" per wait (of one core).
int WaitCpuMain(int argc, char** argv) {
    const std::string simProgram = Option(argc, argv, "--sim", "");
    const int waitMs = std::stoi(Option(argc, argv, "--ms", "10000"));
    const int runs = std::stoi(Option(argc, argv, "--runs", "3"));

    TempDir dir;
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    SimOnPty sim(simProgram, dir.Path() + "/sim.log", SimTimingOptions());
    if (!sim.Ready())
        return 1;
    Program program(argc, argv);
    if (!program.ShowMainWindow() || !Connect(program.app)) {
        std::fprintf(stderr, "tarvex-bench: no handshake over the pty\n");
        return 1;
    }
    for (int run = 0; run < runs; ++run) {
        const double cpuBefore = CpuMs();
        const std::int64_t start = NowNs();
        Sleep(waitMs); // the wait of every command, here on the GUI thread as in a test
        const double wall = MsSince(start);
        Report("wait_cpu_pct", (CpuMs() - cpuBefore) / wall * 100);
    }
    return 0;
}

} // namespace bench
