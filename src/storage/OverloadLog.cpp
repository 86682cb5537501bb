#include "storage/OverloadLog.h"

#include "storage/Database.h"
#include "storage/Schema.h"

namespace springtest {

OverloadLog::OverloadLog(const QString& applicationFolder)
    : m_db(std::make_unique<Database>(schemeDatabasePath(applicationFolder))) {}

OverloadLog::~OverloadLog() = default;

bool OverloadLog::fail(const QString& message) {
    m_error = withReason(message, m_db->lastError());
    return false;
}

std::optional<QList<OverloadRecord>> OverloadLog::list() {
    if (!m_db->isOpen()) {
        fail(kOverloadLogUnreadable);
        return std::nullopt;
    }
    const std::optional<QList<DbRow>> rows =
        m_db->select(QStringLiteral("SELECT rowid AS stored_row, number, load_max, gz_time FROM load_gz "
                                    "ORDER BY rowid"));
    if (!rows) {
        fail(kOverloadLogUnreadable);
        return std::nullopt;
    }
    QList<OverloadRecord> records;
    records.reserve(rows->size());
    for (const DbRow& row : *rows) {
        records.append({row.value(QStringLiteral("stored_row")).toLongLong(),
                        row.toInt(QStringLiteral("number")), row.text(QStringLiteral("load_max")),
                        row.toDateTime(QStringLiteral("gz_time"))});
    }
    return records;
}

bool OverloadLog::append(const QString& loadMax, const QDateTime& time) {
    if (!m_db->isOpen()) return fail(kOverloadNotRecorded);
    // Numbered within the one statement, so that two programs recording at once never share a number.
    const bool ok = m_db->exec(QStringLiteral("INSERT INTO load_gz (number, load_max, gz_time) "
                                              "SELECT COALESCE(MAX(number), 0) + 1, ?, ? FROM load_gz"),
                               {loadMax, time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))});
    return ok || fail(kOverloadNotRecorded);
}

bool OverloadLog::remove(qint64 rowId) {
    if (!m_db->isOpen()) return fail(kOverloadNotDeleted);
    return m_db->exec(QStringLiteral("DELETE FROM load_gz WHERE rowid = ?"), {rowId}) ||
           fail(kOverloadNotDeleted);
}

bool OverloadLog::removeAll() {
    if (!m_db->isOpen()) return fail(kOverloadNotDeleted);
    return m_db->exec(QStringLiteral("DELETE FROM load_gz")) || fail(kOverloadNotDeleted);
}

}  // namespace springtest
