#include "platform/appearance.h"
#include "platform/fonts.h"
#include "res/tarvexres.h"
#include "tarvexapp.h"

#include "link/protocoltrace.h"
#include "state/resultarchive.h"

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

// The command line: --help, --version, --trace FILE, --archive PATH (into archivePath). Returns
// the exit status when the program is to end here (--version, a bad command line), -1 to go on;
// --help prints and exits.
int ParseCommandLine(const QApplication& app, QString& archivePath) {
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
    const QCommandLineOption archive(
        "archive",
        "Keep the results archive (every result measured or uploaded) in PATH instead of\n"
        "~/.local/share/tarvex/archive.sqlite ($XDG_DATA_HOME/tarvex/archive.sqlite).",
        "PATH");
    parser.addOption(archive);
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
    if (parser.isSet(archive))
        archivePath = parser.value(archive);
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName("Tarvex");
    QString archivePath = CResultArchive::DefaultPath();
    if (const int status = ParseCommandLine(qtApp, archivePath); status >= 0)
        return status;
    tarvex::InstallFontSubstitutions();
    tarvex::InitResources();
    QApplication::setFont(tarvex::SongFont(12));
    tarvex::InstallQtTranslations();
    tarvex::InstallReadablePalette();
    CTarvexApp app;
    app.m_strArchivePath = archivePath;
    if (!app.InitInstance())
        return 1;
    const int code = QApplication::exec();
    app.ExitInstance();
    return code;
}
