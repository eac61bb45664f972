// The CT and PT excitation pages: the result reply, the start sequence with its checks, the
// history view, the chart, the report text and the data file read back.
#include "app/mainfrm.h"
#include "app/tarvexapp.h"
#include "controls/fwnumedt.h"
#include "controls/ltree.h"
#include "link/rxbuffer.h"
#include "pages/ivadlg.h"
#include "pages/iwcdlg.h"
#include "pages/uvadlg.h"
#include "platform/filedialogrecorder.h"
#include "platform/gbktext.h"
#include "platform/reportfile.h"
#include "support/pagebench.h"
#include "testkinds.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <memory>

namespace {

// The payload of reply 0x1A/0x1F: N, knee voltage (0.1 V), knee current (mA), currents (mA),
// voltages (0.1 V). count < 0 claims as many points as are given.
Bytes ExcitationPayload(int kneeVoltage, int kneeCurrent, const std::vector<int>& currents,
                        const std::vector<int>& voltages, int count = -1) {
    auto word = [](Bytes& out, int v) {
        out.push_back(std::uint8_t((v >> 8) & 0xFF));
        out.push_back(std::uint8_t(v & 0xFF));
    };
    Bytes out{std::uint8_t(count < 0 ? currents.size() : count)};
    word(out, kneeVoltage);
    word(out, kneeCurrent);
    for (int c : currents)
        word(out, c);
    for (int v : voltages)
        word(out, v);
    return out;
}

// The example of a two-point reply: knee 123.4 V / 0.250 A, points 0.1 A 100.3 V, 0.5 A 150 V.
const Bytes kTwoPoints = ExcitationPayload(1234, 250, {100, 500}, {1003, 1500});

QByteArray Gbk(const char* text) {
    return tarvex::ToGbk(QString::fromUtf8(text));
}

template <class Page> class ExcitationPageTest : public ::testing::Test {
  protected:
    QString Text(int id) const { return page.GetDlgItemText(id); }
    QTreeWidget* List() const { return page.template findChild<QTreeWidget*>("id1003"); }
    QStringList Row(int row) const {
        QTreeWidgetItem* item = List()->topLevelItem(row);
        return item ? QStringList{item->text(0), item->text(1), item->text(2)} : QStringList();
    }
    // As the dispatcher hands a reply: decoded, and only when its head arrived, kept in the
    // model and shown.
    void Show(const Bytes& payload, int length = -1) {
        if (const auto result = tarvex::DecodeExcitationReply(Arrived(payload, length))) {
            bench.app.m_results.Store(tarvex::TestKindOfReply(page.ReplyCode()), *result,
                                      ResultSource::Instrument);
            page.ShowExcitationResult(*result);
        }
    }
    // The test time the report of the result on show gives.
    QString ReportedTime() {
        page.BuildResultText();
        return bench.app.m_strReport.section("\r\n", 0, 0).section("：", 1);
    }
    std::vector<Bytes> FramesOf(std::uint8_t command) const {
        std::vector<Bytes> frames;
        for (const Bytes& frame : bench.Frames())
            if (frame.size() > 2 && frame[2] == command)
                frames.push_back(frame);
        return frames;
    }
    QImage Chart() {
        page.resize(700, 580);
        return page.grab().toImage();
    }

    PageBench bench;
    Page page;
};

using CtExcitation = ExcitationPageTest<CIVADlg>;
using PtExcitation = ExcitationPageTest<CUVADlg>;

const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);
// The chart with its tick texts, clear of every control.
const QRect kChartArea(245, 25, 455, 295);

} // namespace

TEST_F(CtExcitation, ReplyShowsKneeLabelsRowsAndMappedPoints) {
    EXPECT_EQ(bench.app.m_pIVADlg, &page);
    Show(kTwoPoints);
    EXPECT_EQ(Text(1033), "U = 123.4 V");
    EXPECT_EQ(Text(1034), "I = 0.250 A");
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_EQ(Row(0), QStringList({"1", "0.000", "0.0"}));
    EXPECT_EQ(Row(1), QStringList({"2", "0.100", "100.0"}));
    EXPECT_EQ(Row(2), QStringList({"3", "0.500", "150.0"}));
    EXPECT_EQ(page.m_Points, (std::vector<tagFWPOINT>{{320, 175}, {480, 112}}));
    EXPECT_EQ(page.m_CurveCurrents, QList<float>({0.0f, 0.1f, 0.5f}));
    EXPECT_EQ(page.m_CurveVoltages, QList<float>({0.0f, 100.0f, 150.0f}));
    EXPECT_FLOAT_EQ(page.m_fKneeVoltage, 123.4f); // the knee is not rounded to 0.5 V
    EXPECT_FALSE(ReportedTime().isEmpty());
}

TEST_F(CtExcitation, VoltagesGoDownToHalfVoltsTowardZero) {
    const struct {
        int raw;
        const char* shown;
    } cases[] = {{-7, "-0.5"}, {1003, "100.0"}, {1009, "100.5"},    {4, "0.0"},
                 {-4, "0.0"},  {-5, "-0.5"},    {0x7FFF, "3276.5"}, {-32768, "-3276.5"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.raw);
        Show(ExcitationPayload(0, 0, {100}, {c.raw}));
        EXPECT_EQ(Row(1)[2], c.shown);
    }
}

TEST_F(CtExcitation, NoPointsLeavesTheOriginRowAndSetsTheKnee) {
    Show(ExcitationPayload(1234, 250, {}, {}));
    ASSERT_EQ(List()->topLevelItemCount(), 1);
    EXPECT_EQ(Row(0), QStringList({"1", "0.000", "0.0"}));
    EXPECT_TRUE(page.m_Points.empty());
    EXPECT_EQ(Text(1033), "U = 123.4 V");
    EXPECT_EQ(Text(1034), "I = 0.250 A");
}

