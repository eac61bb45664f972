// The excitation chart and its error-curve variant, MapPoint, and the error-curve computation
// with decisions 9 and 14.
#include "pages/chart.h"
#include "pages/errorcurve.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

// gtest's printer finds this beside tagFWPOINT (the global namespace).
static void PrintTo(const tagFWPOINT& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}

using tarvex::CalcErrorCurve;
using tarvex::ChartAxes;
using tarvex::ErrorCurveChartAxes;
using tarvex::ErrorCurveParams;
using tarvex::ErrorCurveResult;
using tarvex::ExcitationChartAxes;
using tarvex::PaintChart;

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

QImage Blank() {
    QImage img(720, 340, QImage::Format_RGB32);
    img.fill(kWhite);
    return img;
}

QImage Paint(const ChartAxes& axes, const std::vector<tagFWPOINT>& points = {},
             std::optional<tagFWPOINT> knee = std::nullopt) {
    QImage img = Blank();
    QPainter p(&img);
    PaintChart(p, axes, points, knee);
    return img;
}

std::string Describe(const QColor& c) {
    return "(" + std::to_string(c.red()) + "," + std::to_string(c.green()) + "," +
           std::to_string(c.blue()) + ")";
}

#define EXPECT_PIXEL(img, x, y, colour)                                                            \
    EXPECT_EQ(Describe((img).pixelColor((x), (y))), Describe(colour))                              \
        << "at (" << (x) << ", " << (y) << ")"

// ---- MapPoint --------------------------------------------------------------------------------

TEST(MapPoint, ExcitationReplyExamples) {
    // Defaults 200 V and 1 A: the points of the reply example.
    EXPECT_EQ(MapPoint(0.1f, 100.0f, 1, 200), (tagFWPOINT{320, 175}));
    EXPECT_EQ(MapPoint(0.5f, 150.0f, 1, 200), (tagFWPOINT{480, 112}));
    EXPECT_EQ(MapPoint(0, 0, 1, 200), (tagFWPOINT{280, 300}));
    EXPECT_EQ(MapPoint(1, 200, 1, 200), (tagFWPOINT{680, 50}));
    // Beyond the test current: right of the plot area.
    EXPECT_EQ(MapPoint(1.5f, 0, 1, 200), (tagFWPOINT{880, 300}));
    // Truncation toward zero, not floor: -1.04 gives -1, 300.625 gives 300.
    EXPECT_EQ(MapPoint(-0.7026f, -0.5f, 1, 200), (tagFWPOINT{-1, 300}));
    // Float division by the ints: 5 A full scale.
    EXPECT_EQ(MapPoint(3.7f, 1234.5f, 5, 2500), (tagFWPOINT{576, 176}));
}

TEST(MapPoint, ZeroFullScaleMapsNothing) {
    EXPECT_FALSE(CanMapPoint(0, 200));
    EXPECT_FALSE(CanMapPoint(1, 0));
    EXPECT_TRUE(CanMapPoint(1, 200));
    EXPECT_FALSE(TryMapPoint(0.5f, 100, 0, 200).has_value());
    EXPECT_FALSE(TryMapPoint(0.5f, 100, 1, 0).has_value());
    EXPECT_EQ(TryMapPoint(0.5f, 150, 1, 200).value(), (tagFWPOINT{480, 112}));
    // Called anyway: no division, the origin.
    EXPECT_EQ(MapPoint(0.5f, 100, 0, 0), (tagFWPOINT{280, 300}));
}

TEST(MapPoint, HugeAndNanValuesDoNotOverflow) {
    EXPECT_EQ(MapPoint(1e30f, -1e30f, 1, 200), (tagFWPOINT{1000000, 1000000}));
    EXPECT_EQ(MapPoint(-1e30f, 1e30f, 1, 200), (tagFWPOINT{-1000000, -1000000}));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(MapPoint(nan, nan, 1, 200), (tagFWPOINT{0, 0}));
}

