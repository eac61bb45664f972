#pragma once
#include <QLineEdit>

class QInputMethodEvent;
class QKeyEvent;

// The numeric entry field: a single-line edit that takes only an unsigned decimal
// number typed at the keyboard, with optional limits on the digits before and after the point
// and on the whole length (0 = no limit).
//
// Filtered: every character a key press produces (QKeyEvent::text(), with Alt or Meta held too,
// backspace, and the control characters Ctrl+letter produces on Windows, Ctrl+C/V/X
// included), and every character an input method commits. Not filtered, as on Windows: keys
// that produce no character (arrows, Home, End, Delete, Insert, Tab, Return, Escape, function
// keys, Shift+Insert) and text pasted through the context menu or set by the program.
// GUI thread only.
class CFwNumEdt : public QLineEdit {
    Q_OBJECT
  public:
    // Puts a numeric entry field in the place of a template's plain entry: same name, position,
    // accessible name, label and place in the tab order. The plain entry is deleted.
    static CFwNumEdt* ReplaceLineEdit(QLineEdit* plain);

    explicit CFwNumEdt(QWidget* parent = nullptr);

    // Store the limit; the current text is not re-examined.
    void SetMaxIntDigits(int n) { m_nMaxInt = n; }
    void SetMaxDecDigits(int n) { m_nMaxDec = n; }
    void SetMaxLength(int n) { m_nMaxLen = n; }

    int MaxIntDigits() const { return m_nMaxInt; }
    int MaxDecDigits() const { return m_nMaxDec; }
    int MaxLength() const { return m_nMaxLen; }

    enum class CharAction { Accept, Drop, Beep };
    static constexpr char16_t kBackspace = 8;

    // The filter rule for one character typed into a field holding `text`, checked in this
    // order: the length limit, the integer-digit limit (text without "." of exactly maxInt
    // characters), the decimal-digit limit (maxDec decimals already), then the character class.
    // Accept (hand it to the edit), Drop (refused silently by a limit) or Beep (refused with a
    // beep by the class: not a digit, backspace, or a "." after a digit where none is yet).
    // Backspace is kBackspace; a Windows control character is its code (Ctrl+V = 0x16).
    // Length L and point position P count the GBK bytes of the text, as the Windows ANSI text
    // does: the same as the QString positions for digits and ".", different only for pasted
    // non-ASCII text.
    static CharAction Classify(const QString& text, char32_t ch, int maxInt, int maxDec,
                               int maxLen);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

  private:
    // Classify against the current text; beeps for Beep. True when the character may pass.
    bool Admit(char32_t ch);

    int m_nMaxInt = 0;
    int m_nMaxDec = 0;
    int m_nMaxLen = 0;
};
