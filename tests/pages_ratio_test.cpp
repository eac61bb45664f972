// The CT and PT ratio-and-polarity pages: result layouts, the tap list, the report text, the
// parameter command and the limit checks.
#include "pages/ibbdlg.h"
#include "pages/ubbdlg.h"
#include "support/pagebench.h"
#include "testkinds.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QTreeWidget>

namespace {

// A ratio page handed replies as the dispatcher hands them: kept in the model, then shown.
template <typename Page, int kKind> class RatioPageTest : public ::testing::Test {
  protected:
    QString Text(int id) const { return page.GetDlgItemText(id); }
    bool Shown(int id) const { return !page.GetDlgItem(id)->isHidden(); }
    QTreeWidget* List() const { return page.template findChild<QTreeWidget*>("id1003"); }
    template <typename Reply> void Deliver(const Reply& reply) {
        bench.app.m_results.Store(kKind, reply, ResultSource::Instrument);
        page.ShowResult(reply);
    }
    QString Report() {
        page.BuildResultText();
        return bench.app.m_strReport;
    }

    PageBench bench;
    Page page;
};

using CtRatioPage = RatioPageTest<CIBBDlg, tarvex::kCtRatioKind>;
using PtRatioPage = RatioPageTest<CUBBDlg, tarvex::kPtRatioKind>;

struct ResultCase {
    const char* name;
    Bytes payload;
    int length;                 // bytes that arrived; -1: the whole payload
    std::vector<QString> shown; // 1005, 1006, 1007, 1008, 1009
};

constexpr int kResultIds[] = {1005, 1006, 1007, 1008, 1009};

const Bytes kCt100to5 = {0x03, 0xE8, 0x13, 0x88, 0x03, 0xE8, 0x05, 0x01};

const ResultCase kCtRatioCases[] = {
    {"100/5 positive", kCt100to5, -1, {"100.0", "5.000", "100.0", "5", "+"}},
    {"negative words, polarity 0",
     {0xFF, 0xF6, 0xFF, 0xFF, 0x80, 0x00, 0xFF, 0x00},
     -1,
     {"-1.0", "-0.001", "-3276.8", "255", "-"}},
    {"largest words, polarity 2",
     {0x7F, 0xFF, 0x7F, 0xFF, 0x00, 0x00, 0x00, 0x02},
     -1,
     {"3276.7", "32.767", "0.0", "0", "-"}},
    {"nothing arrived", kCt100to5, 0, {"", "", "", "", ""}},
    {"half a word", kCt100to5, 1, {"", "", "", "", ""}},
    {"first word and a half", kCt100to5, 3, {"100.0", "", "", "", ""}},
    {"up to the ratio", kCt100to5, 6, {"100.0", "5.000", "100.0", "", ""}},
    {"all but polarity", kCt100to5, 7, {"100.0", "5.000", "100.0", "5", ""}},
};

// A 10 kV / 100 V transformer at 2500 V: 2500.0 V, 25.00 V, 10.00 kV / "100".
const Bytes kPt10kV = {0x61, 0xA8, 0x61, 0xA8, 0x03, 0xE8, 0x00, 0x01};

const ResultCase kPtRatioCases[] = {
    {"10 kV / 100 V", kPt10kV, -1, {"2500.0", "25.00", "10.00", "100", "+"}},
    {"negative secondary word",
     {0x27, 0x10, 0x86, 0xA0, 0x03, 0xE8, 0x00, 0x01},
     -1,
     {"1000.0", "-31.07", "10.00", "100", "+"}},
    {"index 1, polarity 0",
     {0xFF, 0xFF, 0x03, 0xE8, 0x00, 0x01, 0x01, 0x00},
     -1,
     {"-0.1", "1.00", "0.01", "100/3", "-"}},
    {"index 2, polarity 2",
     {0x00, 0x00, 0x00, 0x0C, 0xFF, 0x9C, 0x02, 0x02},
     -1,
     {"0.0", "0.01", "-1.00", "100/sqrt(3)", "-"}},
    {"index 3",
     {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x03, 0x01},
     -1,
     {"0.1", "0.00", "0.00", "220", "+"}},
    {"index outside 0..3 shows its number",
     {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x07, 0x01},
     -1,
     {"0.1", "0.00", "0.00", "7", "+"}},
    {"index 255",
     {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x01},
     -1,
     {"0.1", "0.00", "0.00", "255", "+"}},
    {"nothing arrived", kPt10kV, 0, {"", "", "", "", ""}},
    {"two words and a half", kPt10kV, 5, {"2500.0", "25.00", "", "", ""}},
    {"all but polarity", kPt10kV, 7, {"2500.0", "25.00", "10.00", "100", ""}},
};

} // namespace

