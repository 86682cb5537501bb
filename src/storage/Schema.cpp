#include "storage/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "storage/Database.h"

namespace springtest {

namespace {

// Column types. Most numbers are written as the text the operator typed ("40.0") or as a number formatted
// with a fixed count of decimals ("12.30"), and the grids and exports show them as stored. A NUMERIC or REAL
// column would turn "40.0" into 40 and "12.30" into 12.3, so every such column is TEXT and the readers
// convert. Only what is written as an integer and must sort as one (serials, point numbers, stroke count)
// is INTEGER; booleans are INTEGER 0/1; date-times are TEXT "yyyy-MM-dd HH:mm:ss.zzz", which sorts in time
// order.
enum class Kind { Text, Integer, Boolean, DateTime };

struct Column {
    QString name;
    Kind kind;
};

struct Table {
    QString name;
    QList<Column> columns;
};

QString sqlType(Kind kind) {
    switch (kind) {
        case Kind::Integer:
        case Kind::Boolean:
            return QStringLiteral("INTEGER");
        case Kind::Text:
        case Kind::DateTime:
            break;
    }
    return QStringLiteral("TEXT");
}

void addText(QList<Column>& columns, const QString& name) {
    columns.append({name, Kind::Text});
}

QList<Column> schemePoints() {
    QList<Column> columns;
    for (int k = 1; k <= 10; ++k) {
        addText(columns, QStringLiteral("schemedata%1").arg(k));
        addText(columns, QStringLiteral("schemedata%1_max").arg(k));
        addText(columns, QStringLiteral("schemedata%1_min").arg(k));
    }
    return columns;
}

Table testInformation() {
    QList<Column> c{{"scheme_name", Kind::Text},   {"scheme_style", Kind::Text}, {"scheme_jh", Kind::Integer},
                    {"scheme_height", Kind::Text}, {"scheme_load", Kind::Text},  {"scheme_sum", Kind::Text}};
    c += schemePoints();
    c += QList<Column>{{"scheme_gangdu_max", Kind::Text},
                       {"scheme_gangdu_min", Kind::Text},
                       {"scheme_type", Kind::Boolean},
                       {"scheme_yb", Kind::Boolean}};
    return {QStringLiteral("test_information"), c};
}

Table gbthInformation() {
    QList<Column> c{{"scheme_name", Kind::Text},   {"scheme_style", Kind::Text}, {"scheme_jh", Kind::Integer},
                    {"scheme_height", Kind::Text}, {"scheme_load", Kind::Text},  {"scheme_sum", Kind::Text}};
    c += schemePoints();
    for (const char* name : {"scheme_sdload", "scheme_th_height", "scheme_xc_height", "scheme_xbbj",
                             "scheme_yyload", "scheme_yzload", "scheme_returnLOAD"}) {
        addText(c, QString::fromLatin1(name));
    }
    return {QStringLiteral("GBTH_information"), c};
}

Table testResult(TemplateLayout layout) {
    QList<Column> c{{"xuhao", Kind::Integer}, {"jinhuicheng", Kind::Text}};
    if (layout == TemplateLayout::Lateral) {
        for (int k = 1; k <= 10; ++k) {
            for (const char* name : {"result", "gangdu", "x_value", "y_value", "pianyi_value"}) {
                addText(c, QString::fromLatin1(name) + QString::number(k));
            }
        }
        addText(c, QStringLiteral("height"));
        c.append({QStringLiteral("date"), Kind::DateTime});
        return {QStringLiteral("test_result"), c};
    }
    for (const char* name : {"result", "gangdu"}) {
        for (int k = 1; k <= 10; ++k) addText(c, QString::fromLatin1(name) + QString::number(k));
    }
    addText(c, QStringLiteral("height"));
    addText(c, QStringLiteral("yb_height"));
    c.append({QStringLiteral("date"), Kind::DateTime});
    for (const char* name : {"x_value", "y_value", "pianyi_value"}) {
        for (int k = 1; k <= 10; ++k) addText(c, QString::fromLatin1(name) + QString::number(k));
    }
    return {QStringLiteral("test_result"), c};
}

Table testPoint() {
    return {QStringLiteral("test_point"),
            {{"xuhao", Kind::Integer},
             {"number", Kind::Integer},
             {"load", Kind::Text},
             {"weiyi", Kind::Text},
             {"bianxing", Kind::Text},
             {"jinhuicheng", Kind::Text},
             {"X", Kind::Text},
             {"Y", Kind::Text}}};
}

Table gbthResult() {
    QList<Column> c{{"xuhao", Kind::Integer}, {"jinhuicheng", Kind::Text}};
    for (const char* name : {"result", "jingzai_height"}) {
        for (int stroke = 1; stroke <= 2; ++stroke) {
            for (int k = 1; k <= 10; ++k)
                addText(c, QStringLiteral("%1%2-%3").arg(QLatin1String(name)).arg(stroke).arg(k));
        }
    }
    for (int k = 1; k <= 10; ++k) addText(c, QStringLiteral("gangdu%1").arg(k));
    for (const char* name : {"ziyou_height", "yahou_height", "SD_HEIGHT", "height"})
        addText(c, QString::fromLatin1(name));
    c.append({QStringLiteral("date"), Kind::DateTime});
    return {QStringLiteral("gbth_result"), c};
}

Table reportName() {
    return {QStringLiteral("report_name"),
            {{"name", Kind::Text}, {"CHART", Kind::Text}, {"CHART_FLAG", Kind::Boolean}}};
}

Table loadGz() {
    return {QStringLiteral("load_gz"),
            {{"number", Kind::Integer}, {"load_max", Kind::Text}, {"gz_time", Kind::DateTime}}};
}

QString createStatement(const Table& table) {
    QStringList columns;
    for (const Column& column : table.columns)
        columns << Database::quoteName(column.name) + QLatin1Char(' ') + sqlType(column.kind);
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(Database::quoteName(table.name), columns.join(QStringLiteral(", ")));
}

struct BatchIndex {
    QString name;
    QString table;
    QString columns;
    bool unique;
};

QList<BatchIndex> batchIndexes() {
    return {
        // A test's curve is read back by its serial in point order.
        {QStringLiteral("test_point_by_test"), QStringLiteral("test_point"), QStringLiteral("xuhao, number"),
         false},
        // One row per test and stroke: a second program storing the same serial is refused by the file.
        {QStringLiteral("test_result_by_test"), QStringLiteral("test_result"),
         QStringLiteral("xuhao, jinhuicheng"), true},
        {QStringLiteral("gbth_result_by_test"), QStringLiteral("gbth_result"),
         QStringLiteral("xuhao, jinhuicheng"), true},
    };
}

QString createIndexStatement(const BatchIndex& index) {
    return QStringLiteral("CREATE %1INDEX IF NOT EXISTS %2 ON %3 (%4)")
        .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), index.name, index.table, index.columns);
}

