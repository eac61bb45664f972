#include "platform/appearance.h"
#include "platform/fonts.h"
#include "res/tarvexres.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QtGlobal>

int main(int argc, char** argv)
{
    // Test discovery runs the binary without CTest's environment, so set the platform here.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // What the program remembers between runs goes into a folder of this process, never into
    // the user's configuration.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarvex");
    tarvex::InstallFontSubstitutions();
    QApplication::setFont(tarvex::SongFont(12)); // as the program does
    tarvex::InstallQtTranslations();
    tarvex::InstallReadablePalette();
    tarvex::InitResources();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