TEST_F(CtExcitation, FullCountOf255PointsIsShownWhole) {
    std::vector<int> currents, voltages;
    for (int i = 0; i < 255; ++i) {
        currents.push_back(4 * i);
        voltages.push_back(8 * i);
    }
    Show(ExcitationPayload(0, 0, currents, voltages));
    ASSERT_EQ(List()->topLevelItemCount(), 256);
    EXPECT_EQ(Row(255), QStringList({"256", "1.016", "203.0"}));
    EXPECT_EQ(page.m_Points.size(), 255u);
}

TEST_F(CtExcitation, AReplyCutShortShowsOnlyPointsWhoseCurrentAndVoltageArrived) {
    // Four points claimed; four currents and two voltages arrived. The voltages still start
    // after the four currents.
    Bytes payload = ExcitationPayload(500, 100, {100, 200, 300, 400}, {150, 250, 350, 450});
    payload.resize(payload.size() - 4);
    Show(payload);
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_EQ(Row(1), QStringList({"2", "0.100", "15.0"}));
    EXPECT_EQ(Row(2), QStringList({"3", "0.200", "25.0"}));
    // Ten claimed, three of each sent: not one voltage of the claimed layout arrived.
    Show(ExcitationPayload(500, 100, {100, 200, 300}, {100, 200, 300}, 10));
    EXPECT_EQ(List()->topLevelItemCount(), 1);

    // Less than the head: the reply is not looked at.
    const Bytes head = ExcitationPayload(999, 999, {}, {});
    Show(head, 4);
    EXPECT_EQ(List()->topLevelItemCount(), 1);
    EXPECT_EQ(Text(1033), "U = 50.0 V");
}

TEST_F(CtExcitation, ClearResultsEmptiesEverythingOnShow) {
    Show(kTwoPoints);
    page.ClearResults();
    EXPECT_EQ(List()->topLevelItemCount(), 0);
    EXPECT_TRUE(page.m_Points.empty());
    EXPECT_TRUE(page.m_CurveCurrents.isEmpty());
    EXPECT_TRUE(page.m_CurveVoltages.isEmpty());
    EXPECT_EQ(page.m_fKneeVoltage, 0);
    EXPECT_EQ(Text(1033), "");
    EXPECT_EQ(Text(1034), "");
}

TEST_F(CtExcitation, InitialStateAndListLayout) {
    EXPECT_EQ(Text(1004), "200");
    EXPECT_EQ(Text(1005), "1");
    EXPECT_EQ(Text(1014), "A");
    EXPECT_FALSE(page.GetDlgItem(1009)->isEnabled()); // until the handshake
    const QStringList headers = {"序号", "电流(A)", "电压(V)"};
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(List()->headerItem()->text(column), headers[column]);
        EXPECT_EQ(List()->columnWidth(column), 100);
    }
    EXPECT_EQ(List()->font().family(), "宋体");
    EXPECT_EQ(List()->font().pixelSize(), 16);
    for (int id : {1033, 1034}) {
        const QFont font = page.GetDlgItem(id)->font();
        EXPECT_EQ(font.pixelSize(), 14) << id;
        EXPECT_EQ(font.weight(), 600) << id;
    }
    Show(kTwoPoints);
    EXPECT_EQ(List()->topLevelItem(1)->textAlignment(2), int(Qt::AlignCenter));
}

TEST_F(CtExcitation, HistoryModeSwapsButtonsAndEntriesForTheRecordGroup) {
    const int buttons[] = {1009, 1010, 1016};
    const int entries[] = {1004, 1005, 1006, 1007, 1014};
    const int recordGroup[] = {1024, 1025, 1027, 1029, 1030, 1031, 1032, 1011, 1012, 1013, 1015};
    Show(kTwoPoints);
    for (bool mode : {true, false, true}) {
        SCOPED_TRACE(mode);
        page.SetHistoryMode(mode);
        EXPECT_EQ(page.m_bHistoryMode, mode ? 1 : 0);
        for (int id : buttons)
            EXPECT_EQ(page.GetDlgItem(id)->isHidden(), mode) << id;
        for (int id : entries)
            EXPECT_EQ(page.GetDlgItem(id)->isEnabled(), !mode) << id;
        for (int id : recordGroup)
            EXPECT_EQ(page.GetDlgItem(id)->isHidden(), !mode) << id;
        EXPECT_TRUE(page.GetDlgItem(3)->isHidden());
        EXPECT_EQ(List()->topLevelItemCount(), 3); // the result stays
    }
}

namespace {

tagTESTRECORD Record(unsigned char phase, std::int16_t voltage, std::int16_t current) {
    tagTESTRECORD rec;
    rec.strDate = "24-05-17";
    rec.strTestTime = "24-05-17 10:11:12";
    rec.fKneeVoltage = 88.8f;
    rec.fKneeCurrent = 0.05f;
    rec.nTestVoltage = voltage;
    rec.nTestCurrent = current;
    rec.byLineNo = 12;
    rec.byGroupNo = 3;
    rec.byPhase = phase;
    rec.arrCurrent = {0.05f, 0.2f};
    rec.arrVoltage = {88.8f, 100.3f};
    return rec;
}

} // namespace

TEST_F(CtExcitation, HistoryRecordShowsItsFieldsAndUnroundedPoints) {
    bench.app.m_CTRecords = {Record(0x0A, 100, 1), Record(0x0B, 200, 2)};
    bench.app.m_PTRecords = {Record(0x0C, 300, 3)};
    page.SetHistoryMode(true);
    page.ShowHistoryRecord(1);
    EXPECT_EQ(Text(1032), "2");
    EXPECT_EQ(Text(1011), "24-05-17");
    EXPECT_EQ(Text(1012), "12");
    EXPECT_EQ(Text(1013), "3");
    EXPECT_EQ(Text(1015), "B");
    EXPECT_EQ(Text(1004), "200");
    EXPECT_EQ(Text(1005), "2");
    EXPECT_EQ(Text(1006), "1"); // the live line number
    EXPECT_EQ(Text(1033), "U = 88.8 V");
    EXPECT_EQ(Text(1034), "I = 0.050 A");
    EXPECT_EQ(ReportedTime(), "24-05-17 10:11:12");
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_EQ(Row(2), QStringList({"3", "0.200", "100.3"}));
    EXPECT_EQ(page.m_Points, (std::vector<tagFWPOINT>{{290, 189}, {320, 174}}));

    page.ShowHistoryRecord(2); // past the list: nothing changes
    page.ShowHistoryRecord(-1);
    EXPECT_EQ(Text(1032), "2");
    EXPECT_EQ(List()->topLevelItemCount(), 3);
}

