#include "platform/appearance.h"
#include "platform/fonts.h"
#include "res/tarvexres.h"
#include "tarvexapp.h"

#include "link/protocoltrace.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {

// --trace FILE, or TARVEX_TRACE=FILE: the protocol trace for a support case. Off otherwise.
void StartTraceIfAsked(QString path) {
    if (path.isEmpty())
        path = qEnvironmentVariable("TARVEX_TRACE");
    if (!path.isEmpty() && !tarvex::ProtocolTrace::Open(path.toStdString()))
        std::fprintf(stderr, "tarvex: cannot write the trace %s\n", qPrintable(path));
}

// The command line: --help, --version, --trace FILE. Returns the exit status when the program is
// to end here (--version, a bad command line), -1 to go on; --help prints and exits.
int ParseCommandLine(const QApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Companion program of a portable instrument-transformer tester: runs its tests over a\n"
        "serial line (COM1 to COM10), draws, saves and prints the results.\n"
        "The environment variable TARVEX_TRACE=FILE does what --trace FILE does.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption trace(
        "trace", "Write every frame sent and every block read, with a time stamp, to FILE.",
        "FILE");
    parser.addOption(trace);
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "tarvex: %s (see --help)\n", qPrintable(parser.errorText()));
        return 2;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "tarvex: unexpected argument '%s' (see --help)\n",
                     qPrintable(parser.positionalArguments().constFirst()));
        return 2;
    }
    if (parser.isSet("help"))
        parser.showHelp(0);
    if (parser.isSet("version")) {
        std::printf("tarvex %s\n", TARVEX_VERSION); // named as its manual page
        return 0;
    }
    StartTraceIfAsked(parser.value(trace));
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName("Tarvex");
    if (const int status = ParseCommandLine(qtApp); status >= 0)
        return status;
    tarvex::InstallFontSubstitutions();
    tarvex::InitResources();
    QApplication::setFont(tarvex::SongFont(12));
    tarvex::InstallQtTranslations();
    tarvex::InstallReadablePalette();
    CTarvexApp app;
    if (!app.InitInstance())
        return 1;
    const int code = QApplication::exec();
    app.ExitInstance();
    return code;
}