// Each reply replaces the one before it, on the page and in the saved report alike.
TEST_F(CtRatioPage, SingleResultShowsAndSavesEachFieldWhoseBytesArrived) {
    for (const ResultCase& c : kCtRatioCases) {
        SCOPED_TRACE(c.name);
        Deliver(tarvex::DecodeCtRatioReply(Arrived(c.payload, c.length)));
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(Text(kResultIds[i]), c.shown[i]) << kResultIds[i];
        EXPECT_EQ(Report(), QString("一次：%1A\r\n二次：%2A\r\n变比：%3A/%4A\r\n极性：%5")
                                .arg(c.shown[0], c.shown[1], c.shown[2], c.shown[3], c.shown[4]));
    }
}

TEST_F(PtRatioPage, ResultShowsAndSavesVoltagesRatioAndRatedSecondaryText) {
    for (const ResultCase& c : kPtRatioCases) {
        SCOPED_TRACE(c.name);
        Deliver(tarvex::DecodePtRatioReply(Arrived(c.payload, c.length)));
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(Text(kResultIds[i]), c.shown[i]) << kResultIds[i];
        EXPECT_EQ(Report(), QString("一次：%1V\r\n二次：%2V\r\n变比：%3kV/%4V\r\n极性：%5")
                                .arg(c.shown[0], c.shown[1], c.shown[2], c.shown[3], c.shown[4]));
    }
}

namespace {

// Six taps at 300.0 A primary, 2.500 A secondary; ratio secondary 5 for all.
const Bytes kSixTaps = {
    0x06,                                                                   // tap count, not read
    0x0B, 0xB8, 0x09, 0xC4,                                                 // 300.0 A, 2.500 A
    0x03, 0xE8, 0x07, 0xD0, 0x0B, 0xB8, 0x0F, 0xA0, 0x13, 0x88, 0xFF, 0xFF, // ratio primaries
    0x01, 0x00, 0x02, 0x01, 0x01, 0x00,                                     // polarities
    0x05,                                                                   // ratio secondary
};

const QStringList kSixTapRows[] = {
    {"L1-K1", "100.0/5", "+"}, {"L2-K2", "200.0/5", "-"}, {"L3-K3", "300.0/5", "-"},
    {"L4-K4", "400.0/5", "+"}, {"L5-K5", "500.0/5", "+"}, {"L6-K6", "-0.1/5", "-"},
};

} // namespace

TEST_F(CtRatioPage, TapResultFillsSixRowsAndTheCurrents) {
    Deliver(tarvex::DecodeCtTapReply(Arrived(kSixTaps)));
    EXPECT_EQ(Text(1005), "300.0");
    EXPECT_EQ(Text(1006), "2.500");
    ASSERT_EQ(List()->topLevelItemCount(), 6);
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < 3; ++column)
            EXPECT_EQ(List()->topLevelItem(row)->text(column), kSixTapRows[row][column])
                << row << "," << column;
}

TEST_F(CtRatioPage, ShortTapResultShowsCompleteCurrentsButNoRows) {
    const struct {
        int length;
        QString primary, secondary;
    } cases[] = {{23, "300.0", "2.500"}, {4, "300.0", ""}, {2, "", ""}, {0, "", ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        Deliver(tarvex::DecodeCtTapReply(Arrived(kSixTaps, c.length)));
        EXPECT_EQ(Text(1005), c.primary);
        EXPECT_EQ(Text(1006), c.secondary);
        EXPECT_EQ(List()->topLevelItemCount(), 0);
    }
}

TEST_F(CtRatioPage, DeviceTypeSwitchesBetweenSingleFieldsAndTapList) {
    const int singleIds[] = {1007, 1008, 1009, 1035, 1036, 1037, 1038};
    const struct {
        unsigned char type;
        int single;
    } steps[] = {{0xA2, 0}, {0x00, 0}, {0xA1, 1}, {0x7F, 1}, {0xA2, 0}, {0xA1, 1}};

    EXPECT_EQ(page.m_nSingleMode, 1);
    EXPECT_TRUE(Shown(1007));
    EXPECT_FALSE(Shown(1003));
    for (const auto& step : steps) {
        SCOPED_TRACE(int(step.type));
        page.SetDeviceType(step.type);
        EXPECT_EQ(page.m_nSingleMode, step.single);
        for (const int id : singleIds)
            EXPECT_EQ(Shown(id), step.single == 1) << id;
        EXPECT_EQ(Shown(1003), step.single == 0);
        EXPECT_TRUE(Shown(1005) && Shown(1006)); // the currents are always on show
    }
}

TEST_F(CtRatioPage, ListHasThreeCentredColumns) {
    QTreeWidget* list = List();
    ASSERT_EQ(list->columnCount(), 3);
    const QStringList headers = {"组号", "变比", "极性"};
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(list->headerItem()->text(column), headers[column]);
        EXPECT_EQ(list->columnWidth(column), 80);
    }
    Deliver(tarvex::DecodeCtTapReply(Arrived(kSixTaps)));
    EXPECT_EQ(list->topLevelItem(0)->textAlignment(1), int(Qt::AlignCenter));
}

