// The results archive: recording a result, storing an upload, finding results in a large archive
// and what a curve costs on disk. The archive lives on the file system of the user's data
// folder, where the program keeps it, so that the synchronous writes cost what they cost there.
#include "benchkit.h"
#include "figures.h"

#include "link/testkinds.h"
#include "sim/excitationreply.h"
#include "sim/historyreplies.h"
#include "state/resultarchive.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVariant>

#include <cmath>
#include <cstdio>
#include <memory>

namespace bench {
namespace {

// Rows the archive window reads at a time.
constexpr int kPageRows = 200;
// Distinct results recorded through the archive; the large archive holds copies of them moved
// back in time by a week each.
constexpr int kSeedResults = 1000;
constexpr int kUploadRecords = 300;
constexpr int kCurvePoints = 255;

const QDateTime kNewest(QDate(2026, 12, 9), QTime(17, 0), Qt::UTC);

QByteArray Bytes(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// A saturating curve of kCurvePoints points in the instrument's steps (1 mA, 0.1 V).
sim::ExcitationResult Curve() {
    sim::ExcitationResult curve{412.5, 0.318, {}};
    for (int i = 1; i <= kCurvePoints; ++i) {
        const double f = double(i) / kCurvePoints;
        curve.points.push_back(
            {std::round(5000 * std::pow(f, 6)) / 1000, std::round(4800 * std::pow(f, 0.2)) / 10});
    }
    return curve;
}

QByteArray CurveReply(unsigned char code) {
    return Bytes(sim::EncodeExcitationReply(code, Curve()));
}

// The decoded curve as the archive keeps it beside the reply: knee and points in JSON.
QJsonObject CurveValues() {
    const sim::ExcitationResult curve = Curve();
    QJsonArray points;
    for (const sim::ExcitationPoint& p : curve.points)
        points.append(QJsonArray{p.current, p.voltage});
    return {{"type", "excitation"},
            {"kneeVoltage", curve.kneeVoltage},
            {"kneeCurrent", curve.kneeCurrent},
            {"claimedPoints", kCurvePoints},
            {"points", points}};
}

QByteArray RecordReply() {
    sim::HistoryRecord record{26, 12, 9, 10, 30, 0, 3, 1, 1, "110kV", "1#", "A"};
    record.kneeVoltageRaw = 10300;
    record.kneeCurrentRaw = 190;
    record.testVoltage = 2000;
    record.testCurrent = 5;
    for (int i = 1; i <= kCurvePoints; ++i) {
        record.currents.push_back(std::int16_t(i * 19));
        record.voltages.push_back(std::int16_t(4800 - 4800 / i));
    }
    return Bytes(sim::EncodeHistoryRecord(0xE5, record));
}

// Result number i of a day's work: every kind in turn, forty lines, a dozen sites.
ArchivedResult Result(int i) {
    static const QByteArray ctCurve = CurveReply(0x1A);
    static const QByteArray ptCurve = CurveReply(0x1F);
    static const QJsonObject curveValues = CurveValues();
    static const QStringList testers = {"zhang", "wang", "li", "zhao"};
    ArchivedResult r;
    r.recordedAt = kNewest.addSecs(-600LL * i);
    r.testKind = i % tarvex::kTestKindCount;
    r.line = QString("%1#进线").arg(i % 40 + 1);
    r.group = QString("%1组").arg(i % 3 + 1);
    r.phase = QString("ABC"[i % 3]);
    r.deviceNumber = "TX2026";
    r.tester = testers[i % testers.size()];
    r.site = QString("%1号变电站").arg(i % 12 + 1);
    r.instrumentModel = "AB";
    r.deviceInfo = QByteArray("\x55\xAA\xE0\xAB\xA1\xA1", 6);
    r.parameters = {{"testVoltage", 2000}, {"testCurrent", 5}};
    if (r.testKind == tarvex::kCtExcitationKind || r.testKind == tarvex::kPtExcitationKind) {
        r.rawReply = r.testKind == tarvex::kCtExcitationKind ? ctCurve : ptCurve;
        r.keyValues = curveValues;
    } else {
        r.rawReply = QByteArray(24, '\x31');
        r.keyValues = {{"type", "burden"}, {"value", 1.25}};
    }
    return r;
}

ArchivedResult Record(int i) {
    static const QByteArray reply = RecordReply();
    static const QJsonObject values = CurveValues();
    ArchivedResult r = Result(i);
    r.testKind = tarvex::kCtExcitationKind;
    r.source = ResultSource::UploadedRecord;
    r.recordTestTime = r.recordedAt.addDays(-30);
    r.rawReply = reply;
    r.keyValues = values;
    return r;
}

// Adds `copies` copies of the first kSeedResults rows, each set a week further back, in one
// transaction through a connection of its own (the archive itself writes one synchronous
// transaction per result, which would take minutes for a hundred thousand). The rows the file
// then holds; -1 when a step failed.
qint64 AddWeeksBack(const QString& path, int copies) {
    qint64 rows = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "bench-fill");
        db.setDatabaseName(path);
        QSqlQuery query(db);
        QStringList columns, values;
        if (!db.open() || !query.exec("PRAGMA table_info(results)"))
            return -1;
        while (query.next()) {
            const QString column = query.value(1).toString();
            if (column == "id")
                continue;
            columns << column;
            values << (column == "recorded_at" ? "strftime('%Y-%m-%dT%H:%M:%fZ', recorded_at, ?)"
                                               : column);
        }
        query.finish();
        bool done = query.exec("BEGIN");
        for (int week = 1; done && week <= copies; ++week) {
            query.prepare(QString("INSERT INTO results (%1) SELECT %2 FROM results WHERE id <= ?")
                              .arg(columns.join(','), values.join(',')));
            query.addBindValue(QString("-%1 days").arg(7 * week));
            query.addBindValue(kSeedResults);
            done = query.exec();
        }
        if (done && query.exec("COMMIT") && query.exec("SELECT count(*) FROM results") &&
            query.next())
            rows = query.value(0).toLongLong();
    }
    QSqlDatabase::removeDatabase("bench-fill");
    return rows;
}

// Each search the window makes, as a first page of rows.
void ReportSearches(CResultArchive& archive, int runs) {
    const QDateTime monthStart = kNewest.addDays(-365);
    const struct {
        const char* key;
        ArchiveFilter filter;
    } searches[] = {
        {"page_ms", {}},
        {"filter_ms.kind", {tarvex::kPtRatioKind, {}, {}, {}}},
        {"filter_ms.month", {-1, monthStart, monthStart.addDays(30), {}}},
        {"filter_ms.line", {-1, {}, {}, "17#进线"}},
        {"filter_ms.nothing", {-1, {}, {}, "无此线路"}},
        {"filter_ms.all", {tarvex::kCtExcitationKind, monthStart, monthStart.addDays(30), "zhao"}},
    };
    for (const auto& search : searches) {
        qsizetype rows = 0;
        for (int run = 0; run < runs; ++run) {
            const std::int64_t start = NowNs();
            rows = archive.Recent(kPageRows, search.filter).size();
            Report(search.key, MsSince(start));
        }
        Report(std::string(search.key) + ".rows", double(rows));
    }
}

qint64 FileBytes(const QString& path) {
    return QFileInfo(path).size();
}

// "size_per_1000_kb": the file's growth by a thousand CT excitation results of 255 points, once
// the write-ahead log has gone back into it (the archive closed).
bool ReportCurveSize(const QString& folder) {
    const QString path = folder + "/curves.sqlite";
    {
        CResultArchive archive(path);
        if (!archive.IsOpen())
            return false;
    }
    const qint64 empty = FileBytes(path);
    {
        CResultArchive archive(path);
        for (int i = 0; i < 1000; ++i) {
            if (!archive.Record(Result(i * tarvex::kTestKindCount))) // CT excitation
                return false;
        }
    }
    Report("size_per_1000_kb", double(FileBytes(path) - empty) / 1024);
    return true;
}

} // namespace

