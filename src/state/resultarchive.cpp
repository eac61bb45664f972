#include "resultarchive.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>

#include <iterator>

namespace {

// search_text = line, group, site and tester of the row (`row` "NEW." in a trigger), apart, with
// ASCII letters in lower case.
QString SearchText(const QString& row) {
    QStringList fields;
    for (const char* column : {"line_name", "group_name", "site", "tester"})
        fields << QString("ifnull(%1%2, '')").arg(row, column);
    return "search_text = lower(" + fields.join(" || char(31) || ") + ")";
}

// Each step brings the file from the version of its index to the next; a later version adds a
// step and never changes an earlier one, as files written by it are in users' hands.
const QStringList kMigrationSteps[] = {
    {"CREATE TABLE results ("
     " id INTEGER PRIMARY KEY AUTOINCREMENT,"
     " recorded_at TEXT NOT NULL,"
     " test_kind INTEGER NOT NULL,"
     " source INTEGER NOT NULL,"
     " record_time TEXT,"
     " line_name TEXT, group_name TEXT, phase TEXT, device_number TEXT,"
     " tester TEXT, site TEXT, instrument_model TEXT,"
     " device_info BLOB, raw_reply BLOB,"
     " parameters TEXT, key_values TEXT)"},
    {"CREATE INDEX results_recorded_at ON results (recorded_at)",
     "CREATE INDEX results_test_kind ON results (test_kind, recorded_at)"},
    // The free-text filter reads one lower-case column of the index that orders the list, instead
    // of four columns of every row; triggers keep the column, also when a program of an earlier
    // version writes here.
    {"ALTER TABLE results ADD COLUMN search_text TEXT", "UPDATE results SET " + SearchText(""),
     "CREATE TRIGGER results_search_insert AFTER INSERT ON results BEGIN"
     " UPDATE results SET " +
         SearchText("NEW.") + " WHERE id = NEW.id; END",
     "CREATE TRIGGER results_search_update AFTER UPDATE OF line_name, group_name, site, tester"
     " ON results BEGIN UPDATE results SET " +
         SearchText("NEW.") + " WHERE id = NEW.id; END",
     "DROP INDEX results_recorded_at",
     "CREATE INDEX results_search ON results (recorded_at, id, search_text)"},
};

const char kColumns[] = "id, recorded_at, test_kind, source, record_time, line_name, group_name,"
                        " phase, device_number, tester, site, instrument_model, device_info,"
                        " raw_reply, parameters, key_values";

// A writer waits this long for another program's transaction to end.
constexpr int kBusyTimeoutMs = 2000;

// UTC to the millisecond, fixed width, so text order is time order.
QString TimeText(const QDateTime& time) {
    return time.isValid() ? time.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QDateTime TextTime(const QVariant& text) {
    return text.isNull() ? QDateTime() : QDateTime::fromString(text.toString(), Qt::ISODateWithMs);
}

QString JsonText(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QJsonObject TextJson(const QVariant& text) {
    return QJsonDocument::fromJson(text.toByteArray()).object();
}

// The primary SQLite result code of an error (the driver may give an extended one).
int SqliteCode(const QSqlError& error) {
    return error.nativeErrorCode().toInt() & 0xff;
}

bool IsDamageCode(int code) {
    return code == 11 /*SQLITE_CORRUPT*/ || code == 26 /*SQLITE_NOTADB*/;
}

QString CauseText(const QSqlError& error) {
    switch (SqliteCode(error)) {
    case 5: // SQLITE_BUSY
    case 6: // SQLITE_LOCKED
        return "文件被其他程序长时间占用";
    case 8: // SQLITE_READONLY
        return "文件只读";
    case 10: // SQLITE_IOERR
        return "文件读写出错";
    case 13: // SQLITE_FULL
        return "磁盘已满";
    case 14: // SQLITE_CANTOPEN
        return "无法打开文件";
    default:
        return QString("数据库出错（%1）").arg(error.text());
    }
}

ArchivedResult ReadRow(const QSqlQuery& query) {
    ArchivedResult result;
    result.id = query.value(0).toLongLong();
    result.recordedAt = TextTime(query.value(1));
    result.testKind = query.value(2).toInt();
    result.source = static_cast<ResultSource>(query.value(3).toInt());
    result.recordTestTime = TextTime(query.value(4));
    result.line = query.value(5).toString();
    result.group = query.value(6).toString();
    result.phase = query.value(7).toString();
    result.deviceNumber = query.value(8).toString();
    result.tester = query.value(9).toString();
    result.site = query.value(10).toString();
    result.instrumentModel = query.value(11).toString();
    result.deviceInfo = query.value(12).toByteArray();
    result.rawReply = query.value(13).toByteArray();
    result.parameters = TextJson(query.value(14));
    result.keyValues = TextJson(query.value(15));
    return result;
}

void BindRow(QSqlQuery& query, const ArchivedResult& result) {
    const QDateTime recordedAt =
        result.recordedAt.isValid() ? result.recordedAt : QDateTime::currentDateTimeUtc();
    query.addBindValue(TimeText(recordedAt));
    query.addBindValue(result.testKind);
    query.addBindValue(static_cast<int>(result.source));
    query.addBindValue(result.recordTestTime.isValid() ? QVariant(TimeText(result.recordTestTime))
                                                       : QVariant());
    for (const QString* text : {&result.line, &result.group, &result.phase, &result.deviceNumber,
                                &result.tester, &result.site, &result.instrumentModel})
        query.addBindValue(*text);
    // A null blob stays distinguishable from an empty one only by size; both read back empty.
    query.addBindValue(result.deviceInfo);
    query.addBindValue(result.rawReply);
    query.addBindValue(JsonText(result.parameters));
    query.addBindValue(JsonText(result.keyValues));
}

// The file, its log files and its folder (where the log files are made) may be written.
bool IsWritableFile(const QString& path) {
    for (const QString& file : {path, path + "-wal", path + "-shm"}) {
        const QFileInfo info(file);
        if (info.exists() && !info.isWritable())
            return false;
    }
    return QFileInfo(QFileInfo(path).absolutePath()).isWritable();
}

} // namespace

int CResultArchive::SchemaVersion() {
    return static_cast<int>(std::size(kMigrationSteps));
}

// The user's data folder ($XDG_DATA_HOME, by default ~/.local/share), in the folder named as the
// one of the configuration.
QString CResultArchive::DefaultPath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           "/tarvex/archive.sqlite";
}

CResultArchive::CResultArchive(const QString& path) : m_path(path) {
    static QAtomicInteger<quint64> instances;
    m_connection = QString("tarvex-archive-%1").arg(instances.fetchAndAddRelaxed(1));

    if (m_path != kInMemory && !PrepareFile())
        return;
    if (!Open())
        return;
    switch (Check()) {
    case FileState::Sound:
        break;
    case FileState::Unreadable:
        Close();
        return;
    case FileState::Damaged:
        Close();
        if (!SetAside() || !Open())
            return;
        break;
    }
    if (!Exec("PRAGMA journal_mode=WAL") || !Exec("PRAGMA synchronous=FULL") || !Migrate())
        Close();
}

bool CResultArchive::PrepareFile() {
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) {
        m_fault = "无法打开文件";
        return false;
    }
    // SQLite would fall back to reading a file it may not write, and leave log files behind
    // that a later writer could not use; a read-only archive is not opened at all.
    if (!IsWritableFile(m_path)) {
        m_fault = "文件只读";
        return false;
    }
    return true;
}

