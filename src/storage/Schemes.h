#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <array>
#include <optional>

#include "storage/Database.h"

namespace springtest {

inline constexpr int kSchemePoints = 10;

// The two scheme tables: `test_information` (standard and lateral-stiffness schemes) and `GBTH_information`
// (leaf-spring schemes).
enum class SchemeTable { Standard, LeafSpring };
QString schemeTableName(SchemeTable table);

// `schemedata`k, `schemedata`k`_max`, `schemedata`k`_min`, as typed; empty when not given.
struct SchemePoint {
    QString value;
    QString max;
    QString min;
    bool operator==(const SchemePoint&) const = default;
};

// One row of `test_information`, named after its columns. Numbers are kept as the text the operator typed.
struct StandardScheme {
    QString scheme_name;
    QString scheme_style;  // "0".."3"
    int scheme_jh = 1;     // 1 forward stroke only, 2 return stroke measured too
    QString scheme_height;
    QString scheme_load;                            // initial force
    QString scheme_sum;                             // "1".."10"
    std::array<SchemePoint, kSchemePoints> points;  // points[k - 1] is point k
    QString scheme_gangdu_max;
    QString scheme_gangdu_min;
    bool scheme_type = true;  // compression spring (lateral: axial)
    bool scheme_yb = false;   // measure the solid height
    bool operator==(const StandardScheme&) const = default;
};

// One row of `GBTH_information`.
struct LeafSpringScheme {
    QString scheme_name;
    QString scheme_style = QStringLiteral("3");
    int scheme_jh = 2;
    QString scheme_height = QStringLiteral("0.5");
    QString scheme_load;
    QString scheme_sum = QStringLiteral("3");
    std::array<SchemePoint, kSchemePoints> points;
    QString scheme_sdload;
    QString scheme_th_height;
    QString scheme_xc_height;
    QString scheme_xbbj;
    QString scheme_yyload;
    QString scheme_yzload;
    QString scheme_returnLOAD;
    bool operator==(const LeafSpringScheme&) const = default;
};

// Column names of point k (1..10).
QString schemePointColumn(int k);
QString schemePointMaxColumn(int k);
QString schemePointMinColumn(int k);

// Between a record and a table row. Writing stores every field as given (an empty text stays empty);
// reading takes the columns without regard to case and leaves missing ones empty.
QVariantMap schemeRowValues(const StandardScheme& scheme);
QVariantMap schemeRowValues(const LeafSpringScheme& scheme);
StandardScheme standardSchemeFromRow(const DbRow& row);
LeafSpringScheme leafSpringSchemeFromRow(const DbRow& row);

// Operations on a scheme database (or on a batch database, which holds the same scheme tables). Each opens
// the file for the one operation. On error they return false or nothing and say why in `error`; a scheme
// that is not there is no error.
bool insertScheme(const QString& databasePath, const StandardScheme& scheme, QString* error = nullptr);
bool insertScheme(const QString& databasePath, const LeafSpringScheme& scheme, QString* error = nullptr);
std::optional<StandardScheme> loadStandardScheme(const QString& databasePath, const QString& name,
                                                 QString* error = nullptr);
std::optional<LeafSpringScheme> loadLeafSpringScheme(const QString& databasePath, const QString& name,
                                                     QString* error = nullptr);

// Exact comparison with letter case: "ABC" and "abc" are two schemes.
bool schemeExists(const QString& databasePath, SchemeTable table, const QString& name,
                  QString* error = nullptr);
// Every scheme name in the table's order.
QStringList schemeNames(const QString& databasePath, SchemeTable table, QString* error = nullptr);

}  // namespace springtest