// Whether the table has such an index already, under whatever name an older template gave it: for reading
// a curve any index that starts with the serial serves; one row per test and stroke takes a unique index on
// exactly those columns.
bool hasIndexLike(Database& db, const BatchIndex& index) {
    const auto indexes = db.select(
        QStringLiteral("SELECT name, \"unique\" AS is_unique FROM pragma_index_list(?)"), {index.table});
    if (!indexes) return false;
    const QString wanted = index.columns.toLower();
    for (const DbRow& existing : *indexes) {
        const auto columns =
            db.select(QStringLiteral("SELECT lower(name) AS name FROM pragma_index_info(?) ORDER BY seqno"),
                      {existing.text(QStringLiteral("name"))});
        if (!columns || columns->isEmpty()) continue;
        QStringList names;
        for (const DbRow& column : *columns) names << column.text(QStringLiteral("name"));
        if (!index.unique && wanted.startsWith(names.first() + QLatin1Char(','))) return true;
        if (index.unique && existing.toBool(QStringLiteral("is_unique")) &&
            names.join(QStringLiteral(", ")) == wanted)
            return true;
    }
    return false;
}

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

void removeWithCompanions(const QString& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + QLatin1String(suffix));
}

// Builds the file under a temporary name beside it and renames it when complete, so that a half-made
// database never stands under the name the program looks for.
bool createDatabase(const QString& path, const QList<Table>& tables, const QStringList& extra,
                    QString* error) {
    if (QFileInfo::exists(path)) {
        setError(error, QStringLiteral("%1 exists already").arg(QDir::toNativeSeparators(path)));
        return false;
    }
    const QString building = path + QStringLiteral(".new");
    removeWithCompanions(building);
    bool ok = false;
    QString failure;
    {
        Database db(building, Database::OpenMode::CreateIfMissing);
        if (db.isOpen()) {
            Transaction transaction(db);
            ok = transaction.isActive();
            for (const Table& table : tables) ok = ok && db.exec(createStatement(table));
            for (const QString& statement : extra) ok = ok && db.exec(statement);
            ok = ok && transaction.commit();
        }
        if (!ok) failure = db.lastError();
    }
    if (ok && !QFile::rename(building, path)) {
        ok = false;
        failure = QStringLiteral("cannot rename %1").arg(QDir::toNativeSeparators(building));
    }
    if (!ok) {
        removeWithCompanions(building);
        setError(error, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), failure));
    }
    return ok;
}

}  // namespace

