// The CT and PT ratio-and-phase-error pages: the error values of their replies, the parameter
// command and the checks before a start.
#include "controls/fwnumedt.h"
#include "pages/ijbdlg.h"
#include "pages/ujbdlg.h"
#include "support/pagebench.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>

namespace {

class CtErrorPage : public ::testing::Test {
  protected:
    QString Text(int id) const { return page.GetDlgItemText(id); }

    PageBench bench;
    CIJBDlg page;
};

class PtErrorPage : public ::testing::Test {
  protected:
    void SetUp() override {
        page.show();
        page.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    }
    QString Text(int id) const { return page.GetDlgItemText(id); }

    PageBench bench;
    CUJBDlg page;
};

// Entries in the order of the reply: phase errors, then ratio errors.
constexpr int kCtIds[] = {1006, 1008, 1010, 1017, 1007, 1009, 1014, 1018};
constexpr int kPtIds[] = {1006, 1008, 1010, 1007, 1009, 1014};

Bytes Payload(int words) {
    // Word i is 0x80 00+i+1 for odd i (negative) and 00 i+1 for even i, so that every entry
    // shows a different value: 0.001, -0.002, 0.003, ...
    Bytes payload;
    for (int i = 0; i < words; ++i) {
        payload.push_back(i % 2 ? 0x80 : 0x00);
        payload.push_back(std::uint8_t(i + 1));
    }
    return payload;
}

QString Expected(int i) {
    return QString::asprintf("%s0.00%d", i % 2 ? "-" : "", i + 1);
}

} // namespace

TEST(ErrorValue, SignAndMagnitudeInThousandths) {
    const struct {
        unsigned char high, low;
        const char* text;
    } cases[] = {
        {0x00, 0x01, "0.001"},  {0x80, 0x01, "-0.001"}, {0x80, 0x00, "0.000"},
        {0x00, 0x00, "0.000"},  {0x7F, 0xFF, "32.767"}, {0xFF, 0xFF, "-32.767"},
        {0x80, 0x05, "-0.005"}, {0x03, 0xE8, "1.000"},  {0x83, 0xE8, "-1.000"},
        {0x01, 0x00, "0.256"},  {0x81, 0x00, "-0.256"}, {0x12, 0x34, "4.660"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const Bytes word{c.high, c.low};
        const double ct = tarvex::DecodeCtErrorReply(word).phaseMinutes.at(0);
        const double pt = tarvex::DecodePtErrorReply(word).phaseMinutes.at(0);
        EXPECT_EQ(CIJBDlg::FormatError(ct), c.text);
        EXPECT_EQ(CUJBDlg::FormatError(pt), c.text);
    }
}

TEST_F(CtErrorPage, ResultFillsPhaseThenRatioErrorsAtTheFourLoadPoints) {
    const Bytes payload = Payload(8);
    page.ShowErrorResult(tarvex::DecodeCtErrorReply(payload));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Text(kCtIds[i]), Expected(i)) << kCtIds[i];
}

TEST_F(PtErrorPage, ResultFillsPhaseThenRatioErrorsAtTheThreeLoadPoints) {
    const Bytes payload = Payload(6);
    page.ShowErrorResult(tarvex::DecodePtErrorReply(payload));
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Text(kPtIds[i]), Expected(i)) << kPtIds[i];
}

TEST_F(CtErrorPage, ShortResultShowsOnlyTheWholeValues) {
    const Bytes payload = Payload(8);
    for (const int length : {0, 1, 2, 5, 15}) {
        SCOPED_TRACE(length);
        page.ClearResults();
        page.ShowErrorResult(tarvex::DecodeCtErrorReply(Arrived(payload, length)));
        for (int i = 0; i < 8; ++i)
            EXPECT_EQ(Text(kCtIds[i]), 2 * i + 2 <= length ? Expected(i) : "") << kCtIds[i];
    }
}

TEST_F(CtErrorPage, InitialisationChoosesLightLoadAndFiveAmperes) {
    EXPECT_EQ(bench.app.m_pIJBDlg, &page);
    EXPECT_TRUE(page.IsChecked(1012));
    EXPECT_FALSE(page.IsChecked(1011));
    EXPECT_TRUE(page.IsChecked(1016));
    EXPECT_FALSE(page.IsChecked(1015));
    EXPECT_EQ(Text(1004), "600");
    EXPECT_EQ(Text(1005), "1");
    EXPECT_FALSE(page.GetDlgItem(1013)->isEnabled());
}