TEST(KneeCross, OnlyWhenAKneeValueIsNonZeroAndTheScalesMap) {
    EXPECT_FALSE(tarvex::KneeCross(0, 0, 1, 200).has_value());
    EXPECT_EQ(tarvex::KneeCross(0.25f, 0, 1, 200).value(), (tagFWPOINT{380, 300}));
    EXPECT_EQ(tarvex::KneeCross(0, 100, 1, 200).value(), (tagFWPOINT{280, 175}));
    EXPECT_EQ(tarvex::KneeCross(0.25f, 123.4f, 1, 200).value(), MapPoint(0.25f, 123.4f, 1, 200));
    EXPECT_FALSE(tarvex::KneeCross(0.25f, 123.4f, 0, 200).has_value());
    EXPECT_FALSE(tarvex::KneeCross(0.25f, 123.4f, 1, 0).has_value());
}

// ---- Chart pixels ----------------------------------------------------------------------------

bool IsGridColumn(int x) {
    return x == 380 || x == 480 || x == 580 || x == 680;
}
bool IsGridRow(int y) {
    return y == 50 || y == 100 || y == 150 || y == 200 || y == 250;
}

TEST(Chart, PlotAreaIsBlackFrom280To680And50To300) {
    const QImage img = Paint(ExcitationChartAxes(1, 200));
    int black = 0;
    for (int y = 51; y <= 298; ++y)
        for (int x = 281; x <= 679; ++x)
            if (!IsGridColumn(x) && !IsGridRow(y) && img.pixelColor(x, y) == kBlack)
                ++black;
    EXPECT_EQ(black, (298 - 51 + 1 - 4) * (679 - 281 + 1 - 3)); // every pixel off the grid
    // The corners of the area, (680, 300) included: off the dotted phase of the grid at x 680.
    EXPECT_PIXEL(img, 681, 100, kWhite);
    EXPECT_PIXEL(img, 400, 49, kWhite);
    EXPECT_PIXEL(img, 278, 100, kWhite);
    EXPECT_PIXEL(img, 400, 302, kWhite);
}

TEST(Chart, AxesAreRedTwoPixelsWide) {
    const QImage img = Paint(ExcitationChartAxes(1, 200));
    for (int x = 281; x <= 679; ++x) {
        EXPECT_PIXEL(img, x, 299, kRed);
        EXPECT_PIXEL(img, x, 300, kRed);
        if (!IsGridColumn(x)) {
            EXPECT_PIXEL(img, x, 298, kBlack);
        }
    }
    for (int x = 281; x <= 340; ++x) { // left of the first tick text
        EXPECT_PIXEL(img, x, 301, kWhite);
    }
    for (int y = 51; y <= 298; ++y) {
        EXPECT_PIXEL(img, 279, y, kRed);
        EXPECT_PIXEL(img, 280, y, kRed);
        EXPECT_PIXEL(img, 278, y, kWhite);
        if (!IsGridRow(y)) {
            EXPECT_PIXEL(img, 281, y, kBlack);
        }
    }
}

// Along a dotted grid line: every third pixel red, the two between black.
void ExpectDotted(const std::vector<QColor>& run, const std::string& where) {
    ASSERT_GE(run.size(), 6u);
    int first = -1;
    for (int i = 0; i < 3; ++i)
        if (run[i] == kRed)
            first = i;
    ASSERT_GE(first, 0) << where << ": no red dot in the first three pixels";
    for (std::size_t i = 0; i < run.size(); ++i) {
        const bool on = (static_cast<int>(i) - first) % 3 == 0;
        EXPECT_EQ(Describe(run[i]), Describe(on ? kRed : kBlack)) << where << ", pixel " << i;
    }
}

