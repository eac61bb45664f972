#include "platform/appearance.h"
#include "platform/fonts.h"
#include "res/tarvexres.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QtGlobal>

namespace {

// Every test starts with a fresh configuration, whichever tests ran before it in this process.
class FreshSettings : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { QSettings("tarvex", "tarvex").clear(); }
};

} // namespace

int main(int argc, char** argv) {
    // Test discovery runs the binary without CTest's environment, so set the platform here.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // What the program remembers between runs goes into a folder of this process, never into
    // the user's configuration.
    const QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    // So does the results archive of every program a test starts.
    const QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarvex");
    tarvex::InstallFontSubstitutions();
    QApplication::setFont(tarvex::SongFont(12)); // as the program does
    tarvex::InstallQtTranslations();
    tarvex::InstallReadablePalette();
    tarvex::InitResources();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshSettings);
    return RUN_ALL_TESTS();
}