TEST_F(CtRatioPage, ReportTextOfSingleResult) {
    Deliver(tarvex::DecodeCtRatioReply(Arrived(kCt100to5)));
    EXPECT_EQ(Report(), "一次：100.0A\r\n二次：5.000A\r\n变比：100.0A/5A\r\n极性：+");
}

TEST_F(CtRatioPage, ReportTextOfSixTaps) {
    page.SetDeviceType(0xA2);
    Deliver(tarvex::DecodeCtTapReply(Arrived(kSixTaps)));
    page.BuildResultText();
    QString expected = "一次：300.0A\r\n二次：2.500A\r\n组号\t变比\t极性\r\n";
    for (const QStringList& row : kSixTapRows)
        expected += row.join('\t') + "\r\n";
    EXPECT_EQ(bench.app.m_strReport, expected);
}

TEST_F(CtRatioPage, ReportTextOfEmptyListStillHasSixLines) {
    bench.app.m_strReport = "an older report";
    page.SetDeviceType(0xA2);
    page.BuildResultText();
    QString expected = "一次：A\r\n二次：A\r\n组号\t变比\t极性\r\n";
    for (int row = 0; row < 6; ++row)
        expected += "\t\t\r\n";
    EXPECT_EQ(bench.app.m_strReport, expected);
}

TEST_F(CtRatioPage, InitialisationRegistersPageAndChoosesFiveAmperes) {
    EXPECT_EQ(bench.app.m_pIBBDlg, &page);
    EXPECT_FALSE(page.IsChecked(1011));
    EXPECT_TRUE(page.IsChecked(1012));
    EXPECT_EQ(Text(1004), "100");
    EXPECT_FALSE(page.GetDlgItem(1013)->isEnabled());
}

TEST_F(CtRatioPage, StartSendsCurrentAndRatedSecondaryThenStartsAfterHalfASecond) {
    const struct {
        const char* current;
        bool oneAmpere;
        Bytes payload;
    } cases[] = {
        {"100", false, {0x00, 0x64, 0x05}},
        {"1000", true, {0x03, 0xE8, 0x01}},
        {"5", false, {0x00, 0x05, 0x05}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.current);
        bench.port.ClearWritten();
        bench.engine.ClearLog();
        PageBench::Type(&page, "id1004", c.current);
        page.CheckRadio(c.oneAmpere ? 1011 : 1012);
        PageBench::Start(&page);

        const std::vector<Bytes> frames = bench.Frames();
        ASSERT_GE(frames.size(), 2u);
        EXPECT_EQ(frames[0], Frame(0xEE, c.payload));
        EXPECT_EQ(frames[1], Frame(0xEB, {}));
        EXPECT_EQ(bench.GapMs(0xEE, 0xEB), 500);
        EXPECT_TRUE(bench.boxes.calls().empty());
    }
}

