#include "platform/beep.h"
#include "platform/dialog.h"
#include "platform/dialogpage.h"
#include "platform/dlgitems.h"
#include "platform/filedialog.h"
#include "platform/filedialogrecorder.h"
#include "platform/fonts.h"
#include "platform/msgbox.h"
#include "platform/msgboxrecorder.h"
#include "platform/updatebatch.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <climits>
#include <functional>
#include <optional>

namespace {

using tarvex::MessageBoxRecorder;

template <class Control> Control* AddControl(QWidget* parent, int id) {
    auto* control = new Control(parent);
    control->setObjectName(tarvex::DlgItemName(id));
    if (parent->layout())
        parent->layout()->addWidget(control);
    return control;
}

// A page like the test pages: integer fields with ranges, a decimal field and a text of at
// most 10 characters, in this order.
class RangePage : public CDialogPage {
  public:
    RangePage() {
        new QVBoxLayout(this);
        voltage = AddControl<QLineEdit>(this, 1004);
        current = AddControl<QLineEdit>(this, 1005);
        primary = AddControl<QLineEdit>(this, 1006);
        site = AddControl<QLineEdit>(this, 1007);
        InitDialog();
    }

    bool OnInitDialog() override {
        ++initCalls;
        return CDialogPage::OnInitDialog();
    }

    void DoDataExchange(CDataExchange& dx) override {
        DDX_Text(dx, 1004, m_nTestVoltage);
        DDV_MinMaxInt(dx, m_nTestVoltage, 10, 2500);
        DDX_Text(dx, 1005, m_nTestCurrent);
        DDV_MinMaxInt(dx, m_nTestCurrent, 1, 5);
        DDX_Text(dx, 1006, m_fRatedPrimary);
        DDX_Text(dx, 1007, m_strSite);
        DDV_MaxChars(dx, m_strSite, 10);
    }

    void InitAgain() { InitDialog(); }

    int m_nTestVoltage = 200;
    int m_nTestCurrent = 1;
    float m_fRatedPrimary = 10.0f;
    QString m_strSite;
    int initCalls = 0;
    QLineEdit* voltage;
    QLineEdit* current;
    QLineEdit* primary;
    QLineEdit* site;
};

// One integer and one decimal field without range checks, for the number formats.
class NumberPage : public CDialogPage {
  public:
    NumberPage() {
        AddControl<QLineEdit>(this, 1004);
        AddControl<QLineEdit>(this, 1005);
        InitDialog();
    }
    void DoDataExchange(CDataExchange& dx) override {
        if (exchangeInt)
            DDX_Text(dx, 1004, m_nValue);
        else
            DDX_Text(dx, 1005, m_fValue);
    }
    bool exchangeInt = true;
    int m_nValue = 0;
    float m_fValue = 0;
};

class PlatformGuiTest : public ::testing::Test {
  protected:
    void SetUp() override { tarvex::InstallFontSubstitutions(); }