TEST_F(PtExcitation, HistoryRecordComesFromThePtList) {
    EXPECT_EQ(bench.app.m_pUVADlg, &page);
    bench.app.m_CTRecords = {Record(0x0A, 100, 1), Record(0x0B, 200, 2), Record(0x0B, 210, 2)};
    bench.app.m_PTRecords = {Record(0x0C, 300, 3)};
    page.SetHistoryMode(true);
    page.ShowHistoryRecord(0);
    EXPECT_EQ(Text(1004), "300");
    EXPECT_EQ(Text(1015), "C");
    page.ShowHistoryRecord(2); // a CT index, not a PT one
    EXPECT_EQ(Text(1004), "300");
}

TEST_F(CtExcitation, HistoryRecordWithZeroScalesDrawsNoPoints) {
    bench.app.m_CTRecords = {Record(0x0A, 0, 0)};
    page.ShowHistoryRecord(0);
    EXPECT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_TRUE(page.m_Points.empty());
    const QImage chart = Chart(); // paints without dividing by zero
    EXPECT_EQ(chart.pixelColor(300, 60), kBlack);
}

// --- The start sequence --------------------------------------------------------------------

TEST_F(CtExcitation, StartSendsParametersPausesThenStartsAndPollsTwice) {
    page.SetDlgItemText(1004, "150");
    page.SetDlgItemText(1005, "2");
    page.SetDlgItemText(1006, "7");
    page.SetDlgItemText(1007, "3");
    page.SetDlgItemText(1014, "B");
    page.OnStart();
    const std::vector<Bytes> frames = bench.Frames();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0], Frame(0xED, {0x00, 0x96, 0x02, 0x07, 0x03, 0x01}));
    EXPECT_EQ(frames[1], Frame(0xEB, {}));
    EXPECT_EQ(frames[2], Frame(0xF6, {}));
    EXPECT_EQ(frames[3], Frame(0xF6, {}));
    EXPECT_EQ(bench.GapMs(0xED, 0xEB), 500);
    EXPECT_TRUE(bench.boxes.calls().empty());
}

TEST_F(PtExcitation, StartPausesThreeHundredMilliseconds) {
    page.OnStart();
    EXPECT_EQ(bench.GapMs(0xED, 0xEB), 300);
    EXPECT_EQ(FramesOf(0xED).size(), 1u);
}

TEST_F(CtExcitation, PhaseTextGivesTheCode) {
    const struct {
        const char* text;
        std::uint8_t code;
    } cases[] = {{"A", 0}, {"B", 1}, {"C", 2}, {"b", 2}, {"a", 2}, {"AB", 2}, {"", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        bench.port.ClearWritten();
        page.SetDlgItemText(1014, c.text);
        page.OnStart();
        const std::vector<Bytes> params = FramesOf(0xED);
        ASSERT_EQ(params.size(), 1u);
        EXPECT_EQ(params[0][8], c.code);
    }
}

TEST_F(CtExcitation, LimitsOfTheInstrumentStopTheStart) {
    bench.app.m_nMaxTestVoltage = 1000; // range 0xA2
    bench.app.m_nMaxTestCurrent = 600;
    Show(kTwoPoints);
    page.SetDlgItemText(1004, "1200");
    page.OnStart();
    ASSERT_EQ(bench.boxes.calls().size(), 1u);
    EXPECT_EQ(bench.boxes.calls()[0].text, "测试电压不能超过1000V，请重新设置");
    EXPECT_EQ(bench.boxes.calls()[0].caption, "系统提示");
    EXPECT_EQ(bench.boxes.calls()[0].style & MB_ICONMASK, MB_ICONINFORMATION);
    EXPECT_TRUE(bench.Frames().empty());
    EXPECT_EQ(List()->topLevelItemCount(), 3); // a refused start keeps the result

    bench.boxes.clear();
    bench.app.m_nMaxTestCurrent = 3;
    page.SetDlgItemText(1004, "1000");
    page.SetDlgItemText(1005, "4");
    page.OnStart();
    EXPECT_EQ(bench.boxes.texts(), QStringList({"测试电流不能超过3A，请重新设置"}));
    EXPECT_TRUE(bench.Frames().empty());
}

TEST_F(CtExcitation, ARefusedStartLeavesTheReportAndTheChartAsMeasured) {
    bench.app.m_nMaxTestVoltage = 1000;
    bench.app.m_nMaxTestCurrent = 3;
    Show(kTwoPoints);
    page.BuildResultText();
    const QString report = bench.app.m_strReport;
    const QImage chart = Chart().copy(kChartArea);
    const struct {
        int id;
        const char* text;
        const char* kept;
    } refusals[] = {
        {1004, "1200", "200"}, {1004, "2600", "200"}, {1005, "4", "1"}, {1005, "6", "1"}};
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.text);
        bench.boxes.clear();
        page.SetDlgItemText(r.id, r.text);
        page.OnStart();
        EXPECT_FALSE(bench.boxes.calls().empty());
        EXPECT_TRUE(bench.Frames().empty());
        page.BuildResultText();
        EXPECT_EQ(bench.app.m_strReport, report);
        EXPECT_EQ(Chart().copy(kChartArea), chart);
        page.SetDlgItemText(r.id, r.kept);
    }
}

