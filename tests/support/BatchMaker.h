#pragma once

#include "storage/Schemes.h"
#include "support/TempAppDir.h"

#include <QList>
#include <QString>
#include <QVariantMap>

namespace springtest::testing {

// A batch made the way the operator makes one: the scheme stored in the application folder's scheme database
// (the shipped files are made where missing), then "新建批次" from it, answering Yes to any question. Returns
// the batch database; empty, with the reason in a warning, when a step failed.
QString makeBatch(const QString& applicationFolder, const StandardScheme& scheme,
                  const QString& batchNumber = QStringLiteral("B1"));
inline QString makeBatch(const TempAppDir& applicationFolder, const StandardScheme& scheme,
                         const QString& batchNumber = QStringLiteral("B1")) {
    return makeBatch(applicationFolder.path(), scheme, batchNumber);
}

// One stored test: its result row and its curve samples, as the storer writes them.
struct StoredTest {
    int serial = 1;
    QVariantMap
        result;  // test_result columns besides the serial; the stroke "jinhuicheng" is "进" unless set
    QList<QVariantMap> curve;  // test_point rows besides the serial, stored in this order
};

// Appends the tests to the batch; false, with the database's reason in a warning, when a row was refused.
bool storeTests(const QString& batchPath, const QList<StoredTest>& tests);

// Curve samples that tell whose they are: sample i (1 … count) loads serial × 100 + i at displacement 50 − i
// and deformation i, on the forward stroke. A replayed curve thus shows which test it came from, and its
// displacements fall while the samples go on, as a compression test's do.
QList<QVariantMap> serialCurve(int serial, int count);

}  // namespace springtest::testing
