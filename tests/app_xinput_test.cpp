// The real main window on a virtual X server, clicked the way an impatient operator, a touch
// screen or a trackpad tap clicks: twice on the same spot, the pointer never moving in between.
// A click during a test's wait must never act, neither then nor later; a click while idle acts
// at once.
#include "app/mainfrm.h"
#include "app/tarvexapp.h"
#include "controls/ltree.h"
#include "devicelink.h"
#include "pages/ivadlg.h"
#include "platform/msgboxrecorder.h"
#include "platform/xservertime.h"
#include "res/tarvexres.h"
#include "sim/engine.h"
#include "sim/simportopener.h"
#include "state/appstate.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

#include <memory>

// The xcb platform's D-Bus accessibility bridge keeps buffers until the process ends; only
// errors count.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace {

// An X server of our own for the life of the test: Xvfb picks a free display and tells it.
class VirtualDisplay {
  public:
    bool Start() {
        m_server.start("Xvfb",
                       {"-displayfd", "1", "-screen", "0", "1366x768x24", "-nolisten", "tcp"});
        if (!m_server.waitForStarted(5000))
            return false;
        QByteArray number;
        while (!number.endsWith('\n') && m_server.waitForReadyRead(10000))
            number += m_server.readAllStandardOutput();
        if (number.trimmed().isEmpty())
            return false;
        qputenv("DISPLAY", ":" + number.trimmed());
        return true;
    }
    ~VirtualDisplay() {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

  private:
    QProcess m_server;
};

int CountFrames(const std::vector<std::uint8_t>& written, std::uint8_t code) {
    int n = 0;
    for (std::size_t i = 0; i + 2 < written.size(); ++i)
        n += written[i] == 0xAA && written[i + 1] == 0x55 && written[i + 2] == code;
    return n;
}

// Puts the pointer on the middle of a widget and waits until the window has seen it arrive.
void PointAt(QWidget* widget) {
    const QPoint p = widget->mapToGlobal(widget->rect().center());
    QProcess::execute("xdotool", {"mousemove", QString::number(p.x()), QString::number(p.y())});
    QTest::qWait(500);
}

// Clicks where the pointer stands, then again after a second, without moving it; returns at once.
void ClickTwiceInPlace(QObject* owner) {
    auto* xdotool = new QProcess(owner);
    xdotool->start("xdotool", {"click", "1", "sleep", "1", "click", "1"});
}

QToolButton* ToolButton(CMainFrame* frame, int command) {
    for (auto* button : frame->findChildren<QToolButton*>()) {
        if (button->defaultAction() && button->defaultAction()->data().toInt() == command)
            return button;
    }
    return nullptr;
}

} // namespace

TEST(RealInput, AClickDuringATestNeverActsAndAClickWhileIdleActsAtOnce) {
    if (QStandardPaths::findExecutable("Xvfb").isEmpty())
        GTEST_SKIP() << "Xvfb is not installed";
    VirtualDisplay display;
    ASSERT_TRUE(display.Start());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int argc = 1;
    char name[] = "xinput_tests";
    char* argv[] = {name, nullptr};
    QApplication qtApp(argc, argv);
    tarvex::InitResources();
    tarvex::MessageBoxRecorder boxes;
    sim::Engine engine;
    sim::ScopedSimPort port(engine);
    auto app = std::make_unique<CTarvexApp>();
    ASSERT_TRUE(app->InitInstance());
    CMainFrame* frame = app->m_pMainWnd;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame));

    // Idle: connect, and connect again a second later; both go out at once.
    PointAt(ToolButton(frame, CMainFrame::ID_CONNECT));
    ClickTwiceInPlace(frame);
    EXPECT_TRUE(QTest::qWaitFor([&] { return CountFrames(port.Written(), 0xD0) == 2; }, 5000));
    ASSERT_TRUE(theApp().m_pLink->m_bConnected);

    // A test: the second click lands in its wait and is thrown away for good.
    frame->m_LTree->SelectTest(0);
    auto* start = theApp().m_pIVADlg->findChild<QPushButton*>("id1009");
    ASSERT_TRUE(QTest::qWaitFor([&] { return start->isVisible() && start->isEnabled(); }, 5000));
    PointAt(start);
    port.ClearWritten();
    const std::uint32_t beforeTest = tarvex::XServerTimeNow();
    ClickTwiceInPlace(frame);
    ASSERT_TRUE(QTest::qWaitFor([&] { return CountFrames(port.Written(), 0xF6) > 0; }, 20000));
    QTest::qWait(5000);
    // A click from before the wait's end, handed over only now, is thrown away as well.
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent late(type, start->rect().center(), start->mapToGlobal(start->rect().center()),
                         Qt::LeftButton,
                         type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                         Qt::NoModifier);
        late.setTimestamp(beforeTest + 1);
        QApplication::sendEvent(start, &late);
    }
    QTest::qWait(500);
    EXPECT_EQ(CountFrames(port.Written(), 0xED), 1);
    EXPECT_EQ(CountFrames(port.Written(), 0xEB), 1);
    app->ExitInstance();
}

int main(int argc, char** argv) {
    // The program's configuration and results archive go into a folder of this process.
    const QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
