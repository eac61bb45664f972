#pragma once
#include "state/appstate.h"

#include <QByteArray>
#include <QString>

#include <memory>

class CMainFrame;
class CResultRecorder;
class CSignalExit;

// The application object: the shared state (CAppState) and the start and end of the program.
// Constructed once in main() (or by a test); theApp() then returns it.
class CTarvexApp : public CAppState {
  public:
    CTarvexApp();
    ~CTarvexApp() override;

    // Creates and shows the main window; false when it could not be created.
    bool InitInstance();
    // Closes the main window if still open and deletes the link; returns 0.
    int ExitInstance();
    void OnAppAbout();
    // SIGTERM, SIGHUP or SIGINT came: ends the program as 退出 does. A test wait refuses the
    // close, so then the program ends as soon as the wait is over.
    void EndOnSignal();
    // The part of text between the first start marker and the next end marker after it; empty
    // when either is missing. Works on the file's GBK bytes.
    static QByteArray ExtractBetween(const QByteArray& text, const QByteArray& start,
                                     const QByteArray& end);

    CMainFrame* m_pMainWnd = nullptr;
    // The results archive InitInstance opens (--archive PATH); by default the user's.
    QString m_strArchivePath;

  private:
    std::unique_ptr<CSignalExit> m_signalExit;
    std::unique_ptr<CResultRecorder> m_recorder;
};
