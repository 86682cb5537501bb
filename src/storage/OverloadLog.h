#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

namespace springtest {

class Database;

// What the log says when it cannot do what was asked; the engine's reason follows.
inline const QString kOverloadLogUnreadable = QStringLiteral("过载记录读取失败!!");
inline const QString kOverloadNotRecorded = QStringLiteral("过载记录保存失败!!");
inline const QString kOverloadNotDeleted = QStringLiteral("过载记录删除失败!!");

struct OverloadRecord {
    qint64 rowId = 0;  // which stored row: two records may carry the same number in files made elsewhere
    int number = 0;
    QString loadMax;  // as stored
    QDateTime time;
};

// The overload log, table `load_gz` of the scheme database: one row per load-overload trip, listed and
// deleted by service staff. Open while this object lives. Every failure is kept in `error()` in the
// system's words, with the engine's reason after them.
class OverloadLog {
public:
    explicit OverloadLog(const QString& applicationFolder);
    ~OverloadLog();
    OverloadLog(const OverloadLog&) = delete;
    OverloadLog& operator=(const OverloadLog&) = delete;

    const QString& error() const { return m_error; }

    // Every record in stored order; nothing when the log cannot be read.
    std::optional<QList<OverloadRecord>> list();
    // A new record numbered one above the highest so far (1 in an empty log).
    bool append(const QString& loadMax, const QDateTime& time);
    bool remove(qint64 rowId);
    bool removeAll();

private:
    bool fail(const QString& message);

    std::unique_ptr<Database> m_db;
    QString m_error;
};

}  // namespace springtest
