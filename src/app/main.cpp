#include "tarvexapp.h"
#include "platform/fonts.h"
#include "res/tarvexres.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qtApp(argc, argv);
    QApplication::setApplicationName("Tarvex");
    tarvex::InstallFontSubstitutions();
    tarvex::InitResources();
    QApplication::setFont(tarvex::SongFont(12));
    CTarvexApp app;
    if (!app.InitInstance())
        return 1;
    const int code = QApplication::exec();
    app.ExitInstance();
    return code;
}
