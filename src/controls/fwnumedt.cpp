#include "controls/fwnumedt.h"

#include "platform/beep.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QStringEncoder>

namespace {

// The characters this key press hands the field, as the Windows character messages would:
// backspace, Ctrl+letter as its control character, and the text of every other key that
// carries some, Alt and Meta combinations included (the edit would insert it). Empty for keys
// that carry none (arrows, Home, End, Delete, Insert, function keys, other Ctrl combinations)
// and for the dialog keys Tab, Return and Escape, which the dialog takes before the edit sees a
// character: those reach QLineEdit untouched.
QString TypedChars(const QKeyEvent* e) {
    const int key = e->key();
    const Qt::KeyboardModifiers mods = e->modifiers();
    if (key == Qt::Key_Backspace)
        return QString(QChar(mods & Qt::ControlModifier ? 0x7F : CFwNumEdt::kBackspace));
    if ((mods & Qt::ControlModifier) && !(mods & (Qt::AltModifier | Qt::MetaModifier))) {
        // Ctrl+A .. Ctrl+Z are the control characters 1 to 26 (Ctrl+C 0x03, Ctrl+V 0x16,
        // Ctrl+X 0x18), with or without Shift.
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return QString(QChar(key - Qt::Key_A + 1));
        return {};
    }
    // Special keys (Qt's codes from 0x01000000 on) produce no character, except Key_unknown,
    // which carries composed or non-ASCII text.
    if (key >= Qt::Key_Escape && key != Qt::Key_unknown)
        return {};
    return e->text();
}

} // namespace

CFwNumEdt::CFwNumEdt(QWidget* parent) : QLineEdit(parent) {}

CFwNumEdt::CharAction CFwNumEdt::Classify(const QString& text, char32_t ch, int maxInt, int maxDec,
                                          int maxLen) {
    // L and P in bytes of the text as the program stores it (GBK); for the ASCII digits and
    // "." that typing can produce they equal the QString length and index.
    static thread_local QStringEncoder gbk("GBK");
    QByteArray bytes = gbk.isValid() ? QByteArray(gbk.encode(text)) : text.toUtf8();
    const qsizetype L = bytes.size();
    const qsizetype P = bytes.indexOf('.');
    const bool backspace = ch == kBackspace;

    // 1. Length limit.
    if (maxLen != 0 && L >= maxLen && !backspace)
        return CharAction::Drop;
    // 2. Integer digits: the test is for equality, so a longer text set by the program still
    // takes digits.
    if (maxInt != 0 && P < 0 && L == maxInt && ch != '.' && !backspace)
        return CharAction::Drop;
    // 3. Decimal digits: L - P > maxDec means the decimals already number maxDec.
    if (maxDec != 0 && P >= 0 && L - P > maxDec && !backspace)
        return CharAction::Drop;
    // 4. Character class.
    if ((ch >= '0' && ch <= '9') || backspace)
        return CharAction::Accept;
    if (ch == '.')
        return (L == 0 || P >= 0) ? CharAction::Beep : CharAction::Accept;
    return CharAction::Beep;
}

bool CFwNumEdt::Admit(char32_t ch) {
    switch (Classify(text(), ch, m_nMaxInt, m_nMaxDec, m_nMaxLen)) {
    case CharAction::Accept:
        return true;
    case CharAction::Beep:
        MessageBeep();
        return false;
    case CharAction::Drop:
        break;
    }
    return false;
}

void CFwNumEdt::keyPressEvent(QKeyEvent* event) {
    const QString chars = TypedChars(event);
    if (chars.isEmpty()) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QList<uint> codes = chars.toUcs4();
    if (codes.size() == 1) {
        if (Admit(codes.front()))
            QLineEdit::keyPressEvent(event);
        else
            event->accept(); // refused: the edit never sees it
        return;
    }
    // Several characters in one event (compressed or composed input): each is a character
    // message of its own, checked against the text as the ones before it left it.
    for (uint c : codes) {
        if (!Admit(c))
            continue;
        const char32_t one[1] = {c};
        QKeyEvent single(QEvent::KeyPress, Qt::Key_unknown, event->modifiers(),
                         QString::fromUcs4(one, 1));
        QLineEdit::keyPressEvent(&single);
    }
    event->accept();
}

void CFwNumEdt::inputMethodEvent(QInputMethodEvent* event) {
    const QString commit = event->commitString();
    if (commit.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    // Committed text is typed text (on Windows it arrives as character messages): each
    // character is checked against the text as the ones before it left it, and the accepted
    // ones are committed one by one. The replacement range goes with the first of them.
    bool first = true;
    for (uint c : commit.toUcs4()) {
        if (!Admit(c))
            continue;
        const char32_t one[1] = {c};
        QInputMethodEvent single;
        single.setCommitString(QString::fromUcs4(one, 1), first ? event->replacementStart() : 0,
                               first ? event->replacementLength() : 0);
        first = false;
        QLineEdit::inputMethodEvent(&single);
    }
    // Whatever is still being composed stays on show.
    QInputMethodEvent rest(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&rest);
    event->accept();
}

CFwNumEdt* CFwNumEdt::ReplaceLineEdit(QLineEdit* plain) {
    if (!plain)
        return nullptr;
    auto* numeric = new CFwNumEdt(plain->parentWidget());
    numeric->setObjectName(plain->objectName());
    numeric->setGeometry(plain->geometry());
    numeric->setAccessibleName(plain->accessibleName());
    numeric->setText(plain->text());
    for (QLabel* label : plain->window()->findChildren<QLabel*>()) {
        if (label->buddy() == plain)
            label->setBuddy(numeric);
    }
    QWidget::setTabOrder(plain, numeric);
    delete plain;
    return numeric;
}
