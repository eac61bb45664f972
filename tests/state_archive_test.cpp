#include "state/resultarchive.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <csignal>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace {

const QDateTime kNoon(QDate(2026, 12, 9), QTime(12, 0), Qt::UTC);

ArchivedResult Sample(int kind, const QString& line, int minutes) {
    ArchivedResult r;
    r.recordedAt = kNoon.addSecs(minutes * 60);
    r.testKind = kind;
    r.line = line;
    return r;
}

// Runs SQL on the file outside the archive; returns the first column of the first row.
QVariant Sql(const QString& path, const QStringList& statements) {
    QVariant first;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "test-direct");
        db.setDatabaseName(path);
        db.open();
        for (const QString& sql : statements) {
            QSqlQuery query(db);
            if (query.exec(sql) && query.next())
                first = query.value(0);
        }
    }
    QSqlDatabase::removeDatabase("test-direct");
    return first;
}

TEST(ResultArchive, KeepsEveryField) {
    QTemporaryDir dir;
    ArchivedResult r = Sample(5, "线路1", 0);
    r.recordedAt = QDateTime(QDate(2026, 12, 9), QTime(11, 2, 3, 456), Qt::OffsetFromUTC, 8 * 3600);
    r.source = ResultSource::UploadedRecord;
    r.recordTestTime = QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5), Qt::UTC);
    r.group = "2组", r.phase = "B", r.deviceNumber = "PT-7", r.tester = "张三", r.site = "东站";
    r.instrumentModel = "AB";
    r.deviceInfo = QByteArray("\x55\xAA\xD0\x00\xAB", 5);
    r.rawReply = QByteArray("\x55\xAA\x2F\x00\xFD\xFA", 6);
    r.parameters = {{"ratio", 100}};
    r.keyValues = {{"polarity", "减极性"}, {"ratioError", -0.125}};
    CResultArchive archive(dir.filePath("a/archive.sqlite"));
    const ArchiveWrite written = archive.Record(r);
    ASSERT_TRUE(written) << written.fault.toStdString();
    r.id = written.id;

    const QList<ArchivedResult> read = CResultArchive(archive.Path()).Recent(1);
    ASSERT_EQ(read.size(), 1);
    const ArchivedResult& b = read[0];
    EXPECT_EQ(
        std::tie(b.id, b.testKind, b.source, b.line, b.group, b.phase, b.deviceNumber, b.tester,
                 b.site, b.instrumentModel, b.deviceInfo, b.rawReply, b.parameters, b.keyValues),
        std::tie(r.id, r.testKind, r.source, r.line, r.group, r.phase, r.deviceNumber, r.tester,
                 r.site, r.instrumentModel, r.deviceInfo, r.rawReply, r.parameters, r.keyValues));
    EXPECT_EQ(b.recordedAt, r.recordedAt);
    EXPECT_EQ(b.recordTestTime, r.recordTestTime);
}

TEST(ResultArchive, ReadsNewestFirstThroughFilters) {
    QTemporaryDir dir;
    CResultArchive archive(dir.filePath("archive.sqlite"));
    for (const ArchivedResult& r : {Sample(0, "甲线", 1), Sample(1, "乙线", 3),
                                    Sample(0, "丙线", 2), Sample(0, "50%_line", 4)})
        ASSERT_TRUE(archive.Record(r));
    ArchivedResult bySite = Sample(8, "", 5);
    bySite.site = "Alpha站";
    ASSERT_TRUE(archive.Record(bySite));

    struct Case {
        int limit;
        ArchiveFilter filter;
        QStringList lines; // newest first
    };
    const Case cases[] = {
        {3, {}, {"", "50%_line", "乙线"}},
        {0, {0, {}, {}, {}}, {"50%_line", "丙线", "甲线"}},
        {0, {-1, kNoon.addSecs(120), kNoon.addSecs(180), {}}, {"乙线", "丙线"}},
        {0, {-1, {}, {}, "线"}, {"乙线", "丙线", "甲线"}},
        {0, {-1, {}, {}, "%_"}, {"50%_line"}},
        {0, {-1, {}, {}, "alpha"}, {""}},
    };
    for (const Case& c : cases) {
        QStringList lines;
        for (const ArchivedResult& r : archive.Recent(c.limit, c.filter))
            lines << r.line;
        EXPECT_EQ(lines, c.lines) << c.filter.text.toStdString();
    }
    EXPECT_TRUE(archive.Remove(archive.Recent(1)[0].id));
    EXPECT_EQ(archive.Recent(0).size(), 4);
}