TEST(Chart, GridIsDottedOneOnTwoOff) {
    const QImage img = Paint(ExcitationChartAxes(1, 200));
    for (int y : {50, 100, 150, 200, 250}) {
        for (int x0 : {282, 382, 482, 582}) { // between the vertical lines
            std::vector<QColor> run;
            for (int x = x0; x < x0 + 96; ++x)
                run.push_back(img.pixelColor(x, y));
            ExpectDotted(run, "row " + std::to_string(y) + " from x " + std::to_string(x0));
        }
    }
    for (int x : {380, 480, 580, 680}) {
        for (int y0 : {52, 102, 152, 202, 252}) { // between the horizontal lines
            std::vector<QColor> run;
            for (int y = y0; y < y0 + 46; ++y)
                run.push_back(img.pixelColor(x, y));
            ExpectDotted(run, "column " + std::to_string(x) + " from y " + std::to_string(y0));
        }
    }
    // Nothing red between the lines.
    for (int x = 281; x <= 679; ++x) {
        if (!IsGridColumn(x)) {
            EXPECT_PIXEL(img, x, 125, kBlack);
        }
    }
}

TEST(Chart, PointsAreThreeByThreeGreenSquares) {
    const std::vector<tagFWPOINT> points = {{401, 171}, {700, 120}, {320, 175}};
    const QImage img = Paint(ExcitationChartAxes(1, 200), points);
    for (const tagFWPOINT& p : points) {
        for (int dy = 0; dy < 3; ++dy)
            for (int dx = 0; dx < 3; ++dx)
                EXPECT_PIXEL(img, p.x + dx, p.y + dy, kGreen);
        const QColor around = p.x > 680 ? kWhite : kBlack; // outside the plot: still drawn
        for (int d = 0; d < 3; ++d) {
            EXPECT_PIXEL(img, p.x - 1, p.y + d, around);
            EXPECT_PIXEL(img, p.x + 3, p.y + d, around);
            EXPECT_PIXEL(img, p.x + d, p.y - 1, around);
            EXPECT_PIXEL(img, p.x + d, p.y + 3, around);
        }
    }
}

TEST(Chart, KneeCrossIsRedOnlyWhenGiven) {
    const tagFWPOINT knee{500, 170};
    const QImage with = Paint(ExcitationChartAxes(1, 200), {}, knee);
    const QImage without = Paint(ExcitationChartAxes(1, 200));
    // Horizontal stroke (kx - 5, ky) to (kx + 4, ky), two pixels: rows ky - 1 and ky.
    for (int x = knee.x - 5; x <= knee.x + 4; ++x) {
        EXPECT_PIXEL(with, x, knee.y - 1, kRed);
        EXPECT_PIXEL(with, x, knee.y, kRed);
        EXPECT_PIXEL(without, x, knee.y, kBlack);
    }
    // Vertical stroke (kx, ky - 5) to (kx, ky + 4): columns kx - 1 and kx.
    for (int y = knee.y - 5; y <= knee.y + 4; ++y) {
        EXPECT_PIXEL(with, knee.x - 1, y, kRed);
        EXPECT_PIXEL(with, knee.x, y, kRed);
        EXPECT_PIXEL(without, knee.x, y, kBlack);
    }
    // A cross, not a square, and no longer than its strokes: the 2-pixel pen covers one pixel
    // more at the low end (as the axes' 279 and 49), none beyond the high end.
    EXPECT_PIXEL(with, knee.x - 6, knee.y, kRed);
    EXPECT_PIXEL(with, knee.x, knee.y - 6, kRed);
    EXPECT_PIXEL(with, knee.x - 3, knee.y - 3, kBlack);
    EXPECT_PIXEL(with, knee.x + 3, knee.y + 3, kBlack);
    EXPECT_PIXEL(with, knee.x + 2, knee.y + 1, kBlack);
    EXPECT_PIXEL(with, knee.x + 5, knee.y, kBlack);
    EXPECT_PIXEL(with, knee.x - 7, knee.y, kBlack);
    EXPECT_PIXEL(with, knee.x, knee.y + 5, kBlack);
    EXPECT_PIXEL(with, knee.x, knee.y - 7, kBlack);
    // Without a knee the image is the plain chart.
    EXPECT_EQ(without, Paint(ExcitationChartAxes(1, 200)));
    EXPECT_NE(with, without);
}