// archive [--runs 20] [--results 100000]: "record_ms" (one result, synchronous write) and
// "upload_store_ms" (300 uploaded records, a transaction each) on an archive of --results
// results; "open_ms" (opening that archive: integrity check, schema); "page_ms" and
// "filter_ms.<search>" (a first page of rows, plain and through each filter; ".rows" found);
// "size_per_1000_kb". --keep yes leaves the archives in the data folder (their path on standard
// error) for a look.
int ArchiveMain(int argc, char** argv) {
    const int runs = std::stoi(Option(argc, argv, "--runs", "20"));
    const int results = std::stoi(Option(argc, argv, "--results", "100000"));
    QCoreApplication qt(argc, argv);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    QDir().mkpath(data);
    QTemporaryDir folder(data + "/tarvex-bench-XXXXXX");
    if (!folder.isValid())
        return 1;
    if (Option(argc, argv, "--keep", "no") == "yes") {
        folder.setAutoRemove(false);
        std::fprintf(stderr, "archive kept in %s\n", qPrintable(folder.path()));
    }
    const QString path = folder.filePath("archive.sqlite");
    {
        CResultArchive archive(path);
        for (int i = 0; i < kSeedResults; ++i) {
            if (!archive.Record(Result(i)))
                return 1;
        }
    }
    const qint64 rows = AddWeeksBack(path, results / kSeedResults - 1);
    if (rows < 0)
        return 1;
    Report("results", double(rows));

    const std::int64_t opening = NowNs();
    auto archive = std::make_unique<CResultArchive>(path);
    Report("open_ms", MsSince(opening));
    ReportSearches(*archive, runs);

    for (int run = 0; run < runs; ++run) {
        const ArchivedResult r = Result(run);
        const std::int64_t start = NowNs();
        if (!archive->Record(r))
            return 1;
        Report("record_ms", MsSince(start));
    }
    const std::int64_t upload = NowNs();
    std::vector<double> each;
    for (int i = 0; i < kUploadRecords; ++i) {
        const std::int64_t start = NowNs();
        if (!archive->Record(Record(i)))
            return 1;
        each.push_back(MsSince(start));
    }
    Report("upload_store_ms", MsSince(upload));
    Report("upload_record_median_ms", Median(each));
    Report("upload_record_max_ms", Max(each));
    archive.reset();
    return ReportCurveSize(folder.path()) ? 0 : 1;
}

} // namespace bench
