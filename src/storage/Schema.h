#pragma once

#include <QString>
#include <QStringList>

namespace springtest {

class Database;

// The established file names in the application folder.
inline constexpr char kSchemeDatabaseFile[] = "test_information.mdb";
inline constexpr char kDatabaseTemplateFile[] = "temp.mdb";

QString schemeDatabasePath(const QString& appFolder);
QString databaseTemplatePath(const QString& appFolder);

// The lateral-stiffness machine (type 5) has a template of its own: its `test_result` columns are ordered
// point by point (result, stiffness, X, Y, offset), as its result browser and export show them.
enum class TemplateLayout { Standard, Lateral };
TemplateLayout templateLayoutFor(int machineType);

// Makes a new, empty database file with the tables of the scheme database or of the database template.
// The file appears under its name only when complete; an existing file is never replaced (that is an
// error). Returns false and says why in `error`.
bool createSchemeDatabase(const QString& path, QString* error = nullptr);
bool createDatabaseTemplate(const QString& path, TemplateLayout layout, QString* error = nullptr);

// Makes the scheme database and the database template in the application folder where they are missing
// (the folder too); files already there are kept as they are.
struct DatabaseFilesResult {
    QStringList created;  // file names
    QStringList kept;
    QString error;  // empty on success
};
DatabaseFilesResult ensureDatabaseFiles(const QString& appFolder, int machineType);

// Gives a batch made from an older database template the indexes of the current one: a test's curve is read
// by its serial, and a result table takes one row per test and stroke, so that no two programs ever store
// the same test twice. An old batch may hold two rows of one test and stroke already: its rows are kept as
// they are, that table goes without the unique index, and the serials concerned are returned for the
// operator. A file that cannot take an index (read-only, held by a writer) is used without it.
struct BatchIndexes {
    QStringList duplicatedSerials;  // in serial order
};
BatchIndexes ensureBatchIndexes(Database& batch);

}  // namespace springtest
