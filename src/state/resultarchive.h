#pragma once
#include "resultsource.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QSqlDatabase>
#include <QString>

// One row of the archive: one result as the instrument gave it, with what the operator typed.
struct ArchivedResult {
    qint64 id = 0;        // given by the archive
    QDateTime recordedAt; // when it was archived (now if left invalid); read back in UTC
    int testKind = -1;    // index into tarvex::kTestKinds
    ResultSource source = ResultSource::Instrument;
    QDateTime recordTestTime; // an uploaded record's own test time; invalid otherwise
    QString line;
    QString group;
    QString phase;
    QString deviceNumber;
    QString tester;
    QString site;
    QString instrumentModel;
    QByteArray deviceInfo; // the device-information reply
    QByteArray rawReply;   // the result reply, as received
    QJsonObject parameters;
    QJsonObject keyValues; // decoded values: knee, ratio, polarity, errors, burden, resistance
};

// What Recent() keeps; an empty field keeps everything.
struct ArchiveFilter {
    int testKind = -1;
    QDateTime from; // recordedAt >= from
    QDateTime to;   // recordedAt <= to
    QString text;   // found in line, group, site or tester (ASCII letters in any case)
    // Only the rows after this one in newest-first order (none: from the newest), so that a
    // long list is read a page at a time.
    QDateTime afterRecordedAt;
    qint64 afterId = 0;
};

// The outcome of a write: the new row's id, or 0 and the cause.
struct ArchiveWrite {
    qint64 id = 0;
    QString fault;
    explicit operator bool() const { return id > 0; }
};

// The results archive: one SQLite file in write-ahead-log mode, one transaction per result (synced
// to disk, except for records uploaded, which the instrument still holds), shared safely by several
// programs (each waits a moment for the others' writes). No call throws or blocks for long; a fault
// leaves a cause text (to follow "测试档案不可用："). A damaged file is renamed aside with the time
// in its name and a new archive started in its place. One thread per instance.
class CResultArchive {
  public:
    // The schema version this program writes (the file's PRAGMA user_version).
    static int SchemaVersion();
    // tarvex/archive.sqlite in the user's data folder.
    static QString DefaultPath();
    // The path of an archive kept in memory only, gone with its instance (for the fuzz targets).
    static constexpr const char* kInMemory = ":memory:";

    explicit CResultArchive(const QString& path = DefaultPath());
    ~CResultArchive();
    CResultArchive(const CResultArchive&) = delete;
    CResultArchive& operator=(const CResultArchive&) = delete;

    QString Path() const { return m_path; }
    // True when the archive is open: results can be written and read.
    bool IsOpen() const;
    // The cause of the last fault, empty when there was none; a damaged file set aside at opening
    // leaves its note here although the new archive works.
    QString Fault() const { return m_fault; }

    ArchiveWrite Record(const ArchivedResult& result);
    // Newest first; limit <= 0 reads all.
    QList<ArchivedResult> Recent(int limit, const ArchiveFilter& filter = {});
    // True when the row was there and is gone.
    bool Remove(qint64 id);

  private:
    enum class FileState { Sound, Damaged, Unreadable };

    // Makes the file's folder; false, with the cause, when the file cannot be written.
    bool PrepareFile();
    bool Open();
    FileState Check();
    bool SetAside();
    bool Migrate();
    void Close();
    ArchiveWrite Insert(const ArchivedResult& result);
    bool Exec(const QString& sql);
    QString NoteFault(const class QSqlError& error);

    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    QString m_fault;
};
