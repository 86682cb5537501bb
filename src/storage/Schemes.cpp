#include "storage/Schemes.h"

namespace springtest {

namespace {

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

template <typename Scheme>
void writePoints(QVariantMap& values, const Scheme& scheme) {
    for (int k = 1; k <= kSchemePoints; ++k) {
        const SchemePoint& p = scheme.points[static_cast<size_t>(k - 1)];
        values.insert(schemePointColumn(k), p.value);
        values.insert(schemePointMaxColumn(k), p.max);
        values.insert(schemePointMinColumn(k), p.min);
    }
}

template <typename Scheme>
void readPoints(Scheme& scheme, const DbRow& row) {
    for (int k = 1; k <= kSchemePoints; ++k) {
        SchemePoint& p = scheme.points[static_cast<size_t>(k - 1)];
        p.value = row.text(schemePointColumn(k));
        p.max = row.text(schemePointMaxColumn(k));
        p.min = row.text(schemePointMinColumn(k));
    }
}

template <typename Scheme>
bool insertInto(const QString& path, SchemeTable table, const Scheme& scheme, QString* error) {
    Database db(path);
    if (!db.insertRow(schemeTableName(table), schemeRowValues(scheme))) {
        setError(error, db.lastError());
        return false;
    }
    return true;
}

std::optional<DbRow> loadRow(const QString& path, SchemeTable table, const QString& name, QString* error) {
    Database db(path);
    const auto rows = db.select(QStringLiteral("SELECT * FROM %1 WHERE scheme_name = ?")
                                    .arg(Database::quoteName(schemeTableName(table))),
                                {name});
    if (!rows) {
        setError(error, db.lastError());
        return std::nullopt;
    }
    if (rows->isEmpty()) return std::nullopt;
    return rows->first();
}

}  // namespace

QString schemeTableName(SchemeTable table) {
    return table == SchemeTable::LeafSpring ? QStringLiteral("GBTH_information")
                                            : QStringLiteral("test_information");
}

QString schemePointColumn(int k) {
    return QStringLiteral("schemedata%1").arg(k);
}
QString schemePointMaxColumn(int k) {
    return QStringLiteral("schemedata%1_max").arg(k);
}
QString schemePointMinColumn(int k) {
    return QStringLiteral("schemedata%1_min").arg(k);
}

namespace {

// The columns every scheme kind has: name, style, strokes, heights, loads and its points.
template <typename Scheme>
QVariantMap headValues(const Scheme& s) {
    return {
        {QStringLiteral("scheme_name"), s.scheme_name}, {QStringLiteral("scheme_style"), s.scheme_style},
        {QStringLiteral("scheme_jh"), s.scheme_jh},     {QStringLiteral("scheme_height"), s.scheme_height},
        {QStringLiteral("scheme_load"), s.scheme_load}, {QStringLiteral("scheme_sum"), s.scheme_sum}};
}

template <typename Scheme>
void readHead(Scheme& s, const DbRow& row, int defaultStrokes) {
    s.scheme_name = row.text(QStringLiteral("scheme_name"));
    s.scheme_style = row.text(QStringLiteral("scheme_style"));
    s.scheme_jh = row.toInt(QStringLiteral("scheme_jh"), defaultStrokes);
    s.scheme_height = row.text(QStringLiteral("scheme_height"));
    s.scheme_load = row.text(QStringLiteral("scheme_load"));
    s.scheme_sum = row.text(QStringLiteral("scheme_sum"));
    readPoints(s, row);
}

}  // namespace

QVariantMap schemeRowValues(const StandardScheme& s) {
    QVariantMap v = headValues(s);
    v.insert({{QStringLiteral("scheme_gangdu_max"), s.scheme_gangdu_max},
              {QStringLiteral("scheme_gangdu_min"), s.scheme_gangdu_min},
              {QStringLiteral("scheme_type"), s.scheme_type},
              {QStringLiteral("scheme_yb"), s.scheme_yb}});
    writePoints(v, s);
    return v;
}

QVariantMap schemeRowValues(const LeafSpringScheme& s) {
    QVariantMap v = headValues(s);
    v.insert({{QStringLiteral("scheme_sdload"), s.scheme_sdload},
              {QStringLiteral("scheme_th_height"), s.scheme_th_height},
              {QStringLiteral("scheme_xc_height"), s.scheme_xc_height},
              {QStringLiteral("scheme_xbbj"), s.scheme_xbbj},
              {QStringLiteral("scheme_yyload"), s.scheme_yyload},
              {QStringLiteral("scheme_yzload"), s.scheme_yzload},
              {QStringLiteral("scheme_returnLOAD"), s.scheme_returnLOAD}});
    writePoints(v, s);
    return v;
}

StandardScheme standardSchemeFromRow(const DbRow& row) {
    StandardScheme s;
    readHead(s, row, 1);
    s.scheme_gangdu_max = row.text(QStringLiteral("scheme_gangdu_max"));
    s.scheme_gangdu_min = row.text(QStringLiteral("scheme_gangdu_min"));
    s.scheme_type = row.toBool(QStringLiteral("scheme_type"));
    s.scheme_yb = row.toBool(QStringLiteral("scheme_yb"));
    return s;
}

LeafSpringScheme leafSpringSchemeFromRow(const DbRow& row) {
    LeafSpringScheme s;
    readHead(s, row, 2);
    s.scheme_sdload = row.text(QStringLiteral("scheme_sdload"));
    s.scheme_th_height = row.text(QStringLiteral("scheme_th_height"));
    s.scheme_xc_height = row.text(QStringLiteral("scheme_xc_height"));
    s.scheme_xbbj = row.text(QStringLiteral("scheme_xbbj"));
    s.scheme_yyload = row.text(QStringLiteral("scheme_yyload"));
    s.scheme_yzload = row.text(QStringLiteral("scheme_yzload"));
    s.scheme_returnLOAD = row.text(QStringLiteral("scheme_returnLOAD"));
    return s;
}

bool insertScheme(const QString& databasePath, const StandardScheme& scheme, QString* error) {
    return insertInto(databasePath, SchemeTable::Standard, scheme, error);
}

bool insertScheme(const QString& databasePath, const LeafSpringScheme& scheme, QString* error) {
    return insertInto(databasePath, SchemeTable::LeafSpring, scheme, error);
}

std::optional<StandardScheme> loadStandardScheme(const QString& databasePath, const QString& name,
                                                 QString* error) {
    const auto row = loadRow(databasePath, SchemeTable::Standard, name, error);
    if (!row) return std::nullopt;
    return standardSchemeFromRow(*row);
}

std::optional<LeafSpringScheme> loadLeafSpringScheme(const QString& databasePath, const QString& name,
                                                     QString* error) {
    const auto row = loadRow(databasePath, SchemeTable::LeafSpring, name, error);
    if (!row) return std::nullopt;
    return leafSpringSchemeFromRow(*row);
}

bool schemeExists(const QString& databasePath, SchemeTable table, const QString& name, QString* error) {
    // `=` on text compares byte for byte (SQLite's BINARY collation): exact and with letter case.
    Database db(databasePath);
    const auto rows = db.select(QStringLiteral("SELECT 1 FROM %1 WHERE scheme_name = ? LIMIT 1")
                                    .arg(Database::quoteName(schemeTableName(table))),
                                {name});
    if (!rows) {
        setError(error, db.lastError());
        return false;
    }
    return !rows->isEmpty();
}

QStringList schemeNames(const QString& databasePath, SchemeTable table, QString* error) {
    Database db(databasePath);
    const auto rows = db.select(
        QStringLiteral("SELECT scheme_name FROM %1").arg(Database::quoteName(schemeTableName(table))));
    if (!rows) {
        setError(error, db.lastError());
        return {};
    }
    QStringList names;
    for (const DbRow& row : *rows) names << row.text(QStringLiteral("scheme_name"));
    return names;
}

}  // namespace springtest
