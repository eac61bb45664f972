#pragma once
#include "testrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

class QWidget;

class CDeviceLink;
class CMainFrame;
class CSearchDlg;
class CIVADlg;
class CIBBDlg;
class CIJBDlg;
class CIFHDlg;
class CUVADlg;
class CUBBDlg;
class CUJBDlg;
class CUFHDlg;
class CDZDlg;

// The state the pages share, and the start and end of the program. One instance is current at
// a time (the program's, or a test's); theApp() returns it. GUI thread only, except the record
// lists, which the upload fills through the GUI thread too.
class CTarvexApp {
public:
    CTarvexApp();
    ~CTarvexApp();
    CTarvexApp(const CTarvexApp&) = delete;
    CTarvexApp& operator=(const CTarvexApp&) = delete;

    // Creates and shows the main window; false when it could not be created.
    bool InitInstance();
    // Closes the main window if still open and deletes the link; returns 0.
    int ExitInstance();
    void OnAppAbout();
    // Applies the model code of the device-information reply to m_bSupported.
    void SetDeviceModel(unsigned char code);
    // The part of text between the first start marker and the next end marker after it; empty
    // when either is missing. Works on the file's GBK bytes.
    static QByteArray ExtractBetween(const QByteArray& text, const QByteArray& start,
                                     const QByteArray& end);

    // While the history upload runs the link belongs to it.
    bool IsUploading() const;
    // True, after telling the operator, when an upload holds the link.
    bool RefuseDuringUpload(QWidget* owner);
    // Announces the test kind to the instrument now, or when the upload running now has ended.
    void SetTestKind(int kind);
    // Called when an upload ends: sends the test kind chosen meanwhile.
    void OnUploadEnded();

    CRecordArray m_CTRecords;
    CRecordArray m_PTRecords;
    QList<float> m_CurveVoltages;
    QList<float> m_CurveCurrents;
    QString m_strReport;
    int m_nMaxTestVoltage = 2500;
    int m_nMaxTestCurrent = 1000;
    CSearchDlg* m_pSearchDlg = nullptr;
    CIVADlg* m_pIVADlg = nullptr;
    CIBBDlg* m_pIBBDlg = nullptr;
    CIJBDlg* m_pIJBDlg = nullptr;
    CIFHDlg* m_pIFHDlg = nullptr;
    CUVADlg* m_pUVADlg = nullptr;
    CUBBDlg* m_pUBBDlg = nullptr;
    CUJBDlg* m_pUJBDlg = nullptr;
    CUFHDlg* m_pUFHDlg = nullptr;
    CDZDlg* m_pDZDlg = nullptr;
    CDeviceLink* m_pLink = nullptr;
    int m_bSupported[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};

    CMainFrame* m_pMainWnd = nullptr;

private:
    int m_nDeferredTestKind = -1;
};

// The current application object.
CTarvexApp& theApp();