    // Shows the page as an active top-level window, so that focus changes take effect.
    static void ShowActive(QWidget& window) {
        window.show();
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    MessageBoxRecorder boxes;
};

// ---- data exchange ----

TEST_F(PlatformGuiTest, InitDialogShowsTheMembersOnceAndLimitsTheText) {
    RangePage page;
    EXPECT_EQ(page.initCalls, 1);
    EXPECT_TRUE(page.IsInitialised());
    EXPECT_EQ(page.voltage->text(), "200");
    EXPECT_EQ(page.current->text(), "1");
    EXPECT_EQ(page.primary->text(), "10");
    EXPECT_EQ(page.site->text(), "");
    EXPECT_EQ(page.site->maxLength(), 10);
    EXPECT_EQ(page.voltage->maxLength(), 32767); // only the text field is limited

    page.m_nTestVoltage = -35;
    page.m_fRatedPrimary = 0.1f;
    page.m_strSite = "站点";
    EXPECT_TRUE(page.UpdateData(false));
    EXPECT_EQ(page.voltage->text(), "-35");
    EXPECT_EQ(page.primary->text(), "0.1");
    EXPECT_EQ(page.site->text(), "站点");
    EXPECT_TRUE(boxes.calls().empty()); // loading checks nothing
}

TEST_F(PlatformGuiTest, SecondInitDialogDoesNothing) {
    RangePage page;
    page.m_nTestVoltage = 999;
    page.InitAgain();
    EXPECT_EQ(page.initCalls, 1);
    EXPECT_EQ(page.voltage->text(), "200");
}

TEST_F(PlatformGuiTest, DecimalsShowSixSignificantDigits) {
    const struct {
        float value;
        const char* shown;
    } cases[] = {{10.0f, "10"},
                 {0.1f, "0.1"},
                 {123.456789f, "123.457"},
                 {1234567.0f, "1.23457e+06"},
                 {-2.5f, "-2.5"},
                 {0.00001f, "1e-05"},
                 {0.0f, "0"},
                 {100.5f, "100.5"}};
    NumberPage page;
    page.exchangeInt = false;
    for (const auto& c : cases) {
        page.m_fValue = c.value;
        page.UpdateData(false);
        EXPECT_EQ(page.GetDlgItemText(1005), c.shown) << c.shown;
    }
}

TEST_F(PlatformGuiTest, IntegerFieldsReadLikeTheFramework) {
    const struct {
        const char* text;
        std::optional<int> value; // nothing: refused
    } cases[] = {
        {"300", 300},
        {" 300\t", 300},
        {"+7", 7},
        {"-15", -15},
        {"007", 7},
        {"0", 0},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
        {"", std::nullopt},
        {" ", std::nullopt},
        {"abc", std::nullopt},
        {"12a", std::nullopt},
        {"1 2", std::nullopt},
        {"1.5", std::nullopt},
        {"0x10", std::nullopt},
        {"-0", std::nullopt},
        {"+-5", std::nullopt},
        {"- 5", std::nullopt},
        {"１２", std::nullopt}, // full-width digits
    };
    NumberPage page;
    for (const auto& c : cases) {
        boxes.clear();
        page.m_nValue = 4242;
        page.SetDlgItemText(1004, QString::fromUtf8(c.text));
        const bool ok = page.UpdateData(true);
        EXPECT_EQ(ok, c.value.has_value()) << c.text;
        if (c.value) {
            EXPECT_EQ(page.m_nValue, *c.value) << c.text;
            EXPECT_TRUE(boxes.calls().empty()) << c.text;
        } else {
            EXPECT_EQ(page.m_nValue, 4242) << c.text; // the member keeps its value
            ASSERT_EQ(boxes.calls().size(), 1u) << c.text;
            EXPECT_EQ(boxes.calls()[0].text, "请输入一个整数。");
        }
    }
}

TEST_F(PlatformGuiTest, DecimalFieldsReadLikeTheFramework) {
    const struct {
        const char* text;
        std::optional<float> value;
    } cases[] = {
        {"12.5", 12.5f},
        {" .5 ", 0.5f},
        {"5.", 5.0f},
        {"1e3", 1000.0f},
        {"-0.25", -0.25f},
        {"+2", 2.0f},
        {"0", 0.0f},
        {"0.000", 0.0f},
        {"", std::nullopt},
        {".0", std::nullopt},
        {"-0", std::nullopt},
        {"abc", std::nullopt},
        {"1e", std::nullopt},
        {"inf", std::nullopt},
        {"nan", std::nullopt},
        {"0x1p3", std::nullopt},
        {"1e999", std::nullopt},
        {"1e39", std::nullopt},
        {"1,5", std::nullopt},
        {"1.5.2", std::nullopt},
    };
    NumberPage page;
    page.exchangeInt = false;
    for (const auto& c : cases) {
        boxes.clear();
        page.m_fValue = 42.0f;
        page.SetDlgItemText(1005, QString::fromUtf8(c.text));
        const bool ok = page.UpdateData(true);
        EXPECT_EQ(ok, c.value.has_value()) << c.text;
        if (c.value) {
            EXPECT_FLOAT_EQ(page.m_fValue, *c.value) << c.text;
            EXPECT_TRUE(boxes.calls().empty()) << c.text;
        } else {
            EXPECT_EQ(page.m_fValue, 42.0f) << c.text;
            ASSERT_EQ(boxes.calls().size(), 1u) << c.text;
            EXPECT_EQ(boxes.calls()[0].text, "请输入一个数字。");
        }
    }
}

TEST_F(PlatformGuiTest, ValidFieldsAreAllRead) {
    RangePage page;
    page.voltage->setText(" 2500 ");
    page.current->setText("+5");
    page.primary->setText("12.5");
    page.site->setText("abcdefghij");
    EXPECT_TRUE(page.UpdateData(true));
    EXPECT_EQ(page.m_nTestVoltage, 2500);
    EXPECT_EQ(page.m_nTestCurrent, 5);
    EXPECT_FLOAT_EQ(page.m_fRatedPrimary, 12.5f);
    EXPECT_EQ(page.m_strSite, "abcdefghij");
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(PlatformGuiTest, RangeMessagesHaveTheFrameworkTexts) {
    const struct {
        const char* voltage;
        const char* current;
        const char* message;
    } cases[] = {
        {"5", "1", "请输入一个介于 10 和 2500 之间的整数。"},
        {"2501", "1", "请输入一个介于 10 和 2500 之间的整数。"},
        {"200", "0", "请输入一个介于 1 和 5 之间的整数。"},
        {"200", "6", "请输入一个介于 1 和 5 之间的整数。"},
    };
    for (const auto& c : cases) {
        RangePage page;
        boxes.clear();
        page.voltage->setText(c.voltage);
        page.current->setText(c.current);
        EXPECT_FALSE(page.UpdateData(true)) << c.voltage << " " << c.current;
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.calls()[0].text, c.message);
        EXPECT_EQ(boxes.calls()[0].caption, "系统提示");
        EXPECT_EQ(boxes.calls()[0].style, MB_OK | MB_ICONWARNING);
        // As in the framework, the value out of range is already in its member.
        EXPECT_EQ(page.m_nTestVoltage, QString(c.voltage).toInt());
    }
}

TEST_F(PlatformGuiTest, ExchangeStopsAtTheFirstFailure) {
    RangePage page;
    page.voltage->setText("5");
    page.current->setText("abc");
    page.primary->setText("7");
    page.site->setText("site");
    EXPECT_FALSE(page.UpdateData(true));
    EXPECT_EQ(boxes.texts(), QStringList{"请输入一个介于 10 和 2500 之间的整数。"});
    EXPECT_EQ(page.m_nTestVoltage, 5);
    EXPECT_EQ(page.m_nTestCurrent, 1); // later fields are not read
    EXPECT_FLOAT_EQ(page.m_fRatedPrimary, 10.0f);
    EXPECT_EQ(page.m_strSite, "");

    boxes.clear();
    page.voltage->setText("x");
    EXPECT_FALSE(page.UpdateData(true));
    EXPECT_EQ(boxes.texts(), QStringList{"请输入一个整数。"}); // no range message for it
    EXPECT_EQ(page.m_nTestVoltage, 5);

    boxes.clear();
    page.voltage->setText("100");
    page.current->setText("3");
    EXPECT_TRUE(page.UpdateData(true));
    EXPECT_EQ(page.m_nTestCurrent, 3);
    EXPECT_EQ(page.m_strSite, "site");
}

TEST_F(PlatformGuiTest, FailingFieldGetsTheFocusWithItsTextSelected) {
    RangePage page;
    ShowActive(page);
    page.site->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), page.site);