TEST_F(CtRatioPage, CurrentAboveInstrumentLimitIsRefusedAndKeepsTheResult) {
    const struct {
        int limit;
        const char* current;
        bool starts;
        QString message;
    } cases[] = {
        {1000, "1000", true, ""},
        {1000, "1001", false, "请输入一个介于 5 和 1000 之间的整数。"},
        {600, "600", true, ""},
        {600, "601", false, "一次侧测试电流不能超过600A，请重新设置"},
        {1000, "4", false, "请输入一个介于 5 和 1000 之间的整数。"},
        {1000, "abc", false, "请输入一个整数。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.current);
        bench.app.m_nMaxTestCurrent = c.limit;
        bench.port.ClearWritten();
        bench.boxes.clear();
        Deliver(tarvex::DecodeCtRatioReply(Arrived(kCt100to5)));
        PageBench::Type(&page, "id1004", c.current);
        PageBench::Start(&page);

        EXPECT_EQ(!bench.Frames().empty(), c.starts);
        // A start clears the old result; a refused one leaves it on show and in the report.
        EXPECT_EQ(Text(1007), c.starts ? "" : "100.0");
        EXPECT_EQ(Report().contains("变比：100.0A/5A"), !c.starts);
        if (c.starts) {
            EXPECT_TRUE(bench.boxes.calls().empty());
        } else {
            ASSERT_EQ(bench.boxes.calls().size(), 1u);
            EXPECT_EQ(bench.boxes.calls()[0].text, c.message);
            // The limit is the page's own message; the range checks are the framework's.
            const bool limit = c.message.startsWith("一次侧");
            EXPECT_EQ(bench.boxes.calls()[0].caption, "系统提示");
            if (limit) {
                EXPECT_EQ(bench.boxes.calls()[0].style, MB_OK | MB_ICONINFORMATION);
            }
        }
    }
}

TEST_F(CtRatioPage, StartEmptiesTheTapList) {
    page.SetDeviceType(0xA2);
    Deliver(tarvex::DecodeCtTapReply(Arrived(kSixTaps)));
    PageBench::Start(&page);
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_EQ(Text(1005), "");
}

TEST_F(PtRatioPage, InitialisationShowsHundredWithoutSelectingAnItem) {
    EXPECT_EQ(bench.app.m_pUBBDlg, &page);
    EXPECT_EQ(Text(1014), "100");
    EXPECT_EQ(page.GetSelectedIndex(1014), -1);
    EXPECT_EQ(Text(1004), "1000");
    EXPECT_FALSE(page.GetDlgItem(1013)->isEnabled());
}

TEST_F(PtRatioPage, StartSendsVoltageAndRatedSecondaryIndex) {
    const struct {
        const char* voltage;
        int index; // -1: leave as initialised
        Bytes payload;
    } cases[] = {
        {"1000", -1, {0x03, 0xE8, 0x00}},
        {"2500", 2, {0x09, 0xC4, 0x02}},
        {"10", 3, {0x00, 0x0A, 0x03}},
        {"220", 1, {0x00, 0xDC, 0x01}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.voltage);
        bench.port.ClearWritten();
        bench.engine.ClearLog();
        PageBench::Type(&page, "id1004", c.voltage);
        if (c.index >= 0)
            page.SetSelectedIndex(1014, c.index);
        PageBench::Start(&page);

        const std::vector<Bytes> frames = bench.Frames();
        ASSERT_GE(frames.size(), 2u);
        EXPECT_EQ(frames[0], Frame(0xEF, c.payload));
        EXPECT_EQ(frames[1], Frame(0xEB, {}));
        EXPECT_EQ(bench.GapMs(0xEF, 0xEB), 500);
    }
}

TEST_F(PtRatioPage, TypedRatedSecondaryTextSelectsNoItem) {
    auto* combo = page.findChild<QComboBox*>("id1014");
    combo->lineEdit()->clear();
    QTest::keyClicks(combo->lineEdit(), "57");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(combo->count(), 4);
    PageBench::Start(&page);
    ASSERT_FALSE(bench.Frames().empty());
    EXPECT_EQ(bench.Frames()[0], Frame(0xEF, {0x03, 0xE8, 0x00}));
}

TEST_F(PtRatioPage, VoltageAboveInstrumentLimitIsRefusedAndKeepsTheResult) {
    const struct {
        int limit;
        const char* voltage;
        bool starts;
        QString message;
    } cases[] = {
        {2500, "2500", true, ""},
        {2500, "2501", false, "请输入一个介于 10 和 2500 之间的整数。"},
        {1000, "1000", true, ""},
        {1000, "1001", false, "一次侧测试电压不能超过1000V，请重新设置"},
        {2500, "9", false, "请输入一个介于 10 和 2500 之间的整数。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.voltage);
        bench.app.m_nMaxTestVoltage = c.limit;
        bench.port.ClearWritten();
        bench.boxes.clear();
        Deliver(tarvex::DecodePtRatioReply(Arrived(kPt10kV)));
        PageBench::Type(&page, "id1004", c.voltage);
        PageBench::Start(&page);

        EXPECT_EQ(!bench.Frames().empty(), c.starts);
        EXPECT_EQ(Text(1007), c.starts ? "" : "10.00");
        if (c.starts) {
            EXPECT_TRUE(bench.boxes.calls().empty());
        } else {
            ASSERT_EQ(bench.boxes.calls().size(), 1u);
            EXPECT_EQ(bench.boxes.calls()[0].text, c.message);
        }
    }
}

TEST_F(PtRatioPage, ReportText) {
    Deliver(tarvex::DecodePtRatioReply(Arrived(kPt10kV)));
    EXPECT_EQ(Report(), "一次：2500.0V\r\n二次：25.00V\r\n变比：10.00kV/100V\r\n极性：+");
}
