#include "history/comparechart.h"
#include "history/curvecompare.h"
#include "history/resultscsv.h"
#include "link/testkinds.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QRegularExpression>

namespace {

tarvex::ExcitationReply Curve(double kneeV, double kneeA,
                              std::vector<tarvex::ExcitationPoint> points) {
    return {kneeV, kneeA, int(points.size()), std::move(points)};
}

ArchivedResult Meta(int kind, const QString& line) {
    ArchivedResult r;
    r.recordedAt = QDateTime(QDate(2026, 12, 9), QTime(4, 5, 6), Qt::UTC);
    r.testKind = kind;
    r.line = line;
    return r;
}

// The CSV's records (after the byte-order mark), each split into fields as RFC 4180 reads them.
QList<QStringList> ParseCsv(const QByteArray& csv) {
    const QString text = QString::fromUtf8(csv.mid(3));
    QList<QStringList> records{{}};
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            field += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            records.back() << std::exchange(field, {});
        else if (!quoted && c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            records.back() << std::exchange(field, {});
            records << QStringList();
            ++i;
        } else
            field += c;
    }
    records.removeLast(); // after the last CR LF
    return records;
}

TEST(ResultsCsv, OneRowPerPointOrResultWithTypedTextsQuoted) {
    const tarvex::ExcitationReply curve = Curve(200, 0.5, {{0.1, 100}, {0.5, 200}, {2, 220}});
    struct Case {
        ArchivedResult row;
        std::optional<TestResult::Value> value; // none: a row this program cannot decode
        int rows;
        QString column;     // a header
        QStringList values; // that column, row by row
    };
    const Case cases[] = {
        {Meta(tarvex::kCtExcitationKind, "1#"), curve, 3, "电压(V)", {"100", "200", "220"}},
        {Meta(tarvex::kPtExcitationKind, "2#"), Curve(0, 0, {}), 1, "点号", {""}},
        {Meta(tarvex::kCtBurdenKind, "甲线,\"东\"\n2号"),
         BurdenResult{12.5},
         1,
         "线路",
         {"甲线,\"东\"\n2号"}},
        {Meta(tarvex::kPtBurdenKind, "3#"), BurdenResult{7}, 1, "二次负荷(VA)", {"7"}},
        {Meta(tarvex::kPtErrorKind, "4#"),
         tarvex::ErrorReply{{1, 2, 3}, {-0.1, 0.2, 0.3}},
         1,
         "比差 80%(%)",
         {"-0.1"}},
        {Meta(tarvex::kResistanceKind, "5#"),
         tarvex::ResistanceReply{12.5, true},
         1,
         "直流电阻(Ω)",
         {"0.0125"}},
        {Meta(tarvex::kCtRatioKind, "6#"), std::nullopt, 1, "测试类型", {"CT变比极性"}},
    };
    for (const Case& c : cases) {
        const QByteArray csv = ResultsCsv({c.row}, [&](const ArchivedResult&) { return c.value; });
        SCOPED_TRACE(csv.toStdString());
        EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF"));
        const QList<QStringList> records = ParseCsv(csv);
        ASSERT_EQ(records.size(), 1 + c.rows);
        const int column = records[0].indexOf(c.column);
        ASSERT_GE(column, 0);
        QStringList values;
        for (const QStringList& row : records.mid(1)) {
            ASSERT_EQ(row.size(), records[0].size());
            EXPECT_EQ(row[records[0].indexOf("线路")], c.row.line);
            const QString time = row[records[0].indexOf("时间")];
            EXPECT_TRUE(
                QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d(Z|[+-]\\d\\d:"
                                   "\\d\\d)$")
                    .match(time)
                    .hasMatch())
                << time.toStdString();
            EXPECT_EQ(QDateTime::fromString(time, Qt::ISODate), c.row.recordedAt);
            values << row[column];
        }
        EXPECT_EQ(values, c.values);
    }
}

TEST(CurveComparison, OpensWithEveryCurveOnAxesThatHoldTheLargest) {
    QWidget owner;
    const QList<ComparedCurve> curves = {
        {"2026-12-09 08:00 1#线/1组/A相", Curve(180, 0.2, {{0.1, 150}, {0.4, 190}})},
        {"2026-12-09 09:00 1#线/1组/B相", Curve(300, 1, {{3.7, 320}})},
        {"2026-12-09 10:00 2#线/2组/C相", Curve(1234, 0.3, {{0.5, 1100}})},
    };
    ShowCurveComparison(&owner, curves);
    auto* window = owner.findChild<QWidget*>("compareCurves");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isModal());
    EXPECT_EQ(window->windowTitle(), "比较曲线");

    auto* chart = window->findChild<CCompareChart*>();
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->CurveCount(), 3);
    EXPECT_GE(chart->CurrentFull(), 3.7);
    EXPECT_LE(chart->CurrentFull(), 2 * 3.7);
    EXPECT_GE(chart->VoltageFull(), 1234);
    EXPECT_LE(chart->VoltageFull(), 2 * 1234);

    auto* legend = window->findChild<QListWidget*>("legend");
    ASSERT_NE(legend, nullptr);
    ASSERT_EQ(legend->count(), curves.size());
    for (int i = 0; i < curves.size(); ++i) {
        EXPECT_EQ(legend->item(i)->text(), curves[i].label);
        for (int j = 0; j < i; ++j)
            EXPECT_NE(CCompareChart::CurveColour(i), CCompareChart::CurveColour(j));
    }
    window->close();
}

} // namespace
