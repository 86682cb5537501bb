#include <QProcess>
#include <QtTest>
#include <thread>

#include "NumberedStores.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "support/BatchMaker.h"
#include "support/TempAppDir.h"

using namespace springtest;
using springtest::testing::TempAppDir;

class TestSerials : public QObject {
    Q_OBJECT
private slots:
    void oneRowPerTestAndStroke_data();
    void oneRowPerTestAndStroke();
    void twoProgramsStoringNeverShareASerial_data();
    void twoProgramsStoringNeverShareASerial();
};

namespace {

// A batch from the current template, or from an older one without the unique index.
QString batch(const TempAppDir& dir, bool olderTemplate = false) {
    StandardScheme s;
    s.scheme_name = "S";
    s.scheme_sum = "1";
    s.points[0] = {"40", "0", "0"};
    const QString path = testing::makeBatch(dir.path(), s, "A1");
    if (olderTemplate) Database(path).exec("DROP INDEX test_result_by_test");
    return path;
}

bool insertResult(Database& db, const QVariant& serial, const QString& stroke = "进") {
    return db.exec("INSERT INTO test_result (xuhao, jinhuicheng) VALUES (?, ?)", {serial, stroke});
}

QList<int> serialsOfStroke(const QString& path, const QString& stroke) {
    Database db(path);
    QList<int> serials;
    for (const DbRow& row :
         db.select("SELECT xuhao FROM test_result WHERE jinhuicheng = ? ORDER BY xuhao", {stroke})
             .value_or(QList<DbRow>{}))
        serials << row.toInt("xuhao");
    return serials;
}

}  // namespace

void TestSerials::oneRowPerTestAndStroke_data() {
    QTest::addColumn<bool>("olderTemplate");
    QTest::addColumn<QVariantList>("storedTwice");  // serials an older program stored twice, forward stroke
    QTest::addColumn<QStringList>("reported");
    QTest::newRow("new batch") << false << QVariantList{} << QStringList{};
    QTest::newRow("batch of an older template") << true << QVariantList{} << QStringList{};
    QTest::newRow("older batch with a doubled test") << true << QVariantList{5, 3} << QStringList{"3", "5"};
}

void TestSerials::oneRowPerTestAndStroke() {
    QFETCH(bool, olderTemplate);
    QFETCH(QVariantList, storedTwice);
    QFETCH(QStringList, reported);
    TempAppDir dir;
    const QString path = batch(dir, olderTemplate);
    QVERIFY(!path.isEmpty());
    Database db(path);
    for (const QVariant& serial : storedTwice) QVERIFY(insertResult(db, serial) && insertResult(db, serial));

    QCOMPARE(ensureBatchIndexes(db).duplicatedSerials, reported);
    // What was stored stays, doubled or not.
    QCOMPARE(db.select("SELECT * FROM test_result")->size(), 2 * storedTwice.size());

    QVERIFY(insertResult(db, 1, "进"));
    QVERIFY(insertResult(db, 1, "回"));
    const bool refused = !insertResult(db, 1, "进");
    QCOMPARE(refused, reported.isEmpty());
    if (refused) QVERIFY2(db.lastError().contains("UNIQUE"), qPrintable(db.lastError()));
    // Either way the next test goes above them all.
    QString error;
    QCOMPARE(nextSerial(db, ResultTable::Standard, error), std::optional<int>(storedTwice.isEmpty() ? 2 : 6));
}

void TestSerials::twoProgramsStoringNeverShareASerial_data() {
    QTest::addColumn<bool>("processes");
    QTest::newRow("two connections on two threads") << false;
    QTest::newRow("two processes") << true;
}

void TestSerials::twoProgramsStoringNeverShareASerial() {
    QFETCH(bool, processes);
    constexpr int kTests = 60;
    TempAppDir dir;
    const QString path = batch(dir);
    QVERIFY(!path.isEmpty());

    if (processes) {
        QProcess peers[2];
        for (QProcess& peer : peers) peer.start(BATCHPEER_PATH, {"store", path, QString::number(kTests)});
        for (QProcess& peer : peers) {
            QVERIFY(peer.waitForFinished(120000));
            QVERIFY2(peer.exitCode() == 0, peer.readAllStandardError().constData());
        }
    } else {
        QString errors[2];
        std::thread a([&] { errors[0] = testing::storeNumberedTests(path, kTests); });
        std::thread b([&] { errors[1] = testing::storeNumberedTests(path, kTests); });
        a.join();
        b.join();
        for (const QString& error : errors) QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    QList<int> expected;
    for (int serial = 1; serial <= 2 * kTests; ++serial) expected << serial;
    QCOMPARE(serialsOfStroke(path, "进"), expected);
    QCOMPARE(serialsOfStroke(path, "回"), expected);
}

QTEST_GUILESS_MAIN(TestSerials)
#include "tst_serials.moc"
