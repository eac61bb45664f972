#include "tarvexapp.h"

#include "aboutdlg.h"
#include "devicelink.h"
#include "mainfrm.h"

#include <QAction>
#include <QApplication>
#include <QTimer>

#include <memory>

CTarvexApp::~CTarvexApp() { ExitInstance(); }

namespace {
constexpr int kFrameSettleMs = 300;
}

bool CTarvexApp::InitInstance()
{
    auto frame = std::make_unique<CMainFrame>();
    m_pMainWnd = frame.get();
    if (!frame->Create()) {
        m_pMainWnd = nullptr;
        return false;
    }
    QObject::connect(frame->CommandAction(CMainFrame::ID_APP_ABOUT), &QAction::triggered,
                     [this] { OnAppAbout(); });
    frame.release()->show();
    // The window manager frames the window a moment after it shows; only then is the frame's
    // size known.
    QTimer::singleShot(kFrameSettleMs, m_pMainWnd, &CMainFrame::FitIntoScreen);
    return true;
}

int CTarvexApp::ExitInstance()
{
    if (m_pMainWnd && m_pMainWnd->isVisible())
        m_pMainWnd->close(); // stops an upload, says goodbye to the instrument, closes the port
    delete m_pMainWnd;
    m_pMainWnd = nullptr;
    delete m_pLink;
    m_pLink = nullptr;
    return 0;
}

void CTarvexApp::OnAppAbout()
{
    CAboutDlg about(m_pMainWnd);
    about.DoModal();
}

QByteArray CTarvexApp::ExtractBetween(const QByteArray& text, const QByteArray& start,
                                      const QByteArray& end)
{
    const qsizetype from = text.indexOf(start);
    if (from < 0)
        return {};
    const QByteArray rest = text.mid(from + start.size());
    const qsizetype to = rest.indexOf(end);
    return to < 0 ? QByteArray() : rest.left(to);
}
