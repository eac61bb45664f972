// tarvex-sim: the instrument simulator on a pseudo-terminal (see ProgramHelp()).
#include "engine.h"
#include "link/comname.h"
#include "ptyport.h"
#include "simoptions.h"
#include "simrunner.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <string>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

} // namespace

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv); // names the program in --help as it was started
    sim::ProgramOptions options;
    std::string error;
    if (!sim::ParseProgramOptions(QCoreApplication::arguments(), &options, &error)) {
        std::fprintf(stderr, "tarvex-sim: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(sim::ProgramHelp().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tarvex-sim %s\n", TARVEX_VERSION);
        return 0;
    }
    if (options.fixedBaud > 0)
        options.engine.baud = options.fixedBaud;

    // SIGINT, SIGTERM and SIGHUP are blocked except while the loop waits, so a stop is never
    // missed. SIGHUP too: a closed terminal must not leave a link to a pty that the next
    // terminal gets.
    const int stops[] = {SIGINT, SIGTERM, SIGHUP};
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int s : stops)
        sigaddset(&stopSignals, s);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int s : stops) {
        sigdelset(&waitMask, s);
        sigaction(s, &action, nullptr);
    }
    std::signal(SIGPIPE, SIG_IGN);

    sim::PtyPort port;
    if (!port.Open(&error)) {
        std::fprintf(stderr, "tarvex-sim: %s\n", error.c_str());
        return 1;
    }
    const std::string linkPath = tarvex::PortFolder() + "/" + options.port;
    if (!port.Link(linkPath, &error)) {
        std::fprintf(stderr, "tarvex-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("device %s linked as %s\n", port.SlavePath().c_str(), linkPath.c_str());
    std::fflush(stdout);

    sim::Engine engine(options.engine);
    const sim::EngineOptions& o = options.engine;
    std::printf("instrument: model %02X, type %02X, range %02X, test %d ms, CT %g/%g A class %g, "
                "PT %g kV, %s\n",
                o.model, o.deviceType, o.range, o.testDurationMs, o.ct.ratedPrimary,
                o.ct.ratedSecondary, o.ct.accuracyClass, o.pt.ratedPrimaryKv,
                options.fixedBaud > 0
                    ? ("paced at " + std::to_string(options.fixedBaud) + " baud").c_str()
                    : "paced at the line's baud rate");
    for (const sim::FaultRule& rule : o.faults)
        std::printf("fault: %s%s\n", sim::FaultName(rule.fault),
                    rule.codes.empty() ? " on every reply" : "");
    std::fflush(stdout);

    sim::SimRunner runner(engine, port, options.fixedBaud, options.verbose, stdout);
    engine.SetLogSink([](const sim::LogEntry& entry) {
        std::printf("%s\n", sim::FormatLogEntry(entry).c_str());
        std::fflush(stdout);
    });
    const int status = runner.Run(&g_stop, &waitMask);
    port.Unlink();
    std::printf("stopped\n");
    std::fflush(stdout);
    return status;
}
