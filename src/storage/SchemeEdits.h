#pragma once

#include <QString>
#include <QVariantMap>
#include <optional>

#include "storage/Schemes.h"

namespace springtest {

// A scheme row as an editor holds it while the operator views and changes it: found once by name, then
// changed or deleted through its row id, so that renaming the scheme in the form never loses the row.
struct StoredScheme {
    qint64 rowId = 0;
    StandardScheme scheme;
};

// The first row of that name, or nothing (with `error` set when the database failed, left alone when the
// scheme is simply not there).
std::optional<StoredScheme> findStandardScheme(const QString& databasePath, const QString& name,
                                               QString* error = nullptr);

struct StoredLeafSpringScheme {
    qint64 rowId = 0;
    LeafSpringScheme scheme;
};
std::optional<StoredLeafSpringScheme> findLeafSpringScheme(const QString& databasePath, const QString& name,
                                                           QString* error = nullptr);

// Appends a row holding `values` (column name to value; an empty text is stored as NULL) and returns its id.
std::optional<qint64> appendSchemeRow(const QString& databasePath, SchemeTable table,
                                      const QVariantMap& values, QString* error = nullptr);
// Writes `values` into the row; the columns not named keep what they hold. False when the row is gone.
bool updateSchemeRow(const QString& databasePath, SchemeTable table, qint64 rowId, const QVariantMap& values,
                     QString* error = nullptr);
bool deleteSchemeRow(const QString& databasePath, SchemeTable table, qint64 rowId, QString* error = nullptr);

}  // namespace springtest