TEST(Chart, RestoresThePainter) {
    QImage img = Blank();
    QPainter p(&img);
    const QPen pen(Qt::blue, 3);
    p.setPen(pen);
    p.setBrush(Qt::yellow);
    PaintChart(p, ExcitationChartAxes(1, 200), {{300, 200}}, tagFWPOINT{400, 200});
    EXPECT_EQ(p.pen(), pen);
    EXPECT_EQ(p.brush().color(), QColor(Qt::yellow));
}

// ---- Chart texts -----------------------------------------------------------------------------

// The text as the page's default font draws it, black, top-left corner at (x, y), alone on white.
QImage Reference(const QString& text, int x, int y) {
    QImage img = Blank();
    QPainter p(&img);
    p.setPen(kBlack);
    p.drawText(QPoint(x, y + p.fontMetrics().ascent()), text);
    return img;
}

// Whether the chart shows `text` with its top-left corner at (x, y): the text's cell equals the
// reference drawing (rows from firstRow on, to stay clear of the axis at rows 299 and 300) and
// holds ink.
::testing::AssertionResult ShowsText(const QImage& chart, const QString& text, int x, int y,
                                     int firstRow) {
    const QImage ref = Reference(text, x, y);
    QPainter probe;
    QImage scratch = Blank();
    probe.begin(&scratch);
    const int width = probe.fontMetrics().horizontalAdvance(text);
    const int height = probe.fontMetrics().height();
    probe.end();
    int ink = 0;
    for (int yy = std::max(y, firstRow); yy < y + height; ++yy) {
        for (int xx = x; xx < x + width + 2; ++xx) {
            if (ref.pixelColor(xx, yy) != kWhite)
                ++ink;
            if (chart.pixelColor(xx, yy) != ref.pixelColor(xx, yy))
                return ::testing::AssertionFailure()
                       << "\"" << text.toStdString() << "\" at (" << x << ", " << y
                       << ") differs at (" << xx << ", " << yy
                       << "): " << Describe(chart.pixelColor(xx, yy)) << " instead of "
                       << Describe(ref.pixelColor(xx, yy));
        }
    }
    if (ink == 0)
        return ::testing::AssertionFailure() << "no ink for \"" << text.toStdString() << "\"";
    return ::testing::AssertionSuccess();
}

struct TickCase {
    const char* name;
    ChartAxes axes;
    const char* xName;
    const char* yName;
    QPoint yNamePos;
    int xTickLeft;
    std::vector<const char*> xTicks; // at (xTickLeft + 100 i, 300)
    std::vector<const char*> yTicks; // at (245, 295 - 50 j)
};

void PrintTo(const TickCase& c, std::ostream* os) {
    *os << c.name;
}

class ChartTicks : public ::testing::TestWithParam<TickCase> {};

TEST_P(ChartTicks, TextsSitAtTheirPoints) {
    const TickCase& c = GetParam();
    const QImage img = Paint(c.axes);
    EXPECT_TRUE(ShowsText(img, "0", 260, 300, 302));
    EXPECT_TRUE(ShowsText(img, c.xName, 685, 285, 285));
    EXPECT_TRUE(ShowsText(img, c.yName, c.yNamePos.x(), c.yNamePos.y(), c.yNamePos.y()));
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(ShowsText(img, c.xTicks[i - 1], c.xTickLeft + 100 * i, 300, 302));
    for (int j = 1; j <= 5; ++j)
        EXPECT_TRUE(ShowsText(img, c.yTicks[j - 1], 245, 295 - 50 * j, 295 - 50 * j));
}