QString schemeDatabasePath(const QString& appFolder) {
    return QDir(appFolder).filePath(QString::fromLatin1(kSchemeDatabaseFile));
}

QString databaseTemplatePath(const QString& appFolder) {
    return QDir(appFolder).filePath(QString::fromLatin1(kDatabaseTemplateFile));
}

TemplateLayout templateLayoutFor(int machineType) {
    return machineType == 5 ? TemplateLayout::Lateral : TemplateLayout::Standard;
}

bool createSchemeDatabase(const QString& path, QString* error) {
    return createDatabase(path, {testInformation(), gbthInformation(), reportName(), loadGz()}, {}, error);
}

bool createDatabaseTemplate(const QString& path, TemplateLayout layout, QString* error) {
    QStringList indexes;
    for (const BatchIndex& index : batchIndexes()) indexes << createIndexStatement(index);
    return createDatabase(
        path, {testInformation(), gbthInformation(), testResult(layout), testPoint(), gbthResult()}, indexes,
        error);
}

BatchIndexes ensureBatchIndexes(Database& batch) {
    BatchIndexes report;
    for (const BatchIndex& index : batchIndexes()) {
        if (batch.columns(index.table).isEmpty() || hasIndexLike(batch, index)) continue;
        if (batch.exec(createIndexStatement(index)) || !index.unique) continue;
        const auto doubled = batch.select(QStringLiteral("SELECT DISTINCT xuhao FROM %1 GROUP BY xuhao, "
                                                         "jinhuicheng HAVING count(*) > 1 ORDER BY xuhao")
                                              .arg(index.table));
        if (!doubled) continue;
        for (const DbRow& row : *doubled) report.duplicatedSerials << row.text(QStringLiteral("xuhao"));
    }
    return report;
}

DatabaseFilesResult ensureDatabaseFiles(const QString& appFolder, int machineType) {
    DatabaseFilesResult result;
    if (!QDir().mkpath(appFolder)) {
        result.error = QStringLiteral("cannot create the folder %1").arg(QDir::toNativeSeparators(appFolder));
        return result;
    }
    const QString scheme = schemeDatabasePath(appFolder);
    const QString templ = databaseTemplatePath(appFolder);
    const QString schemeName = QString::fromLatin1(kSchemeDatabaseFile);
    const QString templName = QString::fromLatin1(kDatabaseTemplateFile);
    if (QFileInfo::exists(scheme)) {
        result.kept << schemeName;
    } else if (createSchemeDatabase(scheme, &result.error)) {
        result.created << schemeName;
    } else {
        return result;
    }
    if (QFileInfo::exists(templ)) {
        result.kept << templName;
    } else if (createDatabaseTemplate(templ, templateLayoutFor(machineType), &result.error)) {
        result.created << templName;
    }
    return result;
}

}  // namespace springtest