    page.current->setText("60");
    EXPECT_FALSE(page.UpdateData(true));
    EXPECT_EQ(QApplication::focusWidget(), page.current);
    EXPECT_EQ(page.current->selectedText(), "60");

    page.current->setText("2");
    page.primary->setText("twelve");
    EXPECT_FALSE(page.UpdateData(true));
    EXPECT_EQ(QApplication::focusWidget(), page.primary);
    EXPECT_EQ(page.primary->selectedText(), "twelve");

    // A successful exchange leaves the focus where it is.
    page.primary->setText("12");
    page.site->setFocus();
    EXPECT_TRUE(page.UpdateData(true));
    EXPECT_EQ(QApplication::focusWidget(), page.site);
}

TEST_F(PlatformGuiTest, TextFieldTakesAtMostTenCharacters) {
    RangePage page;
    ShowActive(page);
    page.site->setFocus();
    QTest::keyClicks(page.site, "abcdefghijk");
    EXPECT_EQ(page.site->text(), "abcdefghij"); // the eleventh is refused by the edit
    page.site->clear();
    for (const QChar c : QString("一二三四五六七八九十十一"))
        QTest::sendKeyEvent(QTest::Click, page.site, Qt::Key_unknown, QString(c), Qt::NoModifier);
    EXPECT_EQ(page.site->text(), "一二三四五六七八九十");
    EXPECT_TRUE(page.UpdateData(true));
    EXPECT_EQ(page.m_strSite, "一二三四五六七八九十");

    // A field whose limit was never applied: the check on save refuses the long text.
    page.site->setMaxLength(32767);
    page.site->setText("abcdefghijk");
    page.voltage->setFocus();
    EXPECT_FALSE(page.UpdateData(true));
    EXPECT_EQ(boxes.texts(), QStringList{"请输入不超过 10 个字符。"});
    EXPECT_EQ(boxes.calls()[0].caption, "系统提示");
    EXPECT_EQ(boxes.calls()[0].style, MB_OK | MB_ICONWARNING);
    EXPECT_EQ(page.m_strSite, "abcdefghijk"); // read, then refused, as the framework does
    EXPECT_EQ(QApplication::focusWidget(), page.site);
    EXPECT_EQ(page.site->selectedText(), "abcdefghijk");
}