TEST_F(CtExcitation, FailedRangeCheckShowsOnlyTheFrameworkMessageAndSendsNothing) {
    Show(kTwoPoints);
    const struct {
        int id;
        const char* text;
        const char* message;
    } cases[] = {
        {1004, "2600", "请输入一个介于 10 和 2500 之间的整数。"},
        {1004, "5", "请输入一个介于 10 和 2500 之间的整数。"},
        {1005, "6", "请输入一个介于 1 和 5 之间的整数。"},
        {1006, "100", "请输入一个介于 1 和 99 之间的整数。"},
        {1007, "x", "请输入一个整数。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        for (int id : {1004, 1005, 1006, 1007})
            page.SetDlgItemText(id, id == 1004 ? "200" : "1");
        page.SetDlgItemText(c.id, c.text);
        bench.boxes.clear();
        page.OnStart();
        EXPECT_EQ(bench.boxes.texts(), QStringList({c.message}));
        EXPECT_TRUE(bench.Frames().empty());
        EXPECT_EQ(List()->topLevelItemCount(), 3);
    }
}

TEST_F(CtExcitation, StartThatGoesAheadClearsTheResult) {
    Show(kTwoPoints);
    page.OnStart();
    EXPECT_EQ(List()->topLevelItemCount(), 0); // the replies went nowhere on this bench
    EXPECT_EQ(Text(1033), "");
}

// --- The chart ------------------------------------------------------------------------------

namespace {

// Text drawn on the page's background in its font with its top-left corner at (x, y), inside box.
QImage TextMask(const QWidget& page, int x, int y, const QString& text, const QRect& box) {
    QImage image(700, 580, QImage::Format_RGB32);
    image.fill(page.palette().color(QPalette::Window));
    const QFont font = page.font();
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
    painter.end();
    return image.copy(box);
}

bool SameDarkPixels(const QImage& a, const QImage& b) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if ((a.pixelColor(x, y).lightness() < 128) != (b.pixelColor(x, y).lightness() < 128))
                return false;
    return true;
}

} // namespace

TEST_F(CtExcitation, ChartTicksFollowTheTestCurrentAndVoltage) {
    const QRect currentTick(455, 301, 45, 18); // under x = 460: the second current tick
    const QRect voltageTick(240, 190, 38, 18); // left of the plot at y = 195: 2/5 of the scale
    const QImage defaults = Chart();
    EXPECT_TRUE(
        SameDarkPixels(defaults.copy(currentTick), TextMask(page, 460, 300, "0.500", currentTick)));
    EXPECT_TRUE(
        SameDarkPixels(defaults.copy(voltageTick), TextMask(page, 245, 195, "80", voltageTick)));

    page.SetDlgItemText(1005, "5");
    page.UpdateData(true);
    const QImage fiveAmps = Chart();
    EXPECT_TRUE(
        SameDarkPixels(fiveAmps.copy(currentTick), TextMask(page, 460, 300, "2.500", currentTick)));
    EXPECT_FALSE(SameDarkPixels(fiveAmps.copy(currentTick), defaults.copy(currentTick)));
}

TEST_F(CtExcitation, ChartDrawsPointsAndTheKneeCross) {
    Show(kTwoPoints);
    const QImage chart = Chart();
    EXPECT_EQ(chart.pixelColor(300, 60), kBlack);
    EXPECT_EQ(chart.pixelColor(320, 175), kGreen);
    EXPECT_EQ(chart.pixelColor(322, 177), kGreen);
    EXPECT_NE(chart.pixelColor(323, 178), kGreen);
    EXPECT_EQ(chart.pixelColor(480, 112), kGreen);
    // Knee (0.25 A, 123.4 V) at (380, 145): arms 5 pixels left and up, 4 right and down.
    // A 2-pixel pen covers the row or column before its line too.
    EXPECT_EQ(chart.pixelColor(376, 145), kRed);
    EXPECT_EQ(chart.pixelColor(383, 144), kRed);
    EXPECT_EQ(chart.pixelColor(379, 141), kRed);
    EXPECT_EQ(chart.pixelColor(379, 148), kRed);
    EXPECT_EQ(chart.pixelColor(400, 300), kRed); // the current axis

    page.ClearResults();
    const QImage empty = Chart();
    EXPECT_EQ(empty.pixelColor(320, 175), kBlack);
    EXPECT_EQ(empty.pixelColor(376, 145), kBlack);
    EXPECT_EQ(empty.pixelColor(379, 141), kBlack);
}

TEST_F(CtExcitation, KneeWithOnlyOneValueIsStillDrawn) {
    Show(ExcitationPayload(0, 500, {}, {})); // 0.5 A, 0 V: (480, 300)
    const QImage chart = Chart();
    EXPECT_EQ(chart.pixelColor(479, 296), kRed);
    EXPECT_EQ(chart.pixelColor(483, 296), kBlack);
}

// --- Report text and data files -------------------------------------------------------------

namespace {

const char* const kTwoPointReport = "测试电压：200V\r\n"
                                    "测试电流：1A\r\n"
                                    "拐点电压：123.4V\r\n"
                                    "拐点电流：0.250A\r\n"
                                    "编号：1\r\n"
                                    "组号：1\r\n"
                                    "相序：A\r\n"
                                    "I(A)\tU(V)\r\n"
                                    "0.000\t0.0\r\n"
                                    "0.100\t100.0\r\n"
                                    "0.500\t150.0\r\n";

} // namespace

TEST_F(CtExcitation, ReportTextHasTheLinesOfTheResult) {
    Show(kTwoPoints);
    page.BuildResultText();
    EXPECT_EQ(bench.app.m_strReport,
              "测试时间：" + ReportedTime() + "\r\n" + QString::fromUtf8(kTwoPointReport));
}

