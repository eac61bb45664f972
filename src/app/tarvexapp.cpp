#include "tarvexapp.h"

#include "aboutdlg.h"
#include "devicelink.h"
#include "mainfrm.h"
#include "signalexit.h"
#include "state/resultrecorder.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <memory>

CTarvexApp::CTarvexApp() : m_strArchivePath(CResultArchive::DefaultPath()) {}
CTarvexApp::~CTarvexApp() {
    ExitInstance();
}

namespace {
constexpr int kFrameSettleMs = 300;
constexpr int kSignalRetryMs = 100;
} // namespace

bool CTarvexApp::InitInstance() {
    // Before the port opens, so that a signal never finds it open without a way to close it.
    m_signalExit = std::make_unique<CSignalExit>([this] { EndOnSignal(); });
    m_recorder = std::make_unique<CResultRecorder>(*this, m_strArchivePath);
    m_pRecorder = m_recorder.get();
    auto frame = std::make_unique<CMainFrame>();
    m_pMainWnd = frame.get();
    if (!frame->Create()) {
        m_pMainWnd = nullptr;
        return false;
    }
    m_recorder->TellOpeningFault();
    QObject::connect(frame->CommandAction(CMainFrame::ID_APP_ABOUT), &QAction::triggered,
                     [this] { OnAppAbout(); });
    frame.release()->show();
    // The window manager frames the window a moment after it shows; only then is the frame's
    // size known.
    QTimer::singleShot(kFrameSettleMs, m_pMainWnd, &CMainFrame::FitIntoScreen);
    return true;
}

void CTarvexApp::EndOnSignal() {
    // As 退出: the last window closing ends the event loop with status 0.
    if (!m_pMainWnd || m_pMainWnd->CloseOnSignal())
        return;
    // A test wait refused the close (the result on its way is kept): ask again after it.
    QTimer::singleShot(kSignalRetryMs, m_pMainWnd, [this] { EndOnSignal(); });
}

int CTarvexApp::ExitInstance() {
    m_signalExit.reset();
    if (m_pMainWnd && m_pMainWnd->isVisible())
        m_pMainWnd->close(); // stops an upload, says goodbye to the instrument, closes the port
    delete m_pMainWnd;
    m_pMainWnd = nullptr;
    m_pRecorder = nullptr;
    m_recorder.reset();
    delete m_pLink;
    m_pLink = nullptr;
    return 0;
}

void CTarvexApp::OnAppAbout() {
    CAboutDlg about(m_pMainWnd);
    about.DoModal();
}

QByteArray CTarvexApp::ExtractBetween(const QByteArray& text, const QByteArray& start,
                                      const QByteArray& end) {
    const qsizetype from = text.indexOf(start);
    if (from < 0)
        return {};
    const QByteArray rest = text.mid(from + start.size());
    const qsizetype to = rest.indexOf(end);
    return to < 0 ? QByteArray() : rest.left(to);
}