TEST_F(CtErrorPage, StartSendsRatedValuesAndModeThenStartsAfter300Ms) {
    const struct {
        const char* primary;
        const char* burden;
        bool fullLoad, oneAmpere;
        Bytes payload;
    } cases[] = {
        {"600", "1", false, false, {0x02, 0x58, 0x05, 0x01, 0x00}},
        {"1000", "10", true, true, {0x03, 0xE8, 0x01, 0x0A, 0x01}},
        {"5000", "99", true, false, {0x13, 0x88, 0x05, 0x63, 0x01}},
        {"1", "1", false, true, {0x00, 0x01, 0x01, 0x01, 0x00}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.primary);
        bench.port.ClearWritten();
        bench.engine.ClearLog();
        PageBench::Type(&page, "id1004", c.primary);
        PageBench::Type(&page, "id1005", c.burden);
        page.CheckRadio(c.fullLoad ? 1011 : 1012);
        page.CheckRadio(c.oneAmpere ? 1015 : 1016);
        PageBench::Start(&page);

        const std::vector<Bytes> frames = bench.Frames();
        ASSERT_GE(frames.size(), 2u);
        EXPECT_EQ(frames[0], Frame(0xF0, c.payload));
        EXPECT_EQ(frames[1], Frame(0xEB, {}));
        EXPECT_EQ(bench.GapMs(0xF0, 0xEB), 300);
        EXPECT_TRUE(bench.boxes.calls().empty());
    }
}

TEST_F(CtErrorPage, OutOfRangeEntryStopsTheStartWithTheFrameworkMessage) {
    const struct {
        const char* primary;
        const char* burden;
        QString message;
        int focus;
    } cases[] = {
        {"1000", "100", "请输入一个介于 1 和 99 之间的整数。", 1005},
        {"1000", "0", "请输入一个介于 1 和 99 之间的整数。", 1005},
        {"5001", "10", "请输入一个介于 1 和 5000 之间的整数。", 1004},
        {"0", "10", "请输入一个介于 1 和 5000 之间的整数。", 1004},
        {"", "10", "请输入一个整数。", 1004},
    };
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));
    const Bytes result = Payload(8);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.primary) + "/" + c.burden);
        bench.port.ClearWritten();
        bench.boxes.clear();
        page.ShowErrorResult(tarvex::DecodeCtErrorReply(result));
        PageBench::Type(&page, "id1004", c.primary);
        PageBench::Type(&page, "id1005", c.burden);
        PageBench::Start(&page);

        EXPECT_TRUE(bench.Frames().empty());
        ASSERT_EQ(bench.boxes.texts(), QStringList{c.message});
        EXPECT_EQ(bench.boxes.calls()[0].caption, "系统提示");
        EXPECT_EQ(QApplication::focusWidget(), page.GetDlgItem(c.focus));
        EXPECT_EQ(Text(1006), Expected(0)); // the result on show stays
    }
}

TEST_F(PtErrorPage, RatedPrimaryEntryIsTheNumericEntryInThePlaceOfTheTemplates) {
    auto* entry = qobject_cast<CFwNumEdt*>(page.GetDlgItem(1004));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry, page.m_editRatedPrimary);
    EXPECT_EQ(page.findChildren<QLineEdit*>("id1004").size(), 1);
    EXPECT_EQ(entry->MaxIntDigits(), 3);
    EXPECT_EQ(entry->MaxDecDigits(), 1);
    EXPECT_EQ(page.findChild<QLabel*>("lblRatedPrimary")->buddy(), entry);
    // It keeps the template's place in the tab order: after its label, before its unit.
    EXPECT_EQ(entry->previousInFocusChain(), page.findChild<QLabel*>("lblRatedPrimary"));
    EXPECT_EQ(entry->nextInFocusChain(), page.findChild<QLabel*>("lblRatedPrimaryUnit"));

    PageBench::Type(&page, "id1004", "1234.56");
    EXPECT_EQ(Text(1004), "123.5");
}