TEST_F(CtExcitation, ReportInHistoryModeTakesTheRecordFields) {
    bench.app.m_CTRecords = {Record(0x0B, 200, 1)};
    page.SetHistoryMode(true);
    page.ShowHistoryRecord(0);
    page.BuildResultText();
    EXPECT_TRUE(bench.app.m_strReport.startsWith("测试时间：24-05-17 10:11:12\r\n"));
    EXPECT_TRUE(bench.app.m_strReport.contains("编号：12\r\n组号：3\r\n相序：B\r\n"));
}

TEST_F(CtExcitation, CtReportKeepsTheTestedVoltage) {
    Show(kTwoPoints);
    page.SetDlgItemText(1004, "300");
    page.BuildResultText();
    EXPECT_TRUE(bench.app.m_strReport.contains("测试电压：200V\r\n"));
}

TEST_F(PtExcitation, PtReportReadsTheEntriesAndComposesAfterARangeMessage) {
    Show(kTwoPoints);
    const QImage chart = Chart().copy(kChartArea);
    page.SetDlgItemText(1004, "300");
    page.BuildResultText();
    EXPECT_TRUE(bench.app.m_strReport.contains("测试电压：300V\r\n"));
    EXPECT_TRUE(bench.boxes.calls().empty());

    page.SetDlgItemText(1005, "9");
    page.BuildResultText();
    EXPECT_EQ(bench.boxes.texts(), QStringList({"请输入一个介于 1 和 5 之间的整数。"}));
    EXPECT_TRUE(bench.app.m_strReport.contains("测试电流：9A\r\n"));
    EXPECT_TRUE(bench.app.m_strReport.endsWith("0.500\t150.0\r\n"));
    EXPECT_EQ(Chart().copy(kChartArea), chart); // still scaled as its points are mapped
}

template <class Page> class DataFileTest : public ExcitationPageTest<Page> {
  protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    void Open(const QString& chosen) {
        dialogs.setAnswer(chosen);
        this->page.OnOpenData();
    }

    QTemporaryDir dir;
    tarvex::FileDialogRecorder dialogs;
};

using CtDataFile = DataFileTest<CIVADlg>;
using PtDataFile = DataFileTest<CUVADlg>;

TEST_F(CtDataFile, SavedResultReopensWithTheSameRowsAndKnee) {
    Show(kTwoPoints);
    page.BuildResultText();
    const QString path = dir.filePath("ct.txt");
    ASSERT_TRUE(SaveReportFile(path, bench.app.m_strReport));
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_EQ(bytes,
              Gbk("测试时间：") + this->ReportedTime().toLatin1() + "\r\n" + Gbk(kTwoPointReport));
    EXPECT_TRUE(bytes.startsWith("\xB2\xE2\xCA\xD4\xCA\xB1\xBC\xE4\xA3\xBA")); // GBK, no BOM

    page.ClearResults();
    Open(path);
    ASSERT_EQ(dialogs.calls().size(), 1u);
    EXPECT_EQ(dialogs.calls()[0].filter, "数据文件(*.txt)|*.txt|");
    EXPECT_EQ(Text(1033), "U = 123.4 V");
    EXPECT_EQ(Text(1034), "I = 0.250 A");
    ASSERT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_EQ(Row(0), QStringList({"1", "0.000", "0.0"}));
    EXPECT_EQ(Row(2), QStringList({"3", "0.500", "150.0"}));
    // The origin line is a point of the file like the others.
    EXPECT_EQ(page.m_Points, (std::vector<tagFWPOINT>{{280, 300}, {320, 175}, {480, 112}}));
    EXPECT_EQ(Text(1004), "200");
    EXPECT_EQ(Text(1014), "A");
}

TEST_F(PtDataFile, FileOfAnotherPageFillsLineGroupAndPhaseTexts) {
    const QByteArray file =
        Gbk("测试时间：x\r\n测试电压：1500V\r\n测试电流：3A\r\n拐点电压：1000.25V\r\n"
            "拐点电流：0.5A\r\n编号：07  \r\n组号：2\r\n相序：C\r\nI(A)\tU(V)\r\n"
            "0.000\t0.0\r\n1.500\t750.0\r\n");
    Show(kTwoPoints);
    Open(Write("pt.txt", file));
    EXPECT_EQ(Text(1004), "1500");
    EXPECT_EQ(Text(1005), "3");
    EXPECT_EQ(Text(1006), "07");
    EXPECT_EQ(Text(1007), "2");
    EXPECT_EQ(Text(1014), "C");
    EXPECT_EQ(Text(1033), "U = 1000.25 V"); // the file's own digits
    EXPECT_EQ(Text(1034), "I = 0.5 A");
    EXPECT_EQ(page.m_nLineNo, 1);   // taken from the entry at the next start
    EXPECT_EQ(ReportedTime(), "x"); // the file's time, not that of the result before
    EXPECT_EQ(page.m_Points, (std::vector<tagFWPOINT>{{280, 300}, {480, 175}}));
}

TEST_F(CtDataFile, MissingTestValuesComeFromTheLastPoint) {
    const struct {
        const char* head;
        const char* last;
        int voltage;
        int current;
    } cases[] = {
        {"测试电压：200V\r\n", "3.700\t150.0", 200, 4},
        {"测试电压：200V\r\n", "6.200\t150.0", 200, 5},
        {"测试电流：2A\r\n", "0.400\t200.0", 221, 2},
        {"", "0.400\t200.0", 221, 1},
        {"测试电压：200V\r\n", "-0.500\t150.0", 200, 0},
        {"测试电流：2A\r\n", "0.400\t-100.0", -79, 2},
        // A label that says 0 falls back as a missing one does.
        {"测试电压：200V\r\n测试电流：0A\r\n", "3.700\t150.0", 200, 4},
        {"测试电压：0V\r\n测试电流：0A\r\n", "0.400\t200.0", 221, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.last);
        const QByteArray file = Gbk(c.head) + Gbk("I(A)\tU(V)\r\n0.000\t0.0\r\n") + c.last + "\r\n";
        Open(Write("fallback.txt", file));
        EXPECT_EQ(page.m_nTestVoltage, c.voltage);
        EXPECT_EQ(page.m_nTestCurrent, c.current);
        EXPECT_EQ(List()->topLevelItemCount(), 2);
    }
}

