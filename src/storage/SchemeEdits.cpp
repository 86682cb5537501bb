#include "storage/SchemeEdits.h"

#include "storage/Database.h"

#include <QStringList>

namespace springtest {

namespace {

const QString kRowId = QStringLiteral("scheme_row_id");

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

// As Database::insertRow stores it: an empty text leaves the column empty (NULL), so that an update and an
// append of the same form give the same row.
QVariant stored(const QVariant& value) {
    if (value.typeId() == QMetaType::QString && value.toString().isEmpty())
        return QVariant(QMetaType::fromType<QString>());
    return value;
}

// How many rows the last statement of this connection changed.
std::optional<qint64> changedRows(Database& db) {
    const auto rows = db.select(QStringLiteral("SELECT changes() AS n"));
    if (!rows || rows->isEmpty()) return std::nullopt;
    return rows->first().value(QStringLiteral("n")).toLongLong();
}

// The first row of that name in the table, with its row id in kRowId.
std::optional<DbRow> findSchemeRow(const QString& databasePath, SchemeTable table, const QString& name,
                                   QString* error) {
    Database db(databasePath);
    const auto rows =
        db.select(QStringLiteral("SELECT rowid AS %1, * FROM %2 WHERE scheme_name = ? ORDER BY rowid LIMIT 1")
                      .arg(kRowId, Database::quoteName(schemeTableName(table))),
                  {name});
    if (!rows) {
        setError(error, db.lastError());
        return std::nullopt;
    }
    if (rows->isEmpty()) return std::nullopt;
    return rows->first();
}

}  // namespace

std::optional<StoredScheme> findStandardScheme(const QString& databasePath, const QString& name,
                                               QString* error) {
    const std::optional<DbRow> row = findSchemeRow(databasePath, SchemeTable::Standard, name, error);
    if (!row) return std::nullopt;
    return StoredScheme{row->value(kRowId).toLongLong(), standardSchemeFromRow(*row)};
}

std::optional<StoredLeafSpringScheme> findLeafSpringScheme(const QString& databasePath, const QString& name,
                                                           QString* error) {
    const std::optional<DbRow> row = findSchemeRow(databasePath, SchemeTable::LeafSpring, name, error);
    if (!row) return std::nullopt;
    return StoredLeafSpringScheme{row->value(kRowId).toLongLong(), leafSpringSchemeFromRow(*row)};
}

std::optional<qint64> appendSchemeRow(const QString& databasePath, SchemeTable table,
                                      const QVariantMap& values, QString* error) {
    Database db(databasePath);
    if (!db.insertRow(schemeTableName(table), values)) {
        setError(error, db.lastError());
        return std::nullopt;
    }
    const auto rows = db.select(QStringLiteral("SELECT last_insert_rowid() AS id"));
    if (!rows || rows->isEmpty()) {
        setError(error, db.lastError());
        return std::nullopt;
    }
    return rows->first().value(QStringLiteral("id")).toLongLong();
}

bool updateSchemeRow(const QString& databasePath, SchemeTable table, qint64 rowId, const QVariantMap& values,
                     QString* error) {
    if (values.isEmpty()) return true;
    QStringList assignments;
    QVariantList params;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        assignments << Database::quoteName(it.key()) + QStringLiteral(" = ?");
        params << stored(it.value());
    }
    params << rowId;
    Database db(databasePath);
    if (!db.exec(
            QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                .arg(Database::quoteName(schemeTableName(table)), assignments.join(QStringLiteral(", "))),
            params)) {
        setError(error, db.lastError());
        return false;
    }
    if (changedRows(db).value_or(0) != 1) {
        setError(error, QStringLiteral("the scheme row %1 no longer exists").arg(rowId));
        return false;
    }
    return true;
}

bool deleteSchemeRow(const QString& databasePath, SchemeTable table, qint64 rowId, QString* error) {
    Database db(databasePath);
    if (!db.exec(
            QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(Database::quoteName(schemeTableName(table))),
            {rowId})) {
        setError(error, db.lastError());
        return false;
    }
    return true;
}

}  // namespace springtest
