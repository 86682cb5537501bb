#include "support/BatchMaker.h"

#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"

#include <QtDebug>

namespace springtest::testing {

QString makeBatch(const QString& applicationFolder, const StandardScheme& scheme,
                  const QString& batchNumber) {
    const DatabaseFilesResult files = ensureDatabaseFiles(applicationFolder, 0);
    if (!files.error.isEmpty()) {
        qWarning() << "no database files:" << files.error;
        return {};
    }
    QString error;
    if (!insertScheme(schemeDatabasePath(applicationFolder), scheme, &error)) {
        qWarning() << "scheme" << scheme.scheme_name << "not stored:" << error;
        return {};
    }
    const BatchOutcome made =
        newBatch(applicationFolder, BatchKind::Standard, batchNumber, scheme.scheme_name,
                 [](const QString&, const QString&) { return true; });
    if (!made.ok) {
        qWarning() << "batch" << batchNumber << "not made:" << made.messages;
        return {};
    }
    return made.path;
}

bool storeTests(const QString& batchPath, const QList<StoredTest>& tests) {
    Database db(batchPath);
    if (!db.isOpen()) {
        qWarning() << "batch" << batchPath << "does not open:" << db.lastError();
        return false;
    }
    for (const StoredTest& test : tests) {
        QVariantMap result = test.result;
        result.insert(QStringLiteral("xuhao"), test.serial);
        if (!result.contains(QStringLiteral("jinhuicheng")))
            result.insert(QStringLiteral("jinhuicheng"), QStringLiteral("进"));
        if (!db.insertRow(QStringLiteral("test_result"), result)) {
            qWarning() << "result of test" << test.serial << "refused:" << db.lastError();
            return false;
        }
        for (QVariantMap sample : test.curve) {
            sample.insert(QStringLiteral("xuhao"), test.serial);
            if (!db.insertRow(QStringLiteral("test_point"), sample)) {
                qWarning() << "curve of test" << test.serial << "refused:" << db.lastError();
                return false;
            }
        }
    }
    return true;
}

QList<QVariantMap> serialCurve(int serial, int count) {
    QList<QVariantMap> samples;
    for (int i = 1; i <= count; ++i)
        samples << QVariantMap{{QStringLiteral("number"), i},
                               {QStringLiteral("load"), QString::number(serial * 100 + i)},
                               {QStringLiteral("weiyi"), QString::number(50 - i)},
                               {QStringLiteral("bianxing"), QString::number(i)},
                               {QStringLiteral("jinhuicheng"), QStringLiteral("1")}};
    return samples;
}

}  // namespace springtest::testing
