#pragma once
#include <QString>

class QWidget;

// The controls of a dialog or page, addressed the framework's way. Every control the program
// numbers carries its id in its object name ("id1004", set in the .ui file). The functions
// below act on such a control the way the framework's window-text, check and selection calls
// act on the Windows control it stands for. CDlgBase (dlgbase.h) offers them by id.
// GUI thread only.
namespace tarvex {

// "id1004" for 1004.
QString DlgItemName(int id);

// The control with the id inside root, searched through group boxes and other containers but
// not into windows or dialog pages of their own; nullptr if there is none.
QWidget* FindDlgItem(const QWidget* root, int id);

// The text of the control: edit text of a QLineEdit, QPlainTextEdit or QTextEdit (plain text);
// text of a QLabel or button; title of a QGroupBox; edit text of an editable QComboBox (for a
// drop-down list: the current item, and setting selects the item with that text if one exists).
// Other kinds are refused with a warning and read as empty.
void SetItemText(QWidget* control, const QString& text);
QString ItemText(const QWidget* control);

// The check state of a radio button, check box or checkable group box. Checking a radio
// button unchecks the others of its exclusive group; unchecking always works, as on Windows
// (Qt alone refuses to uncheck the checked button of an exclusive group). Neither sends a
// click: handlers that follow the operator's clicks connect to clicked().
void SetItemChecked(QWidget* control, bool checked);
bool IsItemChecked(const QWidget* control);

// The selected item: the current index of a QComboBox (-1 when none), the first selected row of
// an item view (-1 when none). Setting -1 clears the selection.
int SelectedIndex(const QWidget* control);
void SetSelectedIndex(QWidget* control, int index);

// Limits what the operator can type into a QLineEdit or an editable QComboBox to maxChars
// characters (a longer text already there is cut); other kinds are left alone.
void LimitItemText(QWidget* control, int maxChars);

// The styles a template gives its entries as properties: every QLineEdit under root marked
// "digitsOnly" takes digits alone from the keyboard; text set by the program is not checked.
void ApplyEntryStyles(QWidget* root);

// Gives the control the keyboard focus and, for an entry field, selects all of its text.
void FocusItem(QWidget* control, bool selectText);

} // namespace tarvex