const TickCase kTickCases[] = {
    {"ExcitationDefaults",
     ExcitationChartAxes(1, 200),
     "A",
     "V",
     {270, 30},
     260,
     {"0.250", "0.500", "0.750", "1.000"},
     {"40", "80", "120", "160", "200"}},
    {"Excitation5A2500V",
     ExcitationChartAxes(5, 2500),
     "A",
     "V",
     {270, 30},
     260,
     {"1.250", "2.500", "3.750", "5.000"},
     {"500", "1000", "1500", "2000", "2500"}},
    // %0.0f of 1.4, 2.8, 4.2, 5.6, 7.0.
    {"ExcitationRounding",
     ExcitationChartAxes(3, 7),
     "A",
     "V",
     {270, 30},
     260,
     {"0.750", "1.500", "2.250", "3.000"},
     {"1", "3", "4", "6", "7"}},
    // A full scale of 0 still draws its ticks.
    {"ExcitationZeroScales",
     ExcitationChartAxes(0, 0),
     "A",
     "V",
     {270, 30},
     260,
     {"0.000", "0.000", "0.000", "0.000"},
     {"0", "0", "0", "0", "0"}},
    {"ErrorCurveStart",
     ErrorCurveChartAxes(100, 1000),
     "M10",
     "ZII",
     {260, 30},
     270,
     {"25", "50", "75", "100"},
     {"200", "400", "600", "800", "1000"}},
    {"ErrorCurveExample",
     ErrorCurveChartAxes(4, 170),
     "M10",
     "ZII",
     {260, 30},
     270,
     {"1", "2", "3", "4"},
     {"34", "68", "102", "136", "170"}},
};

