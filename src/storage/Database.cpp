#include "storage/Database.h"

#include "storage/BatchHold.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <atomic>
#include <cmath>
#include <limits>
#include <mutex>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace springtest {

namespace {

// The files this program has open, counted per file. IsFileInUse answers from here for our own files and
// probes the others while holding the same lock, so that no Database opens a file in the middle of a probe
// (see heldByAnotherProcess for why that matters).
struct OpenFiles {
    std::mutex mutex;
    QHash<QString, int> count;
};

OpenFiles& openFiles() {
    static OpenFiles files;
    return files;
}

std::atomic<quint64> g_connectionSerial{0};

QString errorText(const QSqlError& error) {
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

QVariant storedValue(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::QString:
            return value.toString().isEmpty() ? QVariant() : value;
        case QMetaType::Bool:
            return value.toBool() ? 1 : 0;
        case QMetaType::QDateTime:
            return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        default:
            return value;
    }
}

}  // namespace

QString withReason(const QString& message, const QString& reason) {
    return reason.isEmpty() ? message : message + QLatin1Char(' ') + reason;
}

QString fileKey(const QString& path) {
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

// --- DbRow ---

const QStringList& DbRow::columns() const {
    static const QStringList none;
    return m_columns ? *m_columns : none;
}

int DbRow::indexOf(const QString& column) const {
    if (!m_columns) return -1;
    for (int i = 0; i < m_columns->size(); ++i) {
        if (m_columns->at(i).compare(column, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QVariant DbRow::value(const QString& column) const {
    const int i = indexOf(column);
    return i < 0 ? QVariant() : m_values.value(i);
}

bool DbRow::isEmpty(const QString& column) const {
    const QVariant v = value(column);
    return v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty());
}

QString DbRow::text(const QString& column) const {
    const QVariant v = value(column);
    return v.isNull() ? QString() : v.toString();
}

double DbRow::toDouble(const QString& column, double def) const {
    const QVariant v = value(column);
    if (v.isNull()) return def;
    bool ok = false;
    const double d =
        v.typeId() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    return ok && std::isfinite(d) ? d : def;
}

int DbRow::toInt(const QString& column, int def) const {
    const QVariant v = value(column);
    if (v.isNull()) return def;
    bool ok = false;
    const int i = v.typeId() == QMetaType::QString ? v.toString().trimmed().toInt(&ok) : v.toInt(&ok);
    if (ok) return i;
    // "3.0" typed where a count was meant
    const double d = toDouble(column, std::numeric_limits<double>::quiet_NaN());
    if (std::isnan(d) || d < std::numeric_limits<int>::min() || d > std::numeric_limits<int>::max())
        return def;
    return static_cast<int>(std::lround(d));
}

bool DbRow::toBool(const QString& column) const {
    const QVariant v = value(column);
    if (v.isNull()) return false;
    if (v.typeId() == QMetaType::QString) return QVariant(v.toString().trimmed()).toBool();
    return v.toBool();
}

QDateTime DbRow::toDateTime(const QString& column) const {
    const QVariant v = value(column);
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime();
    const QString s = text(column).trimmed();
    if (s.isEmpty()) return {};
    for (const QString& format :
         {QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"), QStringLiteral("yyyy-MM-dd HH:mm:ss")}) {
        const QDateTime t = QDateTime::fromString(s, format);
        if (t.isValid()) return t;
    }
    return QDateTime::fromString(s, Qt::ISODateWithMs);
}

// --- Database ---

Database::Database(const QString& path, OpenMode mode)
    : m_path(path), m_connectionName(QStringLiteral("springtest-db-%1").arg(++g_connectionSerial)) {
    if (mode != OpenMode::CreateIfMissing && !QFileInfo(path).isFile()) {
        m_error = QStringLiteral("文件不存在: %1").arg(QFileInfo(path).absoluteFilePath());
        return;
    }
    {
        OpenFiles& files = openFiles();
        const std::lock_guard lock(files.mutex);
        m_registeredKey = fileKey(path);
        ++files.count[m_registeredKey];
    }
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    if (!m_db.isValid()) {
        m_error = errorText(m_db.lastError());
        return;
    }
    const QFileInfo file(path);
    m_readOnly = mode == OpenMode::ExistingMaybeReadOnly && !QFileInfo(file.absolutePath()).isWritable();
    if (m_readOnly) {
        // A URI, so the path is percent-encoded: "?" and "#" in a folder name stay part of the path.
        m_db.setDatabaseName(QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded) +
                             QStringLiteral("?immutable=1"));
        m_db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"));
    } else {
        m_db.setDatabaseName(path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeout_ms));
    }
    if (!m_db.open()) {
        m_error = errorText(m_db.lastError());
        return;
    }
    m_open = true;
    if (m_readOnly) return;
    // A file held in another journal mode by someone else keeps that mode; the database still works, so
    // failing to switch is no reason to refuse it.
    QSqlQuery wal(m_db);
    wal.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
}

Database::~Database() {
    if (m_inTransaction) rollback();
    m_insert.reset();
    if (m_db.isValid()) m_db.close();
    m_db = QSqlDatabase();
    if (QSqlDatabase::contains(m_connectionName)) QSqlDatabase::removeDatabase(m_connectionName);
    if (!m_registeredKey.isEmpty()) {
        OpenFiles& files = openFiles();
        const std::lock_guard lock(files.mutex);
        if (--files.count[m_registeredKey] <= 0) files.count.remove(m_registeredKey);
    }
}

bool Database::fail(const QString& error) {
    m_error = error;
    return false;
}

bool Database::run(QSqlQuery& query, const QVariantList& params) {
    for (int i = 0; i < params.size(); ++i) query.bindValue(i, params[i]);
    if (!query.exec()) return fail(errorText(query.lastError()));
    return true;
}

std::optional<QList<DbRow>> Database::select(const QString& sql, const QVariantList& params) {
    if (!m_open) return std::nullopt;
    QSqlQuery query(m_db);
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        fail(errorText(query.lastError()));
        return std::nullopt;
    }
    if (!run(query, params)) return std::nullopt;

    const QSqlRecord record = query.record();
    auto names = std::make_shared<QStringList>();
    for (int i = 0; i < record.count(); ++i) names->append(record.fieldName(i));
    QList<DbRow> rows;
    while (query.next()) {
        QVariantList values;
        values.reserve(names->size());
        for (int i = 0; i < names->size(); ++i) values.append(query.value(i));
        rows.append(DbRow(names, std::move(values)));
    }
    if (query.lastError().isValid()) {
        fail(errorText(query.lastError()));
        return std::nullopt;
    }
    return rows;
}

bool Database::exec(const QString& sql, const QVariantList& params) {
    if (!m_open) return false;
    QSqlQuery query(m_db);
    if (!query.prepare(sql)) return fail(errorText(query.lastError()));
    return run(query, params);
}

bool Database::insertRow(const QString& table, const QVariantMap& values) {
    if (!m_open) return false;
    QStringList names;
    QVariantList stored;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        names << quoteName(it.key());
        stored << storedValue(it.value());
    }
    const QString sql =
        names.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(table))
                        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                              .arg(quoteName(table), names.join(QStringLiteral(", ")),
                                   QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    if (!m_insert || sql != m_insertSql) {
        m_insert = std::make_unique<QSqlQuery>(m_db);
        m_insertSql.clear();
        if (!m_insert->prepare(sql)) {
            const QString error = errorText(m_insert->lastError());
            m_insert.reset();
            return fail(error);
        }
        m_insertSql = sql;
    }
    return run(*m_insert, stored);
}

bool Database::begin() {
    // IMMEDIATE takes the write lock now, within the busy timeout: a transaction that first reads (the next
    // serial) and then writes cannot fail half-way because another writer came in between.
    if (!exec(QStringLiteral("BEGIN IMMEDIATE"))) return false;
    m_inTransaction = true;
    return true;
}

bool Database::commit() {
    if (!exec(QStringLiteral("COMMIT"))) return false;
    m_inTransaction = false;
    return true;
}

bool Database::rollback() {
    m_inTransaction = false;
    return exec(QStringLiteral("ROLLBACK"));
}

QStringList Database::columns(const QString& table) {
    QStringList names;
    const auto rows = select(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {table});
    if (rows) {
        for (const DbRow& row : *rows) names << row.text(QStringLiteral("name"));
    }
    return names;
}

QString Database::quoteName(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// --- IsFileInUse ---

namespace {

#if defined(Q_OS_UNIX)

// SQLite's lock bytes (unix VFS): on the database file the pending, reserved and shared bytes from 1 GiB on;
// on the WAL index (`-shm`) the "dead man switch" byte, which every WAL connection keeps read-locked for as
// long as it is open.
constexpr off_t kDbLockStart = 0x40000000;
constexpr off_t kDbLockLength = 2 + 510;
constexpr off_t kShmDmsByte = 120 + 8;

bool lockedByOthers(int fd, off_t start, off_t length) {
    struct flock request {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    request.l_start = start;
    request.l_len = length;
    if (::fcntl(fd, F_GETLK, &request) != 0) return false;
    return request.l_type != F_UNLCK;
}

// Closing any descriptor of a file drops every POSIX lock this process holds on that file, SQLite's
// included. So this never runs on a file this program has open, and runs under the open-files lock.
bool heldByAnotherProcess(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return true;
    bool held = lockedByOthers(fd, kDbLockStart, kDbLockLength);
    ::close(fd);
    if (held) return true;
    fd = ::open((name + "-shm").constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    held = lockedByOthers(fd, kShmDmsByte, 1);
    ::close(fd);
    return held;
}

#else

bool heldByAnotherProcess(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return true;
    // Without the unix lock probe, a file of another process that can be opened counts as free.
    return false;
}

#endif

}  // namespace

bool isOpenByAnyConnection(const QString& path) {
    if (path.isEmpty() || !QFileInfo::exists(path)) return false;
    OpenFiles& files = openFiles();
    const std::lock_guard lock(files.mutex);
    if (files.count.value(fileKey(path)) > 0) return true;
    return heldByAnotherProcess(path);
}

bool IsFileInUse(const QString& path) {
    if (path.isEmpty() || !QFileInfo::exists(path)) return false;
    return isOpenByAnyConnection(path) || batchHoldState(path) != BatchHoldState::Free;
}

}  // namespace springtest
