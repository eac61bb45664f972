#pragma once
#include "state/appstate.h"

#include <QByteArray>

class CMainFrame;

// The application object: the shared state (CAppState) and the start and end of the program.
// Constructed once in main() (or by a test); theApp() then returns it.
class CTarvexApp : public CAppState {
public:
    CTarvexApp() = default;
    ~CTarvexApp() override;

    // Creates and shows the main window; false when it could not be created.
    bool InitInstance();
    // Closes the main window if still open and deletes the link; returns 0.
    int ExitInstance();
    void OnAppAbout();
    // The part of text between the first start marker and the next end marker after it; empty
    // when either is missing. Works on the file's GBK bytes.
    static QByteArray ExtractBetween(const QByteArray& text, const QByteArray& start,
                                     const QByteArray& end);

    CMainFrame* m_pMainWnd = nullptr;
};