INSTANTIATE_TEST_SUITE_P(Scales, ChartTicks, ::testing::ValuesIn(kTickCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChartTicks, TheComparisonTellsTextsApart) {
    const QImage img = Paint(ExcitationChartAxes(1, 200));
    EXPECT_FALSE(ShowsText(img, "0.500", 360, 300, 302));
    EXPECT_FALSE(ShowsText(img, "0.25", 360, 300, 302)); // the last "0" is not white
    EXPECT_FALSE(ShowsText(img, "0.250", 361, 300, 302));
    EXPECT_FALSE(ShowsText(img, "0.250", 360, 301, 302));
}

TEST(ChartTicks, ErrorCurveHasNoAmpsOrVolts) {
    const QImage img = Paint(ErrorCurveChartAxes(4, 170));
    EXPECT_FALSE(ShowsText(img, "A", 685, 285, 285));
    EXPECT_FALSE(ShowsText(img, "V", 270, 30, 30));
    EXPECT_FALSE(ShowsText(img, "0.250", 360, 300, 302));
}

// ---- Error curve -----------------------------------------------------------------------------

struct Row {
    std::string number, multiple, impedance;
};

std::vector<Row> Rows(const ErrorCurveResult& r) {
    std::vector<Row> rows;
    for (const auto& row : r.rows)
        rows.push_back(
            {row.number.toStdString(), row.multiple.toStdString(), row.impedance.toStdString()});
    return rows;
}

bool operator==(const Row& a, const Row& b) {
    return a.number == b.number && a.multiple == b.multiple && a.impedance == b.impedance;
}

void PrintTo(const Row& r, std::ostream* os) {
    *os << "(" << r.number << ", " << r.multiple << ", " << r.impedance << ")";
}

struct CurveCase {
    const char* name;
    std::vector<float> currents, voltages;
    ErrorCurveParams params;
    std::vector<Row> rows;
    std::vector<tagFWPOINT> points;
    int maxMultiple, maxImpedance;
};

void PrintTo(const CurveCase& c, std::ostream* os) {
    *os << c.name;
}

class ErrorCurve : public ::testing::TestWithParam<CurveCase> {};

TEST_P(ErrorCurve, RowsPointsAndScales) {
    const CurveCase& c = GetParam();
    const auto r = CalcErrorCurve(c.currents, c.voltages, c.params);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(Rows(*r), c.rows);
    EXPECT_EQ(r->points, c.points);
    EXPECT_EQ(r->maxMultiple, c.maxMultiple);
    EXPECT_EQ(r->maxImpedance, c.maxImpedance);
}

const std::vector<float> kI = {0, 0.01f, 0.02f, 0.05f, 0.2f};
const std::vector<float> kU = {0, 10, 30, 60, 100};

const CurveCase kCurveCases[] = {
    // The worked example: Z = 111.1, 166.7, 133.3, 55.6; k = 2; rows for points 3 and 4.
    {"Example10Percent5A",
     kI,
     kU,
     {true, 10, 9, 0},
     {{"1", "0.10", "133.3"}, {"2", "0.40", "55.5"}},
     {{290, 103}, {320, 218}},
     4,
     170},
    // Rated 1 A: M = 0.1, 0.2, 0.5, 2.0; 3 raised to 4.
    {"Example10Percent1A",
     kI,
     kU,
     {false, 10, 9, 0},
     {{"1", "0.50", "133.3"}, {"2", "2.00", "55.5"}},
     {{330, 103}, {480, 218}},
     4,
     170},
    // 5 % curve: M = 4 I = 0.04, 0.08, 0.2, 0.8; Z = U / (19 I) = 52.63, 78.95, 63.16, 26.32;
    // k = 2, ceiling 79 raised to 80; y = 300 - Z * 250 / 80.
    {"Example5Percent5A",
     kI,
     kU,
     {true, 20, 19, 0},
     {{"1", "0.20", "63.1"}, {"2", "0.80", "26.3"}},
     {{300, 102}, {360, 217}},
     4,
     80},
    // With Z2 = 0.5: ZII = (U - 0.5 I) / (9 I) - 0.5 = 110.56, 166.11, 132.78, 55.0;
    // k = 2, ceiling 167 raised to 170; y = 300 - 132.78 * 250 / 170 = 104.7, 300 - 80.9.
    {"SecondaryImpedanceHalfOhm",
     kI,
     kU,
     {true, 10, 9, 0.5f},
     {{"1", "0.10", "132.7"}, {"2", "0.40", "55.0"}},
     {{290, 104}, {320, 219}},
     4,
     170},
    // Z2 = 2 ohm, 5 % and 1 A: M = 20 I; ZII = (U - 2 I) / (19 I) - 2 = 50.53, 76.84, 61.05,
    // 24.21; k = 2, ceiling 77 to 80; M ceiling 1 (0.2), 2 (1.0), 5 (4.0) raised to 8.
    {"SecondaryImpedanceTwoOhm5Percent1A",
     kI,
     kU,
     {false, 20, 19, 2.0f},
     {{"1", "1.00", "61.0"}, {"2", "4.00", "24.2"}},
     {{330, 109}, {480, 224}},
     8,
     80},
    // A zero current after the origin (point 2) is skipped; Z then peaks at point 3
    // (133.3 over the ceiling 112), so only point 4 is listed; the ceiling 134 rises to 135.
    {"ZeroCurrentBeforePeakSkipped",
     {0, 0.01f, 0, 0.05f, 0.2f},
     {0, 10, 5, 60, 100},
     {true, 10, 9, 0},
     {{"1", "0.40", "55.5"}},
     {{320, 197}},
     4,
     135},
    // A zero current after the peak (point 3) is neither listed nor drawn; the rows stay
    // numbered 1, 2, ... and k keeps counting the arrays' points.
    {"ZeroCurrentAfterPeakSkipped",
     {0, 0.01f, 0.02f, 0, 0.2f},
     {0, 10, 30, 7, 100},
     {true, 10, 9, 0},
     {{"1", "0.40", "55.5"}},
     {{320, 218}},
     4,
     170},
    // Z equal to the ceiling counts (">="): Z = 10 then exactly 11 moves k to point 2.
    {"ImpedanceReachingTheCeilingMovesK",
     {0, 0.125f, 0.125f, 0.125f},
     {0, 11.25f, 12.375f, 5.625f},
     {true, 10, 9, 0},
     {{"1", "0.25", "5.0"}},
     {{305, 216}},
     4,
     15},
    // M equal to the ceiling counts too: M = 3.5 (ceiling 4), then exactly 4.0 (ceiling 5, to 8).
    {"MultipleReachingTheCeilingRaisesIt",
     {0, 1.75f, 2.0f},
     {0, 157.5f, 90},
     {true, 10, 9, 0},
     {{"1", "4.00", "5.0"}},
     {{480, 216}},
     8,
     15},
    // The texts cut rather than round: M = 0.256 shows 0.25, Z = 8.68 shows 8.6.
    {"TextsAreCutNotRounded",
     {0, 0.01f, 0.128f},
     {0, 10, 10},
     {true, 10, 9, 0},
     {{"1", "0.25", "8.6"}},
     {{305, 281}},
     4,
     115},
    // Only zero currents: nothing listed, both scales 0.
    {"OnlyZeroCurrents", {0, 0, 0}, {0, 5, 10}, {true, 10, 9, 0}, {}, {}, 0, 0},
    // Only the origin: the list stays empty and both full scales become 0.
    {"OnlyTheOrigin", {0}, {0}, {true, 10, 9, 0}, {}, {}, 0, 0},
    // Z rising to the last point (10 then 20): k is the last point, nothing is listed.
    {"PeakAtLastPoint", {0, 0.125f, 0.25f}, {0, 11.25f, 45}, {true, 10, 9, 0}, {}, {}, 4, 25},
};

INSTANTIATE_TEST_SUITE_P(Curves, ErrorCurve, ::testing::ValuesIn(kCurveCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ErrorCurveCalc, NoEntriesChangeNothing) {
    EXPECT_FALSE(CalcErrorCurve({}, {}, ErrorCurveParams{}).has_value());
}

TEST(ErrorCurveCalc, NegativeAndTinyCurrentsDoNotFail) {
    // A negative current never raises the ceilings; with no ceiling at all (k = 0) every point
    // is listed, and none is drawn while a full scale is 0.
    const std::vector<float> i = {0, -0.1f, -0.2f};
    const std::vector<float> u = {0, 10, 20};
    const auto r = CalcErrorCurve(i, u, ErrorCurveParams{});
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->maxMultiple, 0);
    EXPECT_EQ(r->maxImpedance, 0);
    EXPECT_EQ(r->rows.size(), 2u);
    EXPECT_TRUE(r->points.empty());
    // A denormal current gives an enormous Z; the ceiling is held, no overflow.
    const std::vector<float> tiny = {0, 1e-40f, 0.1f};
    const auto t = CalcErrorCurve(tiny, std::vector<float>{0, 100, 10}, ErrorCurveParams{});
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->maxImpedance % 5, 0);
    EXPECT_GT(t->maxImpedance, 1000000);
    ASSERT_EQ(t->rows.size(), 1u);
    EXPECT_EQ(t->points.size(), 1u);
}

TEST(ErrorCurveCalc, ShorterVoltageArrayIsNotReadPast) {
    const std::vector<float> i = {0, 0.01f, 0.02f, 0.05f, 0.2f};
    const std::vector<float> u = {0, 10, 30};
    const auto r = CalcErrorCurve(i, u, ErrorCurveParams{});
    ASSERT_TRUE(r.has_value());
    EXPECT_TRUE(r->rows.empty()); // k = 2 is the last point read
    EXPECT_EQ(r->maxImpedance, 170);
}

} // namespace