// A text field in a combo box and in a multi-line edit: the limit reaches the combo's edit.
class TextKindsPage : public CDialogPage {
  public:
    TextKindsPage() {
        combo = AddControl<QComboBox>(this, 1014);
        combo->setEditable(true);
        notes = AddControl<QPlainTextEdit>(this, 1008);
        InitDialog();
    }
    void DoDataExchange(CDataExchange& dx) override {
        DDX_Control(dx, 1014, m_cbPhase);
        DDX_Text(dx, 1014, m_strPhase);
        DDV_MaxChars(dx, m_strPhase, 3);
        DDX_Text(dx, 1008, m_strNotes);
        DDV_MaxChars(dx, m_strNotes, 5);
    }
    QComboBox* m_cbPhase = nullptr;
    QString m_strPhase = "A";
    QString m_strNotes;
    QComboBox* combo;
    QPlainTextEdit* notes;
};

TEST_F(PlatformGuiTest, ComboAndMultiLineTextsExchange) {
    TextKindsPage page;
    EXPECT_EQ(page.m_cbPhase, page.combo);
    EXPECT_EQ(page.combo->currentText(), "A");
    EXPECT_EQ(page.combo->lineEdit()->maxLength(), 3);
    page.combo->setEditText("BC");
    page.notes->setPlainText("line1\nline2");
    EXPECT_FALSE(page.UpdateData(true));
    EXPECT_EQ(page.m_strPhase, "BC");
    EXPECT_EQ(boxes.texts(), QStringList{"请输入不超过 5 个字符。"});
    page.notes->setPlainText("12345");
    EXPECT_TRUE(page.UpdateData(true));
    EXPECT_EQ(page.m_strNotes, "12345");
}

// ---- controls by id ----

class ControlsPage : public CDialogPage {
  public:
    ControlsPage() {
        new QVBoxLayout(this);
        edit = AddControl<QLineEdit>(this, 1004);
        label = AddControl<QLabel>(this, 1033);
        button = AddControl<QPushButton>(this, 1009);
        group = AddControl<QGroupBox>(this, 1024);
        new QVBoxLayout(group);
        inGroup = AddControl<QLineEdit>(group, 1032);
        radio1 = AddControl<QRadioButton>(group, 1011);
        radio2 = AddControl<QRadioButton>(group, 1012);
        editable = AddControl<QComboBox>(this, 1014);
        editable->setEditable(true);
        editable->addItems({"A", "B", "C"});
        dropList = AddControl<QComboBox>(this, 1018);
        dropList->addItems({"100", "100/3", "220"});
        plain = AddControl<QPlainTextEdit>(this, 1040);
        list = AddControl<QListWidget>(this, 1003);
        list->addItems({"1", "2", "3", "4"});
        InitDialog();
    }
    QLineEdit* edit;
    QLabel* label;
    QPushButton* button;
    QGroupBox* group;
    QLineEdit* inGroup;
    QRadioButton* radio1;
    QRadioButton* radio2;
    QComboBox* editable;
    QComboBox* dropList;
    QPlainTextEdit* plain;
    QListWidget* list;
};

TEST_F(PlatformGuiTest, TextsOfEveryControlKind) {
    ControlsPage page;
    const int ids[] = {1004, 1033, 1009, 1024, 1032, 1011, 1014, 1040};
    for (const int id : ids) {
        page.SetDlgItemText(id, QString("文本 %1").arg(id));
        EXPECT_EQ(page.GetDlgItemText(id), QString("文本 %1").arg(id)) << id;
    }
    EXPECT_EQ(page.edit->text(), "文本 1004");
    EXPECT_EQ(page.label->text(), "文本 1033");
    EXPECT_EQ(page.button->text(), "文本 1009");
    EXPECT_EQ(page.group->title(), "文本 1024");
    EXPECT_EQ(page.inGroup->text(), "文本 1032");
    EXPECT_EQ(page.radio1->text(), "文本 1011");
    EXPECT_EQ(page.editable->lineEdit()->text(), "文本 1014");
    EXPECT_EQ(page.plain->toPlainText(), "文本 1040");

    // A drop-down list shows its current item; setting a text selects that item.
    EXPECT_EQ(page.GetDlgItemText(1018), "100");
    page.SetDlgItemText(1018, "220");
    EXPECT_EQ(page.dropList->currentIndex(), 2);
    EXPECT_EQ(page.GetDlgItemText(1018), "220");
    page.plain->setPlainText("a\r\nb");
    EXPECT_EQ(page.GetDlgItemText(1040), "a\nb");
}

