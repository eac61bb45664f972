#include "tarvexapp.h"
#include "platform/appearance.h"
#include "platform/fonts.h"
#include "res/tarvexres.h"

#include "link/protocoltrace.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {

// --trace FILE, or TARVEX_TRACE=FILE: the protocol trace for a support case. Off otherwise.
void StartTraceIfAsked(const QApplication& app)
{
    QCommandLineParser parser;
    const QCommandLineOption trace("trace", "Write every frame sent and block read to FILE.", "FILE");
    parser.addOption(trace);
    parser.parse(app.arguments()); // the document arguments of the framework pass untouched
    QString path = parser.value(trace);
    if (path.isEmpty())
        path = qEnvironmentVariable("TARVEX_TRACE");
    if (!path.isEmpty() && !tarvex::ProtocolTrace::Open(path.toStdString()))
        std::fprintf(stderr, "tarvex: cannot write the trace %s\n", qPrintable(path));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName("Tarvex");
    StartTraceIfAsked(qtApp);
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
