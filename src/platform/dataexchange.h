#pragma once
#include <QString>

#include <QWidget>

class CDlgBase;

// Data exchange between a dialog's controls and its members, the framework's way. A dialog's
// DoDataExchange lists its fields in order, each DDX_ call followed by the DDV_ checks of the
// same field: on load (m_bSaveAndValidate false) the members are written into the controls; on
// save the controls are read into the members and checked. The first field that cannot be read
// or fails its check shows the framework's message (caption "系统提示", warning icon), gets the
// focus with its text selected and ends the exchange: every later DDX_/DDV_ call does nothing,
// so later fields are not read, and UpdateData returns false. A field that is not a number
// keeps its member unchanged; a number out of range is already in its member when the check
// fails. Code of its own in a DoDataExchange looks at Failed() before it reads anything.
// GUI thread only.
class CDataExchange {
  public:
    // dlg: the dialog of dlgWnd, whose controls are looked up through it (nullptr: searched).
    CDataExchange(QWidget* dlgWnd, bool saveAndValidate, const CDlgBase* dlg = nullptr)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dlgWnd), m_pDlg(dlg) {}

    const bool m_bSaveAndValidate;
    QWidget* const m_pDlgWnd;

    // The control the next DDV_ checks refer to (and that gets the focus on failure);
    // nullptr, with a warning, if the dialog has no control with the id.
    QWidget* PrepareCtrl(int id);
    QWidget* PrepareEditCtrl(int id);
    // Focus (and selection, for an entry field) to the last prepared control; ends the exchange.
    void Fail();
    bool Failed() const { return m_bFailed; }

    QWidget* LastControl() const { return m_pLastControl; }
    bool LastControlIsEdit() const { return m_bEditLastControl; }

  private:
    QWidget* Prepare(int id, bool edit);

    const CDlgBase* const m_pDlg;
    QWidget* m_pLastControl = nullptr;
    bool m_bEditLastControl = false;
    bool m_bFailed = false;
};

// The text of control id and a member. An int is written "%d" and read as a decimal integer
// with optional sign and surrounding blanks ("请输入一个整数。" otherwise); a float is written
// with six significant digits ("%.6g": 10 shows "10") and read as a decimal number
// ("请输入一个数字。" otherwise); a double the same with fifteen digits.
void DDX_Text(CDataExchange& dx, int id, int& value);
void DDX_Text(CDataExchange& dx, int id, float& value);
void DDX_Text(CDataExchange& dx, int id, double& value);
void DDX_Text(CDataExchange& dx, int id, QString& value);

// On save: min <= value <= max, or "请输入一个介于 %1 和 %2 之间的整数。".
void DDV_MinMaxInt(CDataExchange& dx, int value, int min, int max);
// On save: at most maxChars characters, or "请输入不超过 %1 个字符。". Otherwise (also on load)
// the entry field just exchanged is limited to maxChars characters of input.
void DDV_MaxChars(CDataExchange& dx, const QString& value, int maxChars);

// Attaches member control to control id once (the framework's subclassing); it stays nullptr
// if the dialog has no control of that id and kind.
template <class Control> void DDX_Control(CDataExchange& dx, int id, Control*& control) {
    if (dx.Failed() || control)
        return;
    control = qobject_cast<Control*>(dx.PrepareCtrl(id));
}