TEST_F(PlatformGuiTest, ControlsAreFoundInContainersButNotInOtherWindowsOrPages) {
    ControlsPage page;
    EXPECT_EQ(page.GetDlgItem(1032), page.inGroup);
    EXPECT_EQ(page.GetDlgItem(9999), nullptr);
    EXPECT_EQ(page.GetDlgItemText(9999), ""); // warns, does not fail

    auto* child = new QDialog(&page);
    AddControl<QLineEdit>(child, 1050);
    EXPECT_EQ(page.GetDlgItem(1050), nullptr);

    auto* nested = new CDialogPage(&page);
    auto* nestedEdit = AddControl<QLineEdit>(nested, 1051);
    AddControl<QLineEdit>(nested, 1004);
    EXPECT_EQ(page.GetDlgItem(1051), nullptr);
    EXPECT_EQ(page.GetDlgItem(1004), page.edit);
    EXPECT_EQ(nested->GetDlgItem(1051), nestedEdit);
}

TEST_F(PlatformGuiTest, ShowEnableAndCheck) {
    ControlsPage page;
    page.ShowItem(1009, false);
    EXPECT_TRUE(page.button->isHidden());
    page.ShowItem(1009, true);
    EXPECT_FALSE(page.button->isHidden());
    page.EnableItem(1004, false);
    EXPECT_FALSE(page.edit->isEnabled());
    page.EnableItem(1004, true);
    EXPECT_TRUE(page.edit->isEnabled());

    QSignalSpy clicks1(page.radio1, &QAbstractButton::clicked);
    QSignalSpy clicks2(page.radio2, &QAbstractButton::clicked);
    page.CheckRadio(1011);
    EXPECT_TRUE(page.IsChecked(1011));
    EXPECT_FALSE(page.IsChecked(1012));
    page.CheckRadio(1012, true);
    EXPECT_FALSE(page.IsChecked(1011));
    EXPECT_TRUE(page.IsChecked(1012));
    page.CheckRadio(1012, false); // a radio button can be unchecked, as on Windows
    EXPECT_FALSE(page.IsChecked(1011));
    EXPECT_FALSE(page.IsChecked(1012));
    EXPECT_TRUE(page.radio2->autoExclusive());
    page.CheckRadio(1011);
    EXPECT_TRUE(page.IsChecked(1011));
    EXPECT_EQ(clicks1.count() + clicks2.count(), 0); // checking is not clicking
}

TEST_F(PlatformGuiTest, SelectedIndexOfCombosAndLists) {
    ControlsPage page;
    EXPECT_EQ(page.GetSelectedIndex(1003), -1);
    page.SetSelectedIndex(1003, 2);
    EXPECT_EQ(page.GetSelectedIndex(1003), 2);
    page.list->item(1)->setSelected(true);
    EXPECT_EQ(page.GetSelectedIndex(1003), 1); // the first selected row
    page.SetSelectedIndex(1003, -1);
    EXPECT_EQ(page.GetSelectedIndex(1003), -1);

    page.SetSelectedIndex(1014, -1);
    EXPECT_EQ(page.GetSelectedIndex(1014), -1);
    page.SetDlgItemText(1014, "B"); // a text is not a selection
    EXPECT_EQ(page.GetSelectedIndex(1014), -1);
    page.SetSelectedIndex(1014, 2);
    EXPECT_EQ(page.GetSelectedIndex(1014), 2);
    EXPECT_EQ(page.GetDlgItemText(1014), "C");
}

// ---- modal dialogs ----

class LimitDialog : public CDialog {
  public:
    LimitDialog() {
        new QVBoxLayout(this);
        burden = AddControl<QLineEdit>(this, 1005);
        ok = AddControl<QPushButton>(this, IDOK);
        cancel = AddControl<QPushButton>(this, IDCANCEL);
    }
    bool OnInitDialog() override {
        ++initCalls;
        return CDialog::OnInitDialog();
    }
    void DoDataExchange(CDataExchange& dx) override {
        DDX_Text(dx, 1005, m_nRatedBurden);
        DDV_MinMaxInt(dx, m_nRatedBurden, 1, 99);
    }
    int m_nRatedBurden = 10;
    int initCalls = 0;
    QLineEdit* burden;
    QPushButton* ok;
    QPushButton* cancel;
};

// Runs DoModal while steps act on the open dialog, one event-loop turn apart.
int RunModal(CDialog& dialog, std::vector<std::function<void()>> steps) {
    auto remaining = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
    auto* timer = new QTimer(&dialog);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, &dialog, [timer, remaining, &dialog] {
        if (!dialog.isVisible())
            return;
        if (remaining->empty()) {
            timer->stop();
            return;
        }
        auto step = remaining->front();
        remaining->erase(remaining->begin());
        step();
    });
    timer->start();
    const int result = dialog.DoModal();
    timer->stop();
    return result;
}

