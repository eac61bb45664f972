#include "tarvexapp.h"

#include "aboutdlg.h"
#include "devicelink.h"
#include "mainfrm.h"
#include "history/searchdlg.h"
#include "platform/msgbox.h"

#include <QApplication>
#include <QTimer>

namespace {
CTarvexApp* g_current = nullptr;
}

CTarvexApp& theApp() { return *g_current; }

CTarvexApp::CTarvexApp() { g_current = this; }

CTarvexApp::~CTarvexApp()
{
    ExitInstance();
    if (g_current == this)
        g_current = nullptr;
}

namespace {
constexpr int kFrameSettleMs = 300;
}

bool CTarvexApp::InitInstance()
{
    auto frame = std::make_unique<CMainFrame>();
    if (!frame->Create())
        return false;
    m_pMainWnd = frame.release();
    m_pMainWnd->show();
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

void CTarvexApp::SetDeviceModel(unsigned char code)
{
    int first = -1, last = -1; // the supported range of test kinds
    switch (code) {
    case 0xAB:
    case 0xAE: first = 0; last = 1; break;
    case 0xAC: first = 0; last = 3; break;
    case 0xAD: first = 4; last = 7; break;
    default: return;
    }
    for (int kind = 0; kind < 9; ++kind)
        m_bSupported[kind] = (kind >= first && kind <= last) ? 1 : 0;
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

bool CTarvexApp::IsUploading() const { return m_pSearchDlg && m_pSearchDlg->IsUploading(); }

bool CTarvexApp::RefuseDuringUpload(QWidget* owner)
{
    if (!IsUploading())
        return false;
    MessageBox(owner, "正在上传历史数据，请稍候", "系统提示", MB_OK | MB_ICONINFORMATION);
    return true;
}

void CTarvexApp::SetTestKind(int kind)
{
    if (IsUploading()) {
        m_nDeferredTestKind = kind;
        return;
    }
    if (m_pLink)
        m_pLink->SetTestKind(kind);
}

void CTarvexApp::OnUploadEnded()
{
    const int kind = m_nDeferredTestKind;
    m_nDeferredTestKind = -1;
    if (kind >= 0 && m_pLink)
        m_pLink->SetTestKind(kind);
}
