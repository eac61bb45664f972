#pragma once
#include "resultmodel.h"
#include "testrecord.h"

#include <QList>
#include <QString>

class QWidget;

class CDeviceLink;
class CResultRecorder;
class CUploadStatus;
// The windows that register themselves here; only their owners see their classes.
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

// The state the pages share: the application object's data (CTarvexApp adds the main window
// and the start and end of the program). One instance is current at a time (the program's, or a
// test's); theApp() returns it. GUI thread only, except the record lists, which the upload fills
// through the GUI thread too. Deletes the link when it goes.
class CAppState {
  public:
    CAppState();
    virtual ~CAppState();
    CAppState(const CAppState&) = delete;
    CAppState& operator=(const CAppState&) = delete;

    // Applies the model code of the device-information reply to m_bSupported.
    void SetDeviceModel(unsigned char code);

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
    QString m_strReport;
    int m_nMaxTestVoltage = 2500;
    int m_nMaxTestCurrent = 1000;
    CSearchDlg* m_pSearchDlg = nullptr;
    const CUploadStatus* m_pUpload = nullptr; // the search dialog's upload
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
    // The latest result of each test kind, from the instrument, a record or a data file.
    CResultModel m_results;
    // The device-information reply last received.
    tarvex::DeviceInfo m_deviceInfo;
    // Writes the results into the archive; set by the program (CTarvexApp), null otherwise.
    CResultRecorder* m_pRecorder = nullptr;

  private:
    int m_nDeferredTestKind = -1;
};

// The current application state.
CAppState& theApp();