TEST_F(PlatformGuiTest, DialogOkChecksTheFieldsAndStaysOpenOnFailure) {
    LimitDialog dialog;
    EXPECT_EQ(dialog.initCalls, 0); // DoModal initialises
    bool stayedOpen = false;
    QString shownAtOpen;
    const int result = RunModal(dialog, {[&] {
                                             shownAtOpen = dialog.burden->text();
                                             dialog.burden->setText("100");
                                             dialog.ok->click();
                                         },
                                         [&] {
                                             stayedOpen = dialog.isVisible();
                                             dialog.burden->setText("25");
                                             dialog.ok->click();
                                         }});
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(shownAtOpen, "10");
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(boxes.texts(), QStringList{"请输入一个介于 1 和 99 之间的整数。"});
    EXPECT_EQ(dialog.m_nRatedBurden, 25);
    EXPECT_EQ(dialog.initCalls, 1);
}

TEST_F(PlatformGuiTest, DialogCancelReadsNothing) {
    const std::vector<std::pair<const char*, std::function<void(LimitDialog&)>>> ways = {
        {"button", [](LimitDialog& d) { d.cancel->click(); }},
        {"Escape", [](LimitDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close", [](LimitDialog& d) { d.close(); }},
        {"reject", [](LimitDialog& d) { d.reject(); }},
    };
    for (const auto& [name, cancel] : ways) {
        LimitDialog dialog;
        const int result = RunModal(dialog, {[&, cancel = cancel] {
                                        dialog.burden->setText("50");
                                        cancel(dialog);
                                    }});
        EXPECT_EQ(result, IDCANCEL) << name;
        EXPECT_EQ(dialog.m_nRatedBurden, 10) << name;
    }
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(PlatformGuiTest, DialogEndsWithTheResultGiven) {
    LimitDialog dialog;
    EXPECT_EQ(RunModal(dialog, {[&] { dialog.accept(); }}), IDOK); // accept() is OK
    EXPECT_EQ(RunModal(dialog, {[&] { dialog.EndDialog(IDCANCEL); }}), IDCANCEL);
    EXPECT_EQ(RunModal(dialog, {[&] { dialog.done(QDialog::Accepted); }}), IDOK);
    EXPECT_EQ(dialog.initCalls, 1);
}

// ---- message boxes ----

TEST_F(PlatformGuiTest, HookReceivesEveryBoxAndAnswersIt) {
    QWidget owner;
    EXPECT_EQ(MessageBox(&owner, "请先进行端口配置", "系统提示", MB_OK | MB_ICONINFORMATION), IDOK);
    EXPECT_EQ(MessageBox(&owner, "关闭端口？", "系统提示", MB_YESNO | MB_ICONINFORMATION), IDYES);
    boxes.setAnswer(IDNO);
    EXPECT_EQ(MessageBox(&owner, "关闭端口？", "系统提示", MB_YESNO | MB_ICONINFORMATION), IDNO);
    EXPECT_EQ(MessageBox(nullptr, "知道了", "系统提示", MB_OK), IDOK); // OK-only stays IDOK
    EXPECT_EQ(AfxMessageBox("框架"), IDOK);
    EXPECT_EQ(AfxMessageBox("问题", MB_YESNO | MB_ICONINFORMATION), IDNO);

    const auto& calls = boxes.calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].text, "请先进行端口配置");
    EXPECT_EQ(calls[0].caption, "系统提示");
    EXPECT_EQ(calls[0].style, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(calls[0].owner, &owner);
    EXPECT_EQ(calls[3].owner, nullptr);
    EXPECT_EQ(calls[4].caption, "系统提示");
    EXPECT_EQ(calls[4].style, MB_OK | MB_ICONWARNING);
    EXPECT_EQ(calls[5].style, MB_YESNO | MB_ICONINFORMATION);
}

TEST_F(PlatformGuiTest, RecordersNestAndRestore) {
    MessageBox(nullptr, "outer 1", "c", MB_OK);
    {
        MessageBoxRecorder inner;
        inner.setAnswer(IDNO);
        EXPECT_EQ(MessageBox(nullptr, "inner", "c", MB_YESNO), IDNO);
        EXPECT_EQ(inner.texts(), QStringList{"inner"});
    }
    EXPECT_EQ(MessageBox(nullptr, "outer 2", "c", MB_YESNO), IDYES);
    EXPECT_EQ(boxes.texts(), (QStringList{"outer 1", "outer 2"}));
}

// What a real box showed and the button the test pressed.
struct SeenBox {
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString defaultButton;
};

// Waits for the real modal box, notes what it shows and presses the button with the given text
// (or Escape when the text is empty).
void AnswerRealBox(SeenBox& seen, const QString& press) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, &seen, press] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (++*tries > 500) // five seconds: give up rather than hang
                timer->deleteLater();
            return;
        }
        timer->deleteLater();
        seen.text = box->text();
        seen.caption = box->windowTitle();
        seen.icon = box->icon();
        for (QAbstractButton* b : box->buttons())
            seen.buttons << b->text();
        seen.buttons.sort();
        seen.defaultButton = box->defaultButton() ? box->defaultButton()->text() : QString();
        if (press.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == press)
                b->click();
        }
    });
    timer->start();
}