TEST_F(PtErrorPage, InitialisationShowsTenKilovoltsLightLoadAndHundred) {
    EXPECT_EQ(bench.app.m_pUJBDlg, &page);
    EXPECT_EQ(Text(1004), "10");
    EXPECT_EQ(Text(1005), "1");
    EXPECT_EQ(Text(1018), "100");
    EXPECT_EQ(page.GetSelectedIndex(1018), -1);
    EXPECT_TRUE(page.IsChecked(1012));
    EXPECT_FALSE(page.IsChecked(1011));
    EXPECT_FALSE(page.GetDlgItem(1013)->isEnabled());
}

TEST_F(PtErrorPage, StartSendsTenthsOfKilovoltsIndexBurdenAndMode) {
    const struct {
        const char* primary; // nullptr: as initialised
        const char* burden;
        int index;
        bool fullLoad;
        Bytes payload;
    } cases[] = {
        {nullptr, nullptr, -1, false, {0x00, 0x64, 0x00, 0x01, 0x00}},
        {"220", "25", 3, true, {0x08, 0x98, 0x03, 0x19, 0x01}},
        {"10.5", "1", 2, false, {0x00, 0x69, 0x02, 0x01, 0x00}},
        {"0.1", "99", 1, true, {0x00, 0x01, 0x01, 0x63, 0x01}},
        {"0.7", "1", 0, false, {0x00, 0x07, 0x00, 0x01, 0x00}},
        {"35", "10", 2, true, {0x01, 0x5E, 0x02, 0x0A, 0x01}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.primary ? c.primary : "initial");
        bench.port.ClearWritten();
        bench.engine.ClearLog();
        if (c.primary) {
            PageBench::Type(&page, "id1004", c.primary);
            PageBench::Type(&page, "id1005", c.burden);
            page.SetSelectedIndex(1018, c.index);
            page.CheckRadio(c.fullLoad ? 1011 : 1012);
        }
        PageBench::Start(&page);

        const std::vector<Bytes> frames = bench.Frames();
        ASSERT_GE(frames.size(), 2u);
        EXPECT_EQ(frames[0], Frame(0xF1, c.payload));
        EXPECT_EQ(frames[1], Frame(0xEB, {}));
        EXPECT_EQ(bench.GapMs(0xF1, 0xEB), 300);
        EXPECT_TRUE(bench.boxes.calls().empty());
    }
}

TEST_F(PtErrorPage, RatedPrimaryOutside01To220IsRefusedWithFocusOnTheEntry) {
    const Bytes result = Payload(6);
    for (const char* primary : {"220.1", "0", "0.0", "300", "0.09"}) {
        SCOPED_TRACE(primary);
        bench.port.ClearWritten();
        bench.boxes.clear();
        page.ShowErrorResult(tarvex::DecodePtErrorReply(result));
        page.GetDlgItem(1005)->setFocus();
        page.SetDlgItemText(1004, primary); // set, not typed: the entry would refuse some of them
        PageBench::Start(&page);

        EXPECT_TRUE(bench.Frames().empty());
        ASSERT_EQ(bench.boxes.calls().size(), 1u);
        EXPECT_EQ(bench.boxes.calls()[0].text, "Please input a data between 0.1 and 220");
        EXPECT_EQ(bench.boxes.calls()[0].caption, "系统提示");
        EXPECT_EQ(bench.boxes.calls()[0].style & MB_TYPEMASK, MB_OK);
        EXPECT_EQ(QApplication::focusWidget(), page.GetDlgItem(1004));
        EXPECT_EQ(Text(1006), Expected(0));
    }
}

TEST_F(PtErrorPage, BurdenOutOfRangeOrPrimaryNotANumberStopsTheStart) {
    const struct {
        const char* primary;
        const char* burden;
        QString message;
        int focus;
    } cases[] = {
        {"10", "100", "请输入一个介于 1 和 99 之间的整数。", 1005},
        {"10", "0", "请输入一个介于 1 和 99 之间的整数。", 1005},
        {".", "10", "请输入一个数字。", 1004},
        {"", "10", "请输入一个数字。", 1004},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.primary) + "/" + c.burden);
        bench.port.ClearWritten();
        bench.boxes.clear();
        page.SetDlgItemText(1004, c.primary);
        page.SetDlgItemText(1005, c.burden);
        PageBench::Start(&page);

        EXPECT_TRUE(bench.Frames().empty());
        EXPECT_EQ(bench.boxes.texts(), QStringList{c.message});
        EXPECT_EQ(QApplication::focusWidget(), page.GetDlgItem(c.focus));
    }
}