CResultArchive::~CResultArchive() {
    Close();
}

bool CResultArchive::IsOpen() const {
    return m_db.isOpen();
}

bool CResultArchive::Open() {
    m_db = QSqlDatabase::addDatabase("QSQLITE", m_connection);
    if (!m_db.isValid()) {
        m_fault = "缺少 SQLite 驱动";
        return false;
    }
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(QString("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!m_db.open()) {
        NoteFault(m_db.lastError());
        Close();
        return false;
    }
    return true;
}

void CResultArchive::Close() {
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

// Only damage counts as damage; a busy or unreadable file is another fault and stays in place.
CResultArchive::FileState CResultArchive::Check() {
    QSqlQuery query(m_db);
    if (!query.exec("PRAGMA quick_check")) {
        NoteFault(query.lastError());
        return IsDamageCode(SqliteCode(query.lastError())) ? FileState::Damaged
                                                           : FileState::Unreadable;
    }
    return query.next() && query.value(0).toString() == "ok" ? FileState::Sound
                                                             : FileState::Damaged;
}

// Renames the file (and its log files) aside, never over another file.
bool CResultArchive::SetAside() {
    const QString stamp = QDateTime::currentDateTime().toString("yyyyMMdd-HHmmss");
    QString aside = m_path + ".damaged-" + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = QString("%1.damaged-%2-%3").arg(m_path, stamp).arg(n);
    if (!QFile::rename(m_path, aside)) {
        m_fault = "文件已损坏，无法另存";
        return false;
    }
    for (const char* suffix : {"-wal", "-shm"}) {
        if (QFileInfo::exists(m_path + suffix))
            QFile::rename(m_path + suffix, aside + suffix);
    }
    m_fault = "文件已损坏，已另存为 " + QFileInfo(aside).fileName();
    return true;
}

// Brings the file to the current version, one step a transaction; the version is read inside
// the write transaction, so two programs starting together do not both run a step.
bool CResultArchive::Migrate() {
    for (;;) {
        if (!Exec("BEGIN IMMEDIATE"))
            return false;
        QSqlQuery query(m_db);
        if (!query.exec("PRAGMA user_version") || !query.next()) {
            NoteFault(query.lastError());
            Exec("ROLLBACK");
            return false;
        }
        const int version = query.value(0).toInt();
        query.finish();
        // A file of a later version only has more; this program reads and writes its columns.
        if (version >= SchemaVersion())
            return Exec("COMMIT");
        for (const QString& sql : kMigrationSteps[version]) {
            if (!Exec(sql)) {
                Exec("ROLLBACK");
                return false;
            }
        }
        if (!Exec(QString("PRAGMA user_version=%1").arg(version + 1)) || !Exec("COMMIT")) {
            Exec("ROLLBACK");
            return false;
        }
    }
}

bool CResultArchive::Exec(const QString& sql) {
    QSqlQuery query(m_db);
    if (query.exec(sql))
        return true;
    NoteFault(query.lastError());
    return false;
}

QString CResultArchive::NoteFault(const QSqlError& error) {
    m_fault = CauseText(error);
    return m_fault;
}

ArchiveWrite CResultArchive::Record(const ArchivedResult& result) {
    if (!IsOpen())
        return {0, m_fault.isEmpty() ? QString("无法打开文件") : m_fault};
    // A record uploaded is still held by the instrument: its commit survives the program's end
    // but waits for no disk sync, so an upload of hundreds is not held up by as many syncs. A
    // result measured now exists nowhere else and is synced before it is shown.
    const bool heldElsewhere = result.source == ResultSource::UploadedRecord;
    if (heldElsewhere)
        Exec("PRAGMA synchronous=NORMAL");
    const ArchiveWrite written = Insert(result);
    if (heldElsewhere)
        Exec("PRAGMA synchronous=FULL");
    return written;
}

ArchiveWrite CResultArchive::Insert(const ArchivedResult& result) {
    if (!Exec("BEGIN IMMEDIATE"))
        return {0, m_fault};
    QSqlQuery query(m_db);
    query.prepare(QString("INSERT INTO results (%1) VALUES (NULL%2)")
                      .arg(kColumns, QString(", ?").repeated(15)));
    BindRow(query, result);
    if (!query.exec()) {
        const QString cause = NoteFault(query.lastError());
        Exec("ROLLBACK");
        return {0, cause};
    }
    const qint64 id = query.lastInsertId().toLongLong();
    query.finish();
    if (!Exec("COMMIT")) {
        const QString cause = m_fault;
        Exec("ROLLBACK");
        return {0, cause};
    }
    return {id, {}};
}

QList<ArchivedResult> CResultArchive::Recent(int limit, const ArchiveFilter& filter) {
    QList<ArchivedResult> results;
    if (!m_db.isOpen())
        return results;
    QStringList conditions{"1"};
    QVariantList values;
    const auto where = [&](const QString& condition, const QVariant& value) {
        conditions << condition;
        values << value;
    };
    if (filter.testKind >= 0)
        where("test_kind = ?", filter.testKind);
    if (filter.from.isValid())
        where("recorded_at >= ?", TimeText(filter.from));
    if (filter.to.isValid())
        where("recorded_at <= ?", TimeText(filter.to));
    if (!filter.text.isEmpty())
        where("instr(search_text, lower(?)) > 0", filter.text);
    if (filter.afterId > 0) {
        conditions << "(recorded_at < ? OR (recorded_at = ? AND id < ?))";
        values << TimeText(filter.afterRecordedAt) << TimeText(filter.afterRecordedAt)
               << filter.afterId;
    }
    QSqlQuery query(m_db);
    query.prepare(
        QString("SELECT %1 FROM results WHERE %2 ORDER BY recorded_at DESC, id DESC LIMIT ?")
            .arg(kColumns, conditions.join(" AND ")));
    for (const QVariant& value : values)
        query.addBindValue(value);
    query.addBindValue(limit > 0 ? limit : -1);
    if (!query.exec()) {
        NoteFault(query.lastError());
        return results;
    }
    while (query.next())
        results.append(ReadRow(query));
    return results;
}

bool CResultArchive::Remove(qint64 id) {
    if (!IsOpen())
        return false;
    QSqlQuery query(m_db);
    query.prepare("DELETE FROM results WHERE id = ?");
    query.addBindValue(id);
    if (!query.exec()) {
        NoteFault(query.lastError());
        return false;
    }
    return query.numRowsAffected() > 0;
}
