#include <QProcess>
#include <QtTest>

#include <csignal>

#include "storage/Batch.h"
#include "storage/BatchFileRefusal.h"
#include "storage/BatchHold.h"
#include "storage/Database.h"
#include "storage/Schemes.h"
#include "support/BatchMaker.h"
#include "support/TempAppDir.h"

using namespace springtest;
using springtest::testing::TempAppDir;

class TestBatchHold : public QObject {
    Q_OBJECT
private slots:
    void heldWithinOneProgram();
    void heldByAnotherProgram_data();
    void heldByAnotherProgram();
};

namespace {

const QString kInUse = "文件正在使用!!";

// An application folder with a scheme and batch A1 made from it, holding one test.
struct App {
    TempAppDir dir;
    QString batch;

    App() {
        StandardScheme s;
        s.scheme_name = "S";
        s.scheme_style = "0";
        s.scheme_sum = "1";
        s.points[0] = {"40", "110", "90"};
        batch = testing::makeBatch(dir.path(), s, "A1");
        testing::storeTests(batch, {testing::StoredTest{}});
    }
    int results() const {
        Database db(batch);
        return db.select("SELECT * FROM test_result").value_or(QList<DbRow>{}).size();
    }
    BatchOutcome overwrite() const {
        return newBatch(dir.path(), BatchKind::Standard, "A1", "S",
                        [](const QString&, const QString&) { return true; });
    }
};

}  // namespace

void TestBatchHold::heldWithinOneProgram() {
    App app;
    QCOMPARE(batchHoldState(app.batch), BatchHoldState::Free);
    std::shared_ptr<const BatchHold> first = BatchHold::take(app.batch).hold;
    QVERIFY(first);
    QVERIFY(first->isFor(app.dir.file("database/../database/A1.mdb")));
    QCOMPARE(batchHoldState(app.batch), BatchHoldState::HeldHere);
    QVERIFY(IsFileInUse(app.batch));

    // A second sequencer of this program is refused; the one holding it opens it again.
    const BatchHold::Outcome second = BatchHold::take(app.batch);
    QVERIFY(!second.hold);
    QVERIFY(second.inUse);
    QCOMPARE(holdBatchForTesting(app.batch, nullptr).refusal, kInUse);
    QVERIFY(holdBatchForTesting(app.batch, first).hold == first);
    QCOMPARE(batchFileRefusal(app.batch, BatchFileUse::Open), QString());
    QCOMPARE(batchFileRefusal(app.batch, BatchFileUse::Delete), QString("文件正在使用,无法删除!!"));

    const BatchOutcome replaced = app.overwrite();
    QCOMPARE(replaced.failure, BatchFailure::InUse);
    QCOMPARE(replaced.messages.first(), kInUse);
    QCOMPARE(app.results(), 1);

    first.reset();
    QCOMPARE(batchHoldState(app.batch), BatchHoldState::Free);
    QVERIFY(!IsFileInUse(app.batch));
    QVERIFY(!QFile::exists(app.batch + "-lock"));
    QVERIFY(app.overwrite().ok);
    QCOMPARE(app.results(), 0);
}

void TestBatchHold::heldByAnotherProgram_data() {
    QTest::addColumn<bool>("dies");
    QTest::newRow("the other program lets go") << false;
    QTest::newRow("the other program dies") << true;
}

void TestBatchHold::heldByAnotherProgram() {
    QFETCH(bool, dies);
    App app;
    QProcess peer;
    peer.start(BATCHPEER_PATH, {"hold", app.batch});
    QVERIFY(peer.waitForStarted());
    QVERIFY(peer.waitForReadyRead(30000));
    QCOMPARE(peer.readLine().trimmed(), QByteArray("held"));

    QCOMPARE(batchHoldState(app.batch), BatchHoldState::HeldElsewhere);
    QVERIFY(BatchHold::take(app.batch).inUse);
    QCOMPARE(holdBatchForTesting(app.batch, nullptr).refusal, kInUse);
    QCOMPARE(batchFileRefusal(app.batch, BatchFileUse::Open), kInUse);
    QCOMPARE(batchFileRefusal(app.batch, BatchFileUse::Delete), QString("文件正在使用,无法删除!!"));
    const BatchOutcome replaced = app.overwrite();
    QCOMPARE(replaced.failure, BatchFailure::InUse);
    QCOMPARE(replaced.messages, (QStringList{kInUse, "批次数据库建立失败!!"}));
    QCOMPARE(app.results(), 1);

    if (dies) {
        // Killed, the holder leaves its lock file behind, but not its lock.
        ::kill(static_cast<pid_t>(peer.processId()), SIGKILL);
    } else {
        peer.write("\n");
    }
    QVERIFY(peer.waitForFinished(30000));
    QCOMPARE(QFile::exists(app.batch + "-lock"), dies);

    QCOMPARE(batchHoldState(app.batch), BatchHoldState::Free);
    const BatchHold::Outcome taken = BatchHold::take(app.batch);
    QVERIFY(taken.hold);
}

QTEST_GUILESS_MAIN(TestBatchHold)
#include "tst_batchhold.moc"
