#pragma once

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <optional>

class QSqlQuery;

namespace springtest {

// One row of a select. Columns are found by name without regard to case: the files and the code that reads
// them have always spelt the same column several ways (`scheme_SDload`, `scheme_sdload`).
class DbRow {
public:
    DbRow() = default;
    DbRow(std::shared_ptr<const QStringList> columns, QVariantList values)
        : m_columns(std::move(columns)), m_values(std::move(values)) {}

    const QStringList& columns() const;
    bool has(const QString& column) const { return indexOf(column) >= 0; }

    // The stored value; an invalid QVariant when the row has no such column.
    QVariant value(const QString& column) const;
    // The stored value of columns()[index]; an invalid QVariant outside them. For passes over many rows of
    // one select, which find the column once rather than by name in every row.
    QVariant valueAt(qsizetype index) const { return m_values.value(index); }
    bool isEmpty(const QString& column) const;  // NULL, missing or empty text

    // Readers convert what was stored: operators' numbers are kept as the text they typed.
    // An empty or unreadable value gives the default.
    QString text(const QString& column) const;
    int toInt(const QString& column, int def = 0) const;
    double toDouble(const QString& column, double def = 0.0) const;
    bool toBool(const QString& column) const;
    QDateTime toDateTime(const QString& column) const;  // invalid when empty or unreadable

private:
    int indexOf(const QString& column) const;

    std::shared_ptr<const QStringList> m_columns;
    QVariantList m_values;
};

// One SQLite database file, open for the lifetime of this object. Every object has a connection of its own
// under a unique name, released at destruction, so objects on different threads never share one. Errors are
// returned, never thrown: a failed call returns false or nothing and `lastError()` says why in the engine's
// words.
//
// Every open sets the WAL journal (readers and the one writer do not block each other, and an open
// connection is visible to other processes, see IsFileInUse) and a busy timeout, so that a statement meets a
// short write by someone else with a wait rather than an error.
//
// Names and values from input are bound as `?` parameters; never paste them into the statement.
class Database {
public:
    // ExistingMaybeReadOnly: an existing file that may lie on media this program cannot write (a CD, a
    // write-protected stick, a folder shared read-only). SQLite keeps the WAL index beside the file, so where
    // the folder cannot be written the file is opened read-only and immutable instead: readable, never
    // written, and nobody can change it there meanwhile.
    enum class OpenMode { Existing, ExistingMaybeReadOnly, CreateIfMissing };

    static constexpr int kBusyTimeout_ms = 3000;

    explicit Database(const QString& path, OpenMode mode = OpenMode::Existing);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool isOpen() const { return m_open; }
    bool isReadOnly() const { return m_readOnly; }
    const QString& path() const { return m_path; }
    const QString& lastError() const { return m_error; }

    // The rows of a select, in the statement's order; nothing on error.
    std::optional<QList<DbRow>> select(const QString& sql, const QVariantList& params = {});
    // A statement that returns no rows.
    bool exec(const QString& sql, const QVariantList& params = {});
    // Appends one row; columns not named stay NULL. An empty text is stored as NULL, which is how a number
    // column is left empty. A QDateTime is stored as text "yyyy-MM-dd HH:mm:ss.zzz".
    bool insertRow(const QString& table, const QVariantMap& values);

    bool begin();
    bool commit();
    bool rollback();
    bool inTransaction() const { return m_inTransaction; }

    // The table's columns in their stored order; empty when the table does not exist.
    QStringList columns(const QString& table);

    // Quotes a table or column name for a statement (names such as `result1-1` need it).
    static QString quoteName(const QString& name);

private:
    bool fail(const QString& error);
    bool run(QSqlQuery& query, const QVariantList& params);

    QString m_path;
    QString m_connectionName;
    QString m_registeredKey;
    QSqlDatabase m_db;
    bool m_open = false;
    bool m_readOnly = false;
    bool m_inTransaction = false;
    QString m_error;
    // The last insert statement stays prepared: the savers append a curve's points one after another.
    std::unique_ptr<QSqlQuery> m_insert;
    QString m_insertSql;
};

// Keeps one transaction: rolled back at destruction unless committed. One stored test is one of these.
class Transaction {
public:
    explicit Transaction(Database& db) : m_db(db), m_active(db.begin()) {}
    ~Transaction() {
        if (m_active) m_db.rollback();
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool isActive() const { return m_active; }
    bool commit() {
        if (!m_active) return false;
        m_active = false;
        return m_db.commit();
    }

private:
    Database& m_db;
    bool m_active;
};

// An operator message with the engine's or the system's reason after it: the system's words come first and
// a database's own text never stands alone.
QString withReason(const QString& message, const QString& reason);

// The same file always gives the same key, whether or not it exists yet and whatever way the folder was
// written (relative, with "..", through a link).
QString fileKey(const QString& path);

// Whether a database file is open: by a Database of this program, or by another process (SQLite connection
// in WAL mode, or a rollback-journal connection inside a transaction). False when the file does not exist.
// Also true when the file cannot be opened for reading and writing.
bool isOpenByAnyConnection(const QString& path);

// Whether a database file is open (see isOpenByAnyConnection) or, being a batch, held for testing by this
// program or another (see BatchHold). Nothing may replace or delete a file in use.
bool IsFileInUse(const QString& path);

}  // namespace springtest