TEST_F(CtDataFile, MissingLabelsGiveEmptyTextsAndZeroKnee) {
    Open(Write("bare.txt",
               Gbk("测试电压：200V\r\n测试电流：1A\r\nI(A)\tU(V)\r\n0.100\t20.0\r\nx\ty\r\n")));
    EXPECT_EQ(Text(1033), "U =  V");
    EXPECT_EQ(Text(1034), "I =  A");
    EXPECT_EQ(page.m_fKneeVoltage, 0);
    EXPECT_EQ(Text(1006), "");
    EXPECT_EQ(Text(1014), "");
    ASSERT_EQ(List()->topLevelItemCount(), 2);
    EXPECT_EQ(Row(1), QStringList({"2", "0.000", "0.0"})); // not a number reads as 0
}

TEST_F(CtDataFile, FileOf255PointsIsReadWhole) {
    std::vector<int> currents, voltages;
    for (int i = 0; i < 255; ++i) {
        currents.push_back(3 * i + 1);
        voltages.push_back(10 * i);
    }
    Show(ExcitationPayload(0, 0, currents, voltages));
    page.BuildResultText();
    const QString path = dir.filePath("long.txt");
    ASSERT_TRUE(SaveReportFile(path, bench.app.m_strReport));
    ASSERT_GT(QFileInfo(path).size(), 2048); // well over 1024 bytes
    page.ClearResults();
    Open(path);
    ASSERT_EQ(List()->topLevelItemCount(), 256);
    EXPECT_EQ(Row(255), QStringList({"256", "0.763", "254.0"}));
    EXPECT_EQ(page.m_nTestVoltage, 200);
}

TEST_F(CtDataFile, ExtensionRuleAndPathAsChosen) {
    const QByteArray file = Gbk("测试电压：200V\r\n测试电流：1A\r\nI(A)\tU(V)\r\n0.100\t20.0\r\n");
    const struct {
        const char* written;
        const char* chosen;
    } cases[] = {
        {"a.txt/b.txt", "a.txt/b.txt"}, // a folder named a.txt
        {"result.txt", "result"},       // ".txt" appended
        {"Upper.TXT", "Upper.TXT"},     // kept, case as chosen
        {"MixedCase.txt", "MixedCase.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen);
        page.ClearResults();
        Write(c.written, file);
        Open(dir.filePath(c.chosen));
        EXPECT_EQ(List()->topLevelItemCount(), 1);
    }
}

TEST_F(CtDataFile, CancelledOrUnreadableFileKeepsTheResult) {
    Show(kTwoPoints);
    Open(QString()); // cancelled
    EXPECT_EQ(List()->topLevelItemCount(), 3);
    Open(dir.filePath("missing.txt"));
    EXPECT_EQ(List()->topLevelItemCount(), 3);
    QDir(dir.path()).mkdir("folder.txt");
    Open(dir.filePath("folder.txt"));
    EXPECT_EQ(List()->topLevelItemCount(), 3);
    EXPECT_EQ(Text(1033), "U = 123.4 V");
    EXPECT_TRUE(bench.boxes.calls().empty());
}

TEST_F(CtDataFile, TextEndsAtTheFirstNulByte) {
    QByteArray file = Gbk("测试电压：200V\r\n测试电流：1A\r\nI(A)\tU(V)\r\n0.100\t20.0\r\n");
    file += QByteArray("\0", 1) + "0.200\t40.0\r\n";
    Open(Write("nul.txt", file));
    EXPECT_EQ(List()->topLevelItemCount(), 1);
}

namespace {

// A file as the program saves it.
QByteArray SavedFile() {
    return Gbk("测试时间：2024-05-17 10:11:12\r\n") + Gbk(kTwoPointReport);
}

} // namespace

TEST_F(CtDataFile, LfLineEndsAndUtf8ReadLikeTheProgramsOwnFile) {
    const QByteArray utf8 = QByteArray("测试时间：2024-05-17 10:11:12\r\n") + kTwoPointReport;
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"GBK, CR LF", SavedFile()},
        {"GBK, LF", QByteArray(SavedFile()).replace("\r\n", "\n")},
        {"GBK, no end after the last line", SavedFile().chopped(2)},
        {"UTF-8, LF", QByteArray(utf8).replace("\r\n", "\n")},
        {"UTF-8 with a byte-order mark, CR LF", "\xEF\xBB\xBF" + utf8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        page.ClearResults();
        Open(Write("file.txt", c.bytes));
        EXPECT_EQ(List()->topLevelItemCount(), 3);
        EXPECT_EQ(Text(1033), "U = 123.4 V");
        page.BuildResultText();
        EXPECT_EQ(tarvex::ToGbk(bench.app.m_strReport), SavedFile());
    }
}

TEST_F(PtDataFile, OpenThenSaveIsAFixedPoint) {
    const struct {
        QByteArray file;
        QByteArray saved;
    } cases[] = {
        // A bare LF after the phase, the header twice: neither is a point.
        {QByteArray::fromHex("CFE0D0F2A3BA410A492841290D0A4928412909552856290D0A"
                             "302E350931302E300D0A"),
         Gbk("测试时间：\r\n测试电压：31V\r\n测试电流：1A\r\n拐点电压：0.0V\r\n拐点电流：0.000A\r\n"
             "编号：\r\n组号：\r\n相序：A\r\nI(A)\tU(V)\r\n0.500\t10.0\r\n")},
        // A test current of 0 comes from the last point, 0.500 A: 1 A.
        {QByteArray(SavedFile()).replace(Gbk("电流：1A"), Gbk("电流：0A")), SavedFile()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toHex(' ').toStdString());
        Open(Write("opened.txt", c.file));
        page.BuildResultText();
        const QString first = bench.app.m_strReport;
        EXPECT_EQ(tarvex::ToGbk(first), c.saved);
        const QString path = dir.filePath("saved.txt");
        ASSERT_TRUE(SaveReportFile(path, first));
        Open(path);
        page.BuildResultText();
        EXPECT_EQ(bench.app.m_strReport, first);
    }
}

