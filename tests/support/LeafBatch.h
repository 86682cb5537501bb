#pragma once

#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"

#include <QList>
#include <QString>
#include <QVariantMap>
#include <QtDebug>

namespace springtest::testing {

// A leaf-spring batch made as the operator makes one (the scheme stored, then "新建批次" from it) and tests
// stored into it row by row, as the leaf-spring storer leaves them: one `gbth_result` row per test and its
// curve samples. Empty, with the reason in a warning, when a step failed.
inline QString makeLeafBatch(const QString& applicationFolder, const LeafSpringScheme& scheme,
                             const QString& batchNumber = QStringLiteral("G1")) {
    const DatabaseFilesResult files = ensureDatabaseFiles(applicationFolder, 3);
    QString error = files.error;
    if (error.isEmpty()) insertScheme(schemeDatabasePath(applicationFolder), scheme, &error);
    if (!error.isEmpty()) {
        qWarning().noquote() << error;
        return {};
    }
    const BatchOutcome made =
        newBatch(applicationFolder, BatchKind::LeafSpring, batchNumber, scheme.scheme_name,
                 [](const QString&, const QString&) { return true; });
    if (!made.ok) {
        qWarning().noquote() << made.messages;
        return {};
    }
    return made.path;
}

// A stored leaf-spring test: `result` holds gbth_result columns besides the serial ("jinhuicheng" is "0"
// unless set); `curve` the test_point rows besides the serial.
struct LeafStoredTest {
    int serial = 1;
    QVariantMap result;
    QList<QVariantMap> curve;
};

// A three-point test: deformations 10/12, 20/22 and 30/32 on loading/unloading at the scheme's first three
// points, static-load arc heights 49 and 51 at point 2, free arc height 100.40, after pressing 100.10.
inline QVariantMap threePointLeafResult() {
    return {{"result1-1", "10"},
            {"result2-1", "12"},
            {"result1-2", "20"},
            {"result2-2", "22"},
            {"result1-3", "30"},
            {"result2-3", "32"},
            {"jingzai_height1-2", "49"},
            {"jingzai_height2-2", "51"},
            {"ziyou_height", "100.40"},
            {"yahou_height", "100.10"},
            {"date", "2024-05-06 10:11:12.000"}};
}

inline bool storeLeafTests(const QString& batchPath, const QList<LeafStoredTest>& tests) {
    Database db(batchPath);
    for (const LeafStoredTest& t : tests) {
        QVariantMap row = t.result;
        row.insert(QStringLiteral("xuhao"), t.serial);
        if (!row.contains(QStringLiteral("jinhuicheng")))
            row.insert(QStringLiteral("jinhuicheng"), QStringLiteral("0"));
        if (!db.insertRow(QStringLiteral("gbth_result"), row)) {
            qWarning().noquote() << db.lastError();
            return false;
        }
        for (QVariantMap sample : t.curve) {
            sample.insert(QStringLiteral("xuhao"), t.serial);
            if (!db.insertRow(QStringLiteral("test_point"), sample)) {
                qWarning().noquote() << db.lastError();
                return false;
            }
        }
    }
    return true;
}

}  // namespace springtest::testing