TEST_F(PlatformGuiTest, RealMessageBoxesShowTheStyleAndReturnTheButton) {
    tarvex::MessageBoxHook none;
    const tarvex::MessageBoxHook saved = tarvex::SetMessageBoxHook(none); // real boxes
    const struct {
        unsigned style;
        const char* press; // "": Escape
        QMessageBox::Icon icon;
        QStringList buttons;
        const char* defaultButton;
        int result;
    } cases[] = {
        {MB_OK | MB_ICONINFORMATION, "确定", QMessageBox::Information, {"确定"}, "确定", IDOK},
        {MB_OK | MB_ICONWARNING, "", QMessageBox::Warning, {"确定"}, "确定", IDOK},
        {MB_YESNO | MB_ICONINFORMATION,
         "是(&Y)",
         QMessageBox::Information,
         {"否(&N)", "是(&Y)"},
         "是(&Y)",
         IDYES},
        {MB_YESNO | MB_ICONINFORMATION,
         "否(&N)",
         QMessageBox::Information,
         {"否(&N)", "是(&Y)"},
         "是(&Y)",
         IDNO},
        {MB_YESNO, "", QMessageBox::NoIcon, {"否(&N)", "是(&Y)"}, "是(&Y)", IDNO},
        {MB_OKCANCEL | MB_ICONQUESTION,
         "",
         QMessageBox::Question,
         {"取消", "确定"},
         "确定",
         IDCANCEL},
    };
    QWidget owner;
    owner.show();
    for (const auto& c : cases) {
        SeenBox seen;
        AnswerRealBox(seen, c.press);
        const int result = MessageBox(&owner, "正文", "系统提示", c.style);
        EXPECT_EQ(result, c.result) << c.style << " " << c.press;
        EXPECT_EQ(seen.text, "正文");
        EXPECT_EQ(seen.caption, "系统提示");
        EXPECT_EQ(seen.icon, c.icon) << c.style;
        EXPECT_EQ(seen.buttons, c.buttons) << c.style;
        EXPECT_EQ(seen.defaultButton, c.defaultButton) << c.style;
    }

    SeenBox seen;
    AnswerRealBox(seen, "确定");
    EXPECT_EQ(AfxMessageBox("请输入一个整数。"), IDOK);
    EXPECT_EQ(seen.caption, "系统提示");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    tarvex::SetMessageBoxHook(saved);
}

// ---- file dialogs ----

TEST_F(PlatformGuiTest, FiltersInQtForm) {
    const struct {
        const char* framework;
        const char* qt;
    } cases[] = {
        {"数据文件(*.txt)|*.txt|", "数据文件(*.txt) (*.txt)"},
        {"数据文件(*.txt)|*.txt||", "数据文件(*.txt) (*.txt)"},
        {"Text|*.txt;*.log|All files (*.*)|*.*||", "Text (*.txt *.log);;All files (*.*) (*)"},
        {"Data|*.dat ; *.csv|", "Data (*.dat *.csv)"},
        {"|*.txt|", "*.txt"},
        {"Only a description", "Only a description (*)"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tarvex::QtFileFilter(c.framework), c.qt) << c.framework;
}

TEST_F(PlatformGuiTest, FileDialogHookGetsTheRequestAndAnswers) {
    tarvex::FileDialogRecorder files;
    QWidget owner;
    EXPECT_EQ(GetOpenFilePath(nullptr, "数据文件(*.txt)|*.txt|"), ""); // cancelled
    files.setAnswer("/tmp/result.txt");
    EXPECT_EQ(GetSaveFilePath(&owner, "CT伏安特性", "数据文件(*.txt)|*.txt|"), "/tmp/result.txt");
    ASSERT_EQ(files.calls().size(), 2u);
    EXPECT_EQ(files.calls()[0].kind, tarvex::FileDialogKind::Open);
    EXPECT_EQ(files.calls()[0].suggestedName, "");
    EXPECT_EQ(files.calls()[0].filter, "数据文件(*.txt)|*.txt|");
    EXPECT_EQ(files.calls()[0].owner, nullptr);
    EXPECT_EQ(files.calls()[1].kind, tarvex::FileDialogKind::Save);
    EXPECT_EQ(files.calls()[1].suggestedName, "CT伏安特性");
    EXPECT_EQ(files.calls()[1].owner, &owner);
}

// Waits for the real file dialog and lets act handle it.
void HandleRealFileDialog(std::function<void(QFileDialog*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            if (++*tries > 500)
                timer->deleteLater();
            return;
        }
        timer->deleteLater();
        act(dialog);
    });
    timer->start();
}