TEST_F(CtDataFile, FileOfOneMebibyteIsReadWhole) {
    const qsizetype kMiB = 1 << 20; // the most that "打开数据" reads
    QByteArray file = Gbk("测试电压：200V\r\n测试电流：5A\r\nI(A)\tU(V)\r\n");
    int rows = 0;
    while (file.size() + 13 <= kMiB) {
        file +=
            QString::asprintf("%d.%03d\t%03d.5\r\n", rows % 5, rows % 1000, rows % 1000).toLatin1();
        ++rows;
    }
    ASSERT_GT(file.size(), kMiB - 13);
    Open(Write("big.txt", file));
    ASSERT_EQ(List()->topLevelItemCount(), rows);
    const int last = rows - 1;
    EXPECT_EQ(Row(last), QStringList({QString::number(rows),
                                      QString::asprintf("%d.%03d", last % 5, last % 1000),
                                      QString::asprintf("%d.5", last % 1000)}));
    EXPECT_EQ(int(page.m_Points.size()), rows);
}

TEST_F(CtDataFile, FileThatIsNoDataFileIsRefusedAndTheResultStays) {
    Show(kTwoPoints);
    const QByteArray files[] = {
        "",
        "int main()\n{\n\treturn 0;\n}\n",
        "I(A)\tU(V)\r\n", // a header alone holds no point
        QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16),
    };
    for (const QByteArray& file : files) {
        SCOPED_TRACE(file.toHex(' ').toStdString());
        bench.boxes.clear();
        Open(Write("other.txt", file));
        ASSERT_EQ(bench.boxes.calls().size(), 1u);
        EXPECT_EQ(bench.boxes.calls()[0].text, "不是有效的数据文件");
        EXPECT_EQ(bench.boxes.calls()[0].caption, "系统提示");
        EXPECT_EQ(bench.boxes.calls()[0].style, MB_OK | MB_ICONINFORMATION);
        EXPECT_EQ(List()->topLevelItemCount(), 3);
        EXPECT_EQ(Text(1033), "U = 123.4 V");
        EXPECT_EQ(page.m_nTestVoltage, 200);
    }
}

// --- Whole tests against the simulated instrument -------------------------------------------

