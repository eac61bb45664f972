#pragma once
#include <QString>

#include <functional>

class QWidget;

// Message boxes with the Windows styles and answers the program's code is written with.
// GUI thread only (a worker asks the GUI thread through a blocking queued call).

inline constexpr unsigned MB_OK = 0x00000000;
inline constexpr unsigned MB_OKCANCEL = 0x00000001;
inline constexpr unsigned MB_YESNO = 0x00000004;
inline constexpr unsigned MB_ICONERROR = 0x00000010;
inline constexpr unsigned MB_ICONQUESTION = 0x00000020;
inline constexpr unsigned MB_ICONWARNING = 0x00000030;
inline constexpr unsigned MB_ICONEXCLAMATION = MB_ICONWARNING;
inline constexpr unsigned MB_ICONINFORMATION = 0x00000040;
inline constexpr unsigned MB_TYPEMASK = 0x0000000F;
inline constexpr unsigned MB_ICONMASK = 0x000000F0;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// Shows a modal box with the buttons of the style (OK, OK/Cancel or Yes/No) and its icon, and
// returns the button pressed: IDOK, IDCANCEL, IDYES or IDNO. Closing a Yes/No box without a
// button counts as IDNO, an OK/Cancel box as IDCANCEL.
int MessageBox(QWidget* owner, const QString& text, const QString& caption, unsigned style);

// The framework's box, owned by the active window, with the caption of every other box of the
// program, "系统提示".
int AfxMessageBox(const QString& text, unsigned style = MB_OK | MB_ICONWARNING);

namespace tarvex {

// What the program asked a message box to show.
struct MessageBoxCall {
    QString text;
    QString caption;
    unsigned style = MB_OK;
    QWidget* owner = nullptr;
};

using MessageBoxHook = std::function<int(const MessageBoxCall&)>;

// While a hook is set no box is shown: every call goes to the hook and its answer is returned.
// An empty hook restores the real boxes. Returns the hook it replaces. Tests only
// (MessageBoxRecorder in msgboxrecorder.h wraps it).
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);

} // namespace tarvex