TEST(ResultArchive, MigratesEarlierVersions) {
    const QStringList versionOne = {
        "CREATE TABLE results (id INTEGER PRIMARY KEY AUTOINCREMENT, recorded_at TEXT NOT NULL,"
        " test_kind INTEGER NOT NULL, source INTEGER NOT NULL, record_time TEXT, line_name TEXT,"
        " group_name TEXT, phase TEXT, device_number TEXT, tester TEXT, site TEXT,"
        " instrument_model TEXT, device_info BLOB, raw_reply BLOB, parameters TEXT, key_values "
        "TEXT)",
        "INSERT INTO results (recorded_at, test_kind, source, line_name)"
        " VALUES ('2026-12-09T12:00:00.000Z', 2, 0, '旧线')",
        "PRAGMA user_version=1"};
    for (const QStringList& earlier : {QStringList(), versionOne}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("archive.sqlite");
        QFile(path).open(QIODevice::WriteOnly); // an empty file is an SQLite file of version 0
        Sql(path, earlier);
        CResultArchive archive(path);
        ASSERT_TRUE(archive.Record(Sample(3, "新线", 9))) << archive.Fault().toStdString();
        EXPECT_EQ(archive.Recent(0).size(), earlier.isEmpty() ? 1 : 2);
        // The text filter finds rows written before and after the migration.
        EXPECT_EQ(archive.Recent(0, {-1, {}, {}, "线"}).size(), earlier.isEmpty() ? 1 : 2);
        EXPECT_EQ(Sql(path, {"PRAGMA user_version"}).toInt(), CResultArchive::SchemaVersion());
        EXPECT_EQ(Sql(path, {"SELECT count(*) FROM sqlite_master WHERE type = 'index'"
                             " AND sql LIKE '%recorded_at%'"})
                      .toInt(),
                  2);
    }
}

TEST(ResultArchive, SetsDamagedFileAsideAndStartsAnew) {
    // Bytes from this offset on are overwritten: the header itself, or every page after it.
    for (const int from : {0, 100}) {
        QTemporaryDir dir;
        const QString path = dir.filePath("archive.sqlite");
        ASSERT_TRUE(CResultArchive(path).Record(Sample(0, "x", 0)));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        bytes.replace(from, bytes.size() - from, QByteArray(bytes.size() - from, '\x5A'));
        file.seek(0), file.write(bytes), file.close();

        CResultArchive archive(path);
        EXPECT_TRUE(archive.Fault().startsWith("文件已损坏，已另存为 archive.sqlite.damaged-"));
        const QStringList aside = QDir(dir.path()).entryList({"archive.sqlite.damaged-*"});
        ASSERT_EQ(aside.size(), 1);
        QFile kept(dir.filePath(aside[0]));
        EXPECT_TRUE(kept.open(QIODevice::ReadOnly) && kept.readAll() == bytes);
        EXPECT_TRUE(archive.Record(Sample(1, "y", 1)));
        EXPECT_EQ(archive.Recent(0).size(), 1);
    }
}

TEST(ResultArchive, UnusableFileGivesItsCause) {
    EXPECT_EQ(CResultArchive("/proc/tarvex/archive.sqlite").Record(Sample(0, "x", 0)).fault,
              "无法打开文件");
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes a read-only file; the read-only case runs as a user";
    QTemporaryDir dir;
    const QString path = dir.filePath("archive.sqlite");
    ASSERT_TRUE(CResultArchive(path).Record(Sample(0, "x", 0)));
    QFile::setPermissions(path, QFile::ReadOwner);
    CResultArchive archive(path);
    EXPECT_EQ(archive.Fault(), "文件只读");
    EXPECT_EQ(archive.Record(Sample(0, "y", 1)).fault, "文件只读");
    // Nothing is left behind that would keep the file read-only once it may be written again.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(CResultArchive(path).Recent(0).size(), 1);
}

// Forks a child that records and then is killed, as by a power cut; returns its pid.
pid_t RecordInChild(const QString& path, int count) {
    const pid_t pid = fork();
    if (pid == 0) {
        CResultArchive archive(path);
        for (int i = 0; i < count; ++i)
            archive.Record(Sample(0, "child", i));
        raise(SIGKILL);
        _exit(0);
    }
    return pid;
}

// Three writers on one file, one of them killed right after its last write: every result is kept.
TEST(ResultArchive, TwoProgramsOnOneFileKeepAllResults) {
    QTemporaryDir dir;
    const QString path = dir.filePath("archive.sqlite");
    CResultArchive first(path), second(path);
    const pid_t child = RecordInChild(path, 40);
    int kept = 0;
    for (int i = 0; i < 20; ++i)
        kept +=
            bool(first.Record(Sample(1, "first", i))) + bool(second.Record(Sample(2, "second", i)));
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(kept, 40);
    EXPECT_EQ(CResultArchive(path).Recent(0).size(), 80);
}

} // namespace