namespace {

// The program as the operator runs it, connected to the simulated instrument, on the virtual
// clock; the main frame's dispatcher hands the replies to the pages.
class ExcitationEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        tarvex::InitResources();
        app = std::make_unique<CTarvexApp>();
        ASSERT_TRUE(app->InitInstance());
        frame = app->m_pMainWnd;
        frame->OnConnect();
        ASSERT_TRUE(app->m_pLink->m_bConnected);
        boxes.clear();
    }
    void TearDown() override {
        app->ExitInstance();
        app.reset();
    }

    // Chooses the test in the tree and presses the start button that the handshake enabled.
    void Run(int kind, CExcitationPage* page) {
        frame->m_LTree->SelectTest(kind);
        ASSERT_EQ(engine.TestKind(), CDeviceLink::TestKindCode(kind));
        auto* start = page->findChild<QPushButton*>("id1009");
        ASSERT_TRUE(start->isEnabled());
        engine.ClearLog();
        QTest::mouseClick(start, Qt::LeftButton);
    }
    // When the instrument received the first frame of each command, in order.
    std::vector<std::pair<std::uint8_t, std::int64_t>> Received() const {
        std::vector<std::pair<std::uint8_t, std::int64_t>> received;
        for (const sim::LogEntry& entry : engine.Log())
            if (entry.kind == sim::LogEntry::Kind::Received)
                received.emplace_back(entry.code, entry.timeMs);
        return received;
    }
    static int Rows(const CExcitationPage* page) { return page->m_list->topLevelItemCount(); }
    static QStringList AllRows(const CExcitationPage* page) {
        QStringList rows;
        for (int r = 0; r < Rows(page); ++r) {
            QTreeWidgetItem* item = page->m_list->topLevelItem(r);
            rows << item->text(0) + "|" + item->text(1) + "|" + item->text(2);
        }
        return rows;
    }
    // Save with the operator entering name; the bytes of the file it wrote.
    QByteArray Save(const QString& name) {
        dialogs.setAnswer(dir.filePath(name));
        frame->OnFileSave();
        QFile file(dir.filePath(name + ".txt"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    tarvex::VirtualClock clock;
    tarvex::ScopedClock useClock{clock};
    tarvex::MessageBoxRecorder boxes;
    tarvex::FileDialogRecorder dialogs;
    QTemporaryDir dir;
    sim::Engine engine;
    sim::ScopedSimPort port{engine};
    std::unique_ptr<CTarvexApp> app;
    CMainFrame* frame = nullptr;
};

} // namespace

TEST_F(ExcitationEndToEnd, CtTestIsShownSavedReopenedAndGivesAnErrorCurve) {
    CIVADlg* page = app->m_pIVADlg;
    Run(0, page);

    const auto received = Received();
    ASSERT_GE(received.size(), 3u);
    EXPECT_EQ(received[0].first, 0xED);
    EXPECT_EQ(received[1].first, 0xEB);
    EXPECT_EQ(received[1].second - received[0].second, 500);
    EXPECT_EQ(received[2].first, 0xF6); // the dispatcher's answer to the test-finished reply
    EXPECT_EQ(received[2].second - received[1].second, 10000);
    EXPECT_EQ(received.size(), 3u); // no polls: the result came

    ASSERT_EQ(Rows(page), 31); // the origin and the 30 points of the instrument
    EXPECT_EQ(page->m_Points.size(), 30u);
    EXPECT_EQ(page->m_CurveCurrents.size(), 31);
    EXPECT_TRUE(page->GetDlgItemText(1033).startsWith("U = "));
    EXPECT_NE(page->m_fKneeVoltage, 0);
    const QStringList shown = AllRows(page);
    const QString kneeVoltage = page->GetDlgItemText(1033);
    const QString kneeCurrent = page->GetDlgItemText(1034);

    const QByteArray saved = Save("ct");
    ASSERT_EQ(dialogs.calls().size(), 1u);
    EXPECT_EQ(dialogs.calls()[0].suggestedName, "CT伏安特性");
    app->m_strReport.clear();
    page->BuildResultText();
    EXPECT_EQ(saved, tarvex::ToGbk(app->m_strReport));

    page->ClearResults();
    dialogs.setAnswer(dir.filePath("ct.txt"));
    page->OnOpenData();
    EXPECT_EQ(AllRows(page), shown);
    EXPECT_EQ(page->GetDlgItemText(1033), kneeVoltage);
    EXPECT_EQ(page->GetDlgItemText(1034), kneeCurrent);

    CIWCDlg* window = frame->m_pErrorCurveDlg;
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    QTest::mouseClick(page->findChild<QPushButton*>("id1016"), Qt::LeftButton);
    EXPECT_TRUE(window->isVisible());
    window->m_edtZ2->setText("0");
    QTest::mouseClick(window->findChild<QPushButton*>("id1013"), Qt::LeftButton);
    EXPECT_GT(window->m_list->topLevelItemCount(), 0);
    EXPECT_GT(window->m_nMaxImpedance, 0);
    EXPECT_EQ(window->m_nMaxMultiple % 4, 0);
    EXPECT_EQ(window->m_ErrorPoints.size(), size_t(window->m_list->topLevelItemCount()));
    EXPECT_TRUE(boxes.calls().empty());
}

TEST_F(ExcitationEndToEnd, PtTestWaitsItsTimeAndTheErrorCurveTakesItsData) {
    Run(0, app->m_pIVADlg);
    CUVADlg* page = app->m_pUVADlg;
    Run(4, page);

    const auto received = Received();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].first, 0xED);
    EXPECT_EQ(received[1].second - received[0].second, 300);
    EXPECT_EQ(received[2].first, 0xF6);
    EXPECT_EQ(received[2].second - received[1].second, 35000);
    ASSERT_EQ(Rows(page), 31);
    EXPECT_EQ(Rows(app->m_pIVADlg), 31); // the CT page keeps its own result

    const QByteArray saved = Save("pt");
    EXPECT_EQ(dialogs.calls().back().suggestedName, "PT伏安特性");
    EXPECT_TRUE(saved.contains(tarvex::ToGbk("测试电压：200V\r\n")));

    // Each page keeps its own curve: back on the CT page, Save writes the CT points under the
    // CT head, and the file reopens as the CT curve.
    const QStringList ctRows = AllRows(app->m_pIVADlg);
    ASSERT_NE(ctRows, AllRows(page));
    frame->m_LTree->SelectTest(0);
    const QByteArray ct = Save("ct");
    EXPECT_TRUE(ct.contains(tarvex::ToGbk(app->m_pIVADlg->GetDlgItemText(1033).mid(4, 5))));
    app->m_pIVADlg->ClearResults();
    dialogs.setAnswer(dir.filePath("ct.txt"));
    app->m_pIVADlg->OnOpenData();
    EXPECT_EQ(AllRows(app->m_pIVADlg), ctRows);

    // The error-curve window computes from the page it was opened from, and never shows one
    // page's result under the other.
    CIWCDlg* window = frame->m_pErrorCurveDlg;
    auto results = [window] {
        QStringList rows;
        for (int r = 0; r < window->m_list->topLevelItemCount(); ++r)
            rows << window->m_list->topLevelItem(r)->text(2);
        return rows;
    };
    app->m_pIVADlg->OnErrorCurve();
    window->OnCalcErrorCurve();
    const QStringList ctResult = results();
    ASSERT_FALSE(ctResult.isEmpty());
    page->OnErrorCurve();
    EXPECT_TRUE(results().isEmpty());
    EXPECT_TRUE(window->m_ErrorPoints.empty());
    window->OnCalcErrorCurve();
    EXPECT_FALSE(results().isEmpty());
    EXPECT_NE(results(), ctResult);
    Run(4, page); // a new PT result empties the error curve of the one before
    EXPECT_TRUE(results().isEmpty());
}

TEST_F(ExcitationEndToEnd, ABlockWithManyCurvesFillsTheListOnceWithTheLast) {
    CIVADlg* page = app->m_pIVADlg;
    frame->m_LTree->SelectTest(0);
    Bytes block;
    for (const Bytes& payload : {kTwoPoints, ExcitationPayload(1000, 200, {300}, {800}), kTwoPoints,
                                 ExcitationPayload(2000, 400, {700}, {1200})}) {
        block.insert(block.end(), {0x55, 0xAA, 0x1A});
        block.insert(block.end(), payload.begin(), payload.end());
    }
    block.insert(block.end(), {0xFD, 0xFA});
    std::copy(block.begin(), block.end(), g_RxBuf);
    g_RxLen = static_cast<std::int16_t>(block.size());
    QSignalSpy filled(page->m_list->model(), &QAbstractItemModel::rowsInserted);

    frame->OnDeviceReply({g_RxBuf, static_cast<std::size_t>(g_RxLen)});

    EXPECT_EQ(filled.count(), 1);
    EXPECT_EQ(AllRows(page), QStringList({"1|0.000|0.0", "2|0.700|120.0"}));
    EXPECT_EQ(page->m_CurveCurrents, QList<float>({0.0f, 0.7f}));
    EXPECT_EQ(page->GetDlgItemText(1033), "U = 200.0 V");
}
