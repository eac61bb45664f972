#pragma once
#include "pages/chart.h"
#include "platform/dialogpage.h"
#include "ui_dlg143_iwc.h"

#include <QPointer>

#include <vector>

class CExcitationPage;
class CFwNumEdt;
class QTreeWidget;

// The error-curve window "误差曲线" (template 143): the 5 % or 10 % error curve of a CT computed
// from the excitation curve of the page it was opened from, listed and drawn. A tool window of
// the main frame, created once and hidden; closing it only hides it. GUI thread only.
class CIWCDlg : public CDialogPage {
  public:
    explicit CIWCDlg(QWidget* owner);
    ~CIWCDlg() override;

    // Radio handlers: rated current 1 A (1011) or 5 A (1012), 5 % (1015) or 10 % (1016) curve.
    // They only set the choice; the next computation uses it.
    void OnRated1A();
    void OnRated5A();
    void OnCurve5();
    void OnCurve10();
    // "计算误差曲线" (1013): computes from the source page's curve with the entered Z2; with no
    // curve the previous result stays.
    void OnCalcErrorCurve();
    // The page whose curve the window computes from. A result computed from another page's
    // curve is emptied, and so is the result once the source page's curve is replaced: the
    // window never shows an error curve of a curve that is no longer on show.
    void SetSourcePage(CExcitationPage* page);
    CExcitationPage* SourcePage() const { return m_source; }
    // Empties the list and the chart (axes at their first scale).
    void ClearResult();

    int m_bRated5A = 1;
    std::vector<tagFWPOINT> m_ErrorPoints;
    QTreeWidget* m_list = nullptr; // 1003
    int m_nMaxMultiple = 100;
    int m_nMaxImpedance = 1000;
    int m_nCurrentFactor = 10;
    int m_nSecondaryFactor = 9;
    CFwNumEdt* m_edtZ2 = nullptr; // 1004, "CT二次阻抗"

  protected:
    bool OnInitDialog() override;
    void paintEvent(QPaintEvent* event) override;
    // Each time it shows it comes up over the main window, fitted into the screen's available
    // area, title bar included.
    void showEvent(QShowEvent* event) override;
    // Escape hides it, as it would close a dialog.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void SetupList();
    void ConnectHandlers();

    Ui::Dlg143 ui;
    QPointer<CExcitationPage> m_source;
    QSize m_templateSize;
};
