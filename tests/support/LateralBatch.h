#pragma once

#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "storage/TestOffsetAngle.h"
#include "storage/TestOperator.h"

#include <QList>
#include <QString>
#include <QVariantMap>
#include <QtDebug>

namespace springtest::testing {

// A lateral scheme of `points` points: point k set at k mm, its band k × 10 ± 1 N, style 1 ("变形-负荷").
inline StandardScheme lateralScheme(bool axial, int strokes, int points = 2) {
    StandardScheme s;
    s.scheme_name = axial ? QStringLiteral("轴向A") : QStringLiteral("横向B");
    s.scheme_style = QStringLiteral("1");
    s.scheme_jh = strokes;
    s.scheme_load = QStringLiteral("1");
    s.scheme_sum = QString::number(points);
    for (int k = 1; k <= points; ++k) {
        s.points[static_cast<size_t>(k - 1)] = {QString::number(k), QString::number(k * 10 + 1) + ".0",
                                                QString::number(k * 10 - 1) + ".0"};
    }
    s.scheme_type = axial;
    return s;
}

// A lateral batch made as the operator makes one (the scheme stored, then "新建批次" from it). Empty, with
// the reason in a warning, when a step failed.
inline QString makeLateralBatch(const QString& applicationFolder, const StandardScheme& scheme,
                                const QString& batchNumber = QStringLiteral("H1")) {
    const DatabaseFilesResult files = ensureDatabaseFiles(applicationFolder, 5);
    QString error = files.error;
    if (error.isEmpty()) insertScheme(schemeDatabasePath(applicationFolder), scheme, &error);
    if (!error.isEmpty()) {
        qWarning().noquote() << error;
        return {};
    }
    const BatchOutcome made = newBatch(applicationFolder, BatchKind::Lateral, batchNumber, scheme.scheme_name,
                                       [](const QString&, const QString&) { return true; });
    if (!made.ok) {
        qWarning().noquote() << made.messages;
        return {};
    }
    return made.path;
}

// One curve sample of a lateral test: stroke 1 forward, 2 return; X and Y empty unless given.
struct LateralSample {
    double load;
    double deformation;
    int stroke = 1;
    QString x;
    QString y;
};

// A stored lateral test: its result rows (each `test_result` columns besides the serial; "jinhuicheng" as
// given), its samples, its operator and, for an axial test, its angle (nothing stored when null).
struct LateralStoredTest {
    int serial = 1;
    QList<QVariantMap> rows;
    QList<LateralSample> curve;
    QString operatorName = QStringLiteral("张工");
    QString angle;
};

inline bool storeLateralTests(const QString& batchPath, const QList<LateralStoredTest>& tests) {
    Database db(batchPath);
    const auto fail = [&db] {
        qWarning().noquote() << db.lastError();
        return false;
    };
    for (const LateralStoredTest& t : tests) {
        for (QVariantMap row : t.rows) {
            row.insert(QStringLiteral("xuhao"), t.serial);
            if (!db.insertRow(QStringLiteral("test_result"), row)) return fail();
        }
        int number = 0;
        for (const LateralSample& s : t.curve) {
            const QVariantMap sample{{"xuhao", t.serial},
                                     {"number", ++number},
                                     {"load", QString::number(s.load, 'f', 2)},
                                     {"weiyi", QString::number(100 - s.deformation, 'f', 2)},
                                     {"bianxing", QString::number(s.deformation, 'f', 2)},
                                     {"jinhuicheng", QString::number(s.stroke)},
                                     {"X", s.x},
                                     {"Y", s.y}};
            if (!db.insertRow(QStringLiteral("test_point"), sample)) return fail();
        }
        if (!storeTestOperator(db, t.serial, t.operatorName)) return fail();
        if (!t.angle.isNull() && !storeTestOffsetAngle(db, t.serial, t.angle)) return fail();
    }
    return true;
}

}  // namespace springtest::testing