TEST_F(PlatformGuiTest, RealFileDialogsShowTheFrameworkFilter) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());

    QString title;
    QStringList filters;
    bool detailsHidden = false;
    HandleRealFileDialog([&](QFileDialog* d) {
        title = d->windowTitle();
        filters = d->nameFilters();
        detailsHidden = d->testOption(QFileDialog::HideNameFilterDetails);
        d->reject();
    });
    EXPECT_EQ(GetOpenFilePath(nullptr, "数据文件(*.txt)|*.txt|"), "");
    EXPECT_EQ(title, "打开");
    EXPECT_EQ(filters, QStringList{"数据文件(*.txt) (*.txt)"});
    EXPECT_TRUE(detailsHidden);

    QStringList suggested;
    HandleRealFileDialog([&](QFileDialog* d) {
        title = d->windowTitle();
        suggested = d->selectedFiles();
        static_cast<QDialog*>(d)->accept(); // QFileDialog::accept, public as QDialog's
    });
    const QString chosen = GetSaveFilePath(nullptr, "CT007", "数据文件(*.txt)|*.txt|");
    EXPECT_EQ(title, "另存为");
    EXPECT_EQ(suggested, QStringList{QDir::current().filePath("CT007")});
    EXPECT_EQ(chosen, QDir::current().filePath("CT007")); // no extension is added
    QDir::setCurrent(previous);
}

// ---- beep and fonts ----

TEST_F(PlatformGuiTest, BeepsAreCounted) {
    const int before = tarvex::BeepCount();
    MessageBeep();
    MessageBeep(MB_OK);
    EXPECT_EQ(tarvex::BeepCount(), before + 2);
}

// Latin text in a Times face of the Chinese text's size, the Han characters in AR PL UMing.
TEST_F(PlatformGuiTest, SongResolvesToATimesFaceWithUmingForHan) {
    tarvex::InstallFontSubstitutions(); // a second time changes nothing
    EXPECT_EQ(QFont::substitutes("宋体"), (QStringList{"nimbus roman", "ar pl uming cn"}));
    EXPECT_TRUE(QFontInfo(tarvex::SongFont(16)).family().startsWith("Nimbus Roman"));
    EXPECT_TRUE(QFontInfo(QFont("SimSun")).family().startsWith("Nimbus Roman"));
    auto drawn = [](const QFont& font) {
        QImage image(100, 30, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(font);
        painter.drawText(QPointF(2, 22), "测试电压");
        return image;
    };
    QFont uming("AR PL UMing CN");
    uming.setPixelSize(16);
    EXPECT_EQ(drawn(tarvex::SongFont(16)), drawn(uming));

    const QFont label = tarvex::SongFont(14, 600);
    EXPECT_EQ(label.family(), "宋体");
    EXPECT_EQ(label.pixelSize(), 14);
    EXPECT_EQ(label.weight(), QFont::DemiBold);
    EXPECT_EQ(tarvex::SongFont(16, 0).weight(), QFont::Normal);

    QLabel shown("U = 123.4 V");
    shown.setFont(label);
    EXPECT_EQ(QFontInfo(shown.font()).pixelSize(), 14);
}

} // namespace

TEST(UpdateBatch, WorkWaitsForTheOutermostBatchAndRunsOncePerOwner) {
    QObject first, second;
    QStringList done;
    tarvex::ShowWhenBatchEnds(&first, [&] { done << "at once"; });
    EXPECT_EQ(done, QStringList{"at once"});
    done.clear();
    {
        tarvex::UpdateBatch outer;
        tarvex::ShowWhenBatchEnds(&first, [&] { done << "first 1"; });
        {
            tarvex::UpdateBatch inner;
            tarvex::ShowWhenBatchEnds(&second, [&] { done << "second"; });
            tarvex::ShowWhenBatchEnds(&first, [&] { done << "first 2"; });
        }
        EXPECT_TRUE(done.isEmpty());
    }
    EXPECT_EQ(done, QStringList({"first 2", "second"}));
}

TEST(UpdateBatch, WorkOfAnOwnerThatWentIsDropped) {
    bool ran = false;
    {
        tarvex::UpdateBatch batch;
        auto* owner = new QObject;
        tarvex::ShowWhenBatchEnds(owner, [&] { ran = true; });
        delete owner;
    }
    EXPECT_FALSE(ran);
}
