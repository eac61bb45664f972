// The numeric entry field CFwNumEdt, driven with real key presses on a real CFwNumEdt.
#include "controls/fwnumedt.h"
#include "platform/beep.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTest>

#include <string>

namespace {

using Action = CFwNumEdt::CharAction;

// A key script: printable characters are typed as themselves; '\b' is Backspace; the control
// characters 1 to 26 (other than 8) are Ctrl+letter (0x16 = Ctrl+V); and these stand for keys
// that produce no character: '\x1c' Home, '\x1d' End, '\x1e' Left, '\x1f' Right, '\x7f' Delete
// (in octal, \034 to \037, where a digit follows).
void Type(QWidget* w, const std::string& script) {
    for (char c : script) {
        switch (c) {
        case '\b':
            QTest::keyClick(w, Qt::Key_Backspace);
            break;
        case '\x1c':
            QTest::keyClick(w, Qt::Key_Home);
            break;
        case '\x1d':
            QTest::keyClick(w, Qt::Key_End);
            break;
        case '\x1e':
            QTest::keyClick(w, Qt::Key_Left);
            break;
        case '\x1f':
            QTest::keyClick(w, Qt::Key_Right);
            break;
        case '\x7f':
            QTest::keyClick(w, Qt::Key_Delete);
            break;
        default:
            if (c >= 1 && c <= 26)
                QTest::keyClick(w, static_cast<Qt::Key>(Qt::Key_A + c - 1), Qt::ControlModifier);
            else
                QTest::keyClick(w, c);
        }
    }
}

struct KeyCase {
    const char* name;
    int maxInt, maxDec, maxLen;
    const char* initial; // set by the program (setText), caret at the end
    std::string keys;
    const char* expected;
    int beeps;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.name;
}

class NumEditKeys : public ::testing::TestWithParam<KeyCase> {};

TEST_P(NumEditKeys, FiltersTypedCharacters) {
    const KeyCase& c = GetParam();
    CFwNumEdt edit;
    edit.SetMaxIntDigits(c.maxInt);
    edit.SetMaxDecDigits(c.maxDec);
    edit.SetMaxLength(c.maxLen);
    edit.setText(QString::fromLatin1(c.initial));
    edit.show();
    const int before = tarvex::BeepCount();
    Type(&edit, c.keys);
    EXPECT_EQ(edit.text().toStdString(), c.expected);
    EXPECT_EQ(tarvex::BeepCount() - before, c.beeps);
}

const KeyCase kKeyCases[] = {
    // Limits 3 / 1 (the PT primary voltage field).
    {"Int3_FourthDigitDroppedSilently", 3, 1, 0, "123", "4", "123", 0},
    {"Int3_PointThenOneDecimal", 3, 1, 0, "123", ".5", "123.5", 0},
    {"Int3_SecondDecimalDroppedSilently", 3, 1, 0, "123", ".56", "123.5", 0},
    {"Int3_TypedFromEmpty", 3, 1, 0, "", "12345.67", "123.6", 0},
    {"Int3_SecondPointBeeps", 3, 1, 0, "123", "..", "123.", 1},
    {"Int3_LetterAtIntLimitDroppedSilently", 3, 1, 0, "123", "a-", "123", 0},
    {"Int3_BackspaceAtLimits", 3, 1, 0, "123.5", "\b\b\b4", "124", 0},
    // Limits 1 / 3 (the CT secondary impedance field).
    {"Dec3_DigitDroppedAtEnd", 1, 3, 0, "0.125", "7", "0.125", 0},
    {"Dec3_DigitDroppedBeforePoint", 1, 3, 0, "0.125", "\034\0377", "0.125", 0},
    {"Dec3_DigitDroppedAtStart", 1, 3, 0, "0.125", "\0347", "0.125", 0},
    {"Dec3_BackspaceStillWorks", 1, 3, 0, "0.125", "\b", "0.12", 0},
    {"Dec3_BackspaceThenDigit", 1, 3, 0, "0.125", "\b9", "0.129", 0},
    {"Dec3_TypedFromEmpty", 1, 3, 0, "", "12.34567", "1.345", 0},
    {"Dec3_PointAfterDecimalsBeeps", 1, 3, 0, "1.2", ".", "1.2", 1},
    // The point.
    {"PointInEmptyFieldBeeps", 0, 0, 0, "", ".", "", 1},
    {"PointAfterDigitAccepted", 0, 0, 0, "", "7.", "7.", 0},
    {"PointIgnoresCaret", 0, 0, 0, "12", "\x1c.", ".12", 0},
    // Anything else beeps.
    {"MinusBeepsInEmptyField", 0, 0, 0, "", "-", "", 1},
    {"MinusBeepsAfterDigits", 1, 3, 0, "1.2", "-", "1.2", 1},
    {"LettersSpacePlusCommaBeep", 0, 0, 0, "", "1a2 b+,3", "123", 5},
    // Ctrl+C, Ctrl+V, Ctrl+X (and any Ctrl+letter) are control characters: refused, beeped.
    {"CtrlVRefused", 0, 0, 0, "12", "\x16", "12", 1},
    {"CtrlCRefused", 0, 0, 0, "12", "\x03", "12", 1},
    {"CtrlXRefused", 0, 0, 0, "12", "\x01\x18", "12", 2},
    {"CtrlZRefused", 0, 0, 0, "12", "3\x1a", "123", 1},
    // Equality test of the integer limit.
    {"Int3_LongerTextFromProgramTakesDigits", 3, 0, 0, "1234", "56", "123456", 0},
    {"Int3_LongerTextFromProgramTakesPoint", 3, 1, 0, "1234", ".5", "1234.5", 0},
    // Length limit: silent for everything but backspace.
    {"MaxLen_DropsDigitsSilently", 0, 0, 3, "", "1234", "123", 0},
    {"MaxLen_DropsMinusSilently", 0, 0, 3, "123", "-.", "123", 0},
    {"MaxLen_BackspaceWorks", 0, 0, 3, "123", "\b5", "125", 0},
    {"MaxLen_TextFromProgramTooLong", 0, 0, 3, "12345", "6\b", "1234", 0},
    // Keys without a character pass untouched.
    {"NavigationAndDelete", 0, 0, 0, "123", "\x1c\x7f\x1d\x1e\b", "3", 0},
    {"DeletePassesAtLimits", 1, 3, 0, "0.125", "\x1c\x7f\x7f", "125", 0},
};

INSTANTIATE_TEST_SUITE_P(Typing, NumEditKeys, ::testing::ValuesIn(kKeyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The rule without a widget.
struct RuleCase {
    const char* text;
    char32_t ch;
    int maxInt, maxDec, maxLen;
    Action expected;
};

TEST(NumEditRule, ClassifiesLimitsBeforeCharacterClass) {
    const RuleCase cases[] = {
        {"", '5', 0, 0, 0, Action::Accept},
        {"", '.', 0, 0, 0, Action::Beep},
        {"1.", '.', 0, 0, 0, Action::Beep},
        {"1", '.', 0, 0, 0, Action::Accept},
        {"", CFwNumEdt::kBackspace, 0, 0, 0, Action::Accept},
        {"", 0x16, 0, 0, 0, Action::Beep},
        {"", 0x7F, 0, 0, 0, Action::Beep},
        {"", '-', 0, 0, 0, Action::Beep},
        {"", 0xFF15, 0, 0, 0, Action::Beep}, // full-width digit five
        // The length limit comes before the character class: silent even for a letter.
        {"12", 'x', 0, 0, 2, Action::Drop},
        {"12", CFwNumEdt::kBackspace, 0, 0, 2, Action::Accept},
        {"1", 'x', 0, 0, 2, Action::Beep},
        // Integer limit: exactly maxInt digits and no point; "." and backspace pass.
        {"12", '3', 2, 0, 0, Action::Drop},
        {"12", 'x', 2, 0, 0, Action::Drop},
        {"12", '.', 2, 0, 0, Action::Accept},
        {"1", '3', 2, 0, 0, Action::Accept},
        {"123", '3', 2, 0, 0, Action::Accept},
        {"1.5", '3', 1, 0, 0, Action::Accept},
        // Decimal limit: decimals already number maxDec; only backspace passes.
        {"1.23", '4', 0, 2, 0, Action::Drop},
        {"1.23", '.', 0, 2, 0, Action::Drop},
        {"1.23", CFwNumEdt::kBackspace, 0, 2, 0, Action::Accept},
        {"1.2", '4', 0, 2, 0, Action::Accept},
        {".", '4', 0, 1, 0, Action::Accept},
        // L and P count GBK bytes: "量" (pasted) is two bytes.
        {"量", '1', 0, 0, 2, Action::Drop},
        {"量", '1', 2, 0, 0, Action::Drop},
        {"1.量", '2', 0, 2, 0, Action::Drop},
    };
    for (const RuleCase& c : cases) {
        EXPECT_EQ(
            CFwNumEdt::Classify(QString::fromUtf8(c.text), c.ch, c.maxInt, c.maxDec, c.maxLen),
            c.expected)
            << "text \"" << c.text << "\" char " << static_cast<unsigned>(c.ch) << " limits "
            << c.maxInt << "/" << c.maxDec << "/" << c.maxLen;
    }
}

TEST(NumEdit, LimitsStartAtZeroAndDoNotReexamineText) {
    CFwNumEdt edit;
    EXPECT_EQ(edit.MaxIntDigits(), 0);
    EXPECT_EQ(edit.MaxDecDigits(), 0);
    EXPECT_EQ(edit.MaxLength(), 0);
    edit.setText("123.456");
    edit.SetMaxIntDigits(1);
    edit.SetMaxDecDigits(1);
    edit.SetMaxLength(2);
    EXPECT_EQ(edit.text(), "123.456");
}

TEST(NumEdit, ProgramAndContextMenuPasteAreNotFiltered) {
    CFwNumEdt edit;
    edit.SetMaxIntDigits(1);
    edit.SetMaxDecDigits(3);
    edit.setText("1");
    edit.show();
    const int before = tarvex::BeepCount();
    edit.insert("a-2.3.4567");
    EXPECT_EQ(edit.text(), "1a-2.3.4567");
    QApplication::clipboard()->setText("x,9");
    edit.paste(); // what the context menu's paste does
    EXPECT_EQ(edit.text(), "1a-2.3.4567x,9");
    EXPECT_EQ(tarvex::BeepCount() - before, 0);
}

TEST(NumEdit, CtrlVDoesNotPaste) {
    CFwNumEdt edit;
    edit.show();
    QApplication::clipboard()->setText("42");
    const int before = tarvex::BeepCount();
    Type(&edit, "\x16");
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(tarvex::BeepCount() - before, 1);
}

TEST(NumEdit, CtrlBackspaceIsACharacterAndRefused) {
    CFwNumEdt edit;
    edit.setText("12");
    edit.show();
    const int before = tarvex::BeepCount();
    QTest::keyClick(&edit, Qt::Key_Backspace, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "12");
    EXPECT_EQ(tarvex::BeepCount() - before, 1);
}

TEST(NumEdit, KeysHeldWithAltOrMetaAreFilteredByTheirText) {
    const struct {
        char key;
        Qt::KeyboardModifier modifier;
        const char* expected;
        int beeps;
    } cases[] = {{'a', Qt::AltModifier, "1", 1},
                 {'-', Qt::AltModifier, "1", 1},
                 {'a', Qt::MetaModifier, "1", 1},
                 {'5', Qt::AltModifier, "15", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        CFwNumEdt edit;
        edit.setText("1");
        edit.show();
        const int before = tarvex::BeepCount();
        QTest::keyClick(&edit, c.key, c.modifier);
        EXPECT_EQ(edit.text(), c.expected);
        EXPECT_EQ(tarvex::BeepCount() - before, c.beeps);
    }
}

TEST(NumEdit, DialogKeysPassWithoutBeep) {
    CFwNumEdt edit;
    edit.setText("12");
    edit.show();
    QSignalSpy returned(&edit, &QLineEdit::returnPressed);
    const int before = tarvex::BeepCount();
    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClick(&edit, Qt::Key_Tab);
    QTest::keyClick(&edit, Qt::Key_Escape);
    QTest::keyClick(&edit, Qt::Key_F2);
    EXPECT_EQ(edit.text(), "12");
    EXPECT_EQ(returned.count(), 1);
    EXPECT_EQ(tarvex::BeepCount() - before, 0);
}

TEST(NumEdit, SeveralCharactersInOneKeyEventAreFilteredOneByOne) {
    CFwNumEdt edit;
    edit.SetMaxIntDigits(2);
    edit.show();
    const int before = tarvex::BeepCount();
    QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, QString("1x23"), Qt::NoModifier);
    EXPECT_EQ(edit.text(), "12"); // x beeps, 3 meets the integer limit of 2
    EXPECT_EQ(tarvex::BeepCount() - before, 1);
}

TEST(NumEdit, NonAsciiKeyBeeps) {
    CFwNumEdt edit;
    edit.show();
    const int before = tarvex::BeepCount();
    QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key_unknown, QString::fromUtf8("５"),
                        Qt::NoModifier);
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(tarvex::BeepCount() - before, 1);
}

void Commit(QWidget* w, const QString& commit, const QString& preedit = {}) {
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QApplication::sendEvent(w, &event);
}

TEST(NumEdit, InputMethodCommitIsFilteredLikeTyping) {
    CFwNumEdt edit;
    edit.show();
    const int before = tarvex::BeepCount();
    Commit(&edit, "1a2");
    EXPECT_EQ(edit.text(), "12");
    EXPECT_EQ(tarvex::BeepCount() - before, 1);
}

TEST(NumEdit, InputMethodCommitMeetsTheLimitsCharacterByCharacter) {
    CFwNumEdt edit;
    edit.SetMaxIntDigits(1);
    edit.SetMaxDecDigits(3);
    edit.show();
    const int before = tarvex::BeepCount();
    Commit(&edit, "12.3456"); // 2 dropped (integer limit), 6 dropped (decimal limit)
    EXPECT_EQ(edit.text(), "1.345");
    Commit(&edit, QString::fromUtf8("。"));
    EXPECT_EQ(edit.text(), "1.345");
    EXPECT_EQ(tarvex::BeepCount() - before,
              0); // the full-width point meets the decimal limit first
    edit.clear();
    Commit(&edit, QString::fromUtf8("。"));
    EXPECT_EQ(tarvex::BeepCount() - before, 1);
    EXPECT_EQ(edit.text(), "");
}

TEST(NumEdit, InputMethodPreeditStaysOnShow) {
    CFwNumEdt edit;
    edit.show();
    Commit(&edit, "5", "x");
    EXPECT_EQ(edit.text(), "5"); // the preedit is not part of the text
    Commit(&edit, "", "");
    Commit(&edit, "6");
    EXPECT_EQ(edit.text(), "56");
}

} // namespace
