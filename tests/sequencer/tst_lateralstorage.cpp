#include "LateralRig.h"
#include "StorageProbes.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/procedures/LateralStorage.h"
#include "sequencer/procedures/LateralTest.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "storage/TestOffsetAngle.h"
#include "storage/TestOperator.h"

#include <QDir>
#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

StandardScheme lateralScheme(bool axial, int jh = 1) {
    StandardScheme s;
    s.scheme_name = axial ? "A" : "L";
    s.scheme_style = "1";
    s.scheme_jh = jh;
    s.scheme_height = "50";
    s.scheme_load = "5";
    s.scheme_sum = "2";
    s.points[0] = {"2", "15", "5"};
    s.points[1] = {"4", "30", "10"};
    s.scheme_gangdu_max = "8";
    s.scheme_gangdu_min = "4";
    s.scheme_type = axial;
    s.scheme_yb = true;  // the lateral machine searches no solid height, whatever the row says
    return s;
}

// A lateral machine's sequencer with its storage and a batch in database_HXGD as the batch command makes one.
struct StorageRig {
    LateralRig rig;
    GridRecorder grid;
    QString batch;

    explicit StorageRig(const StandardScheme& scheme) {
        installProceduresForMachineType(*rig.seq);
        if (!ensureDatabaseFiles(rig.dir.path(), 5).error.isEmpty()) return;
        QDir(rig.dir.path()).mkpath("database_HXGD");
        batch = rig.dir.file("database_HXGD/B1.mdb");
        QString error;
        if (!QFile::copy(databaseTemplatePath(rig.dir.path()), batch) ||
            !insertScheme(batch, scheme, &error)) {
            qWarning() << "no batch:" << error;
            batch.clear();
        }
    }
    OpenBatchOutcome open() { return openBatchForTesting(*rig.seq, &grid, batch); }
    FinishedTest finished(const ResultArray& results, const ttest_chart& curve = {}) {
        FinishedTest test;
        test.scheme = rig.seq->scheme();
        test.results = results;
        test.curve = curve;
        test.format = readoutFormat(rig.cards.cards[0]);
        test.xDecimals = 2;
        test.yDecimals = 3;
        test.operatorName = QStringLiteral("张工");
        return test;
    }
};

// Two forward points of an axial test with their offsets, and the angle of the last.
ResultArray axialResults(float angle) {
    ResultArray r;
    r[0] = 50.004f;
    r[ResultArray::valueIndex(1, 1)] = 10.04f;
    r[ResultArray::stiffnessIndex(1, 1)] = 5.021f;
    r[ResultArray::valueIndex(1, 2)] = 22.0f;
    r[ResultArray::stiffnessIndex(1, 2)] = 6.0f;
    r[LateralResultIndex::x(1)] = 0.304f;
    r[LateralResultIndex::y(1)] = -0.4f;
    r[LateralResultIndex::offset(1)] = 0.5f;
    r[LateralResultIndex::x(2)] = 3.0f;
    r[LateralResultIndex::y(2)] = 4.0f;
    r[LateralResultIndex::offset(2)] = 5.0f;
    r[LateralResultIndex::angle] = angle;
    return r;
}

ttest_chart axialCurve() {
    ttest_chart c;
    c.load << "1.0"
           << "2.0"
           << "1.0";
    c.displacement << "48.00"
                   << "46.00"
                   << "48.00";
    c.deformation << "2.00"
                  << "4.00"
                  << "2.00";
    c.stroke << "1"
             << "1"
             << "2";
    c.x << "0.30"
        << "3.00"
        << "";
    c.y << "-0.400"
        << "4.000"
        << "";
    c.count = 3;
    return c;
}

}  // namespace

class TestLateralStorage : public QObject {
    Q_OBJECT
private slots:
    void loaderLaysOutEachKind_data();
    void loaderLaysOutEachKind();
    void storesAnAxialTest_data();
    void storesAnAxialTest();
    void storesTheStrokesOfALateralScheme_data();
    void storesTheStrokesOfALateralScheme();
    void failedStoreLeavesNothing_data();
    void failedStoreLeavesNothing();
    void axialTestThroughTheSequencer();
};

void TestLateralStorage::loaderLaysOutEachKind_data() {
    QTest::addColumn<bool>("axial");
    QTest::addColumn<QList<int>>("widths");
    QTest::addColumn<QStringList>("lastHeaders");
    QTest::newRow("axial") << true << QList<int>{30, 60, 60, 60, 50, 50, 50, 50, 50}
                           << QStringList{"实测值", "刚度", "X值", "Y值", "偏移量"};
    QTest::newRow("lateral") << false << QList<int>{30, 60, 60, 60, 50, 50} << QStringList{"实测值", "刚度"};
}

void TestLateralStorage::loaderLaysOutEachKind() {
    QFETCH(bool, axial);
    QFETCH(QList<int>, widths);
    QFETCH(QStringList, lastHeaders);
    StorageRig t(lateralScheme(axial));
    QVERIFY(!t.batch.isEmpty());
    const OpenBatchOutcome opened = t.open();
    QVERIFY2(opened.ok, qPrintable(opened.message));
    const ttest_info s = t.rig.seq->scheme();
    QCOMPARE(s.scheme_type, axial);
    QCOMPARE(s.scheme_height, 50.0);
    QVERIFY(!s.scheme_yb);
    QCOMPARE(s.points, (QVector<double>{2, 4}));
    QCOMPARE(t.grid.widths, widths);
    QCOMPARE(t.grid.rows, 3);
    for (int i = 0; i < lastHeaders.size(); ++i) QCOMPARE(t.grid.cell(0, 4 + i), lastHeaders[i]);
    QCOMPARE(t.grid.cell(2, 1), QString("4"));
    SampleProcedure* procedure = t.rig.seq->sampleSlot().procedure.load();
    if (axial) {
        auto* test = dynamic_cast<StandardTest*>(procedure);
        QVERIFY(test);
        QCOMPARE(test->kind(), StandardTestKind::Axial);
    } else {
        QVERIFY(dynamic_cast<LateralTest*>(procedure));
    }
}

void TestLateralStorage::storesAnAxialTest_data() {
    QTest::addColumn<float>("angle");
    QTest::addColumn<QString>("angleText");
    QTest::newRow("with a direction") << 216.8699f << "216.870";
    QTest::newRow("without") << std::nanf("") << "";
}

void TestLateralStorage::storesAnAxialTest() {
    QFETCH(float, angle);
    QFETCH(QString, angleText);
    StorageRig t(lateralScheme(true));
    QVERIFY(t.open().ok);
    const auto outcome = storeLateralTest(t.finished(axialResults(angle), axialCurve()));
    QVERIFY2(outcome.ok, qPrintable(outcome.error));

    const QList<DbRow> rows = rowsOf(t.batch, "select * from test_result");
    QCOMPARE(rows.size(), 1);
    const DbRow& row = rows.first();
    QCOMPARE(row.text("jinhuicheng"), QString("进"));
    QCOMPARE(row.text("result1"), QString("10.0"));  // the load's one decimal
    QCOMPARE(row.text("gangdu1"), QString("5.02"));
    // X with the X sensor's decimals, Y and the offset with the Y sensor's.
    QCOMPARE(row.text("x_value1"), QString("0.30"));
    QCOMPARE(row.text("y_value1"), QString("-0.400"));
    QCOMPARE(row.text("pianyi_value1"), QString("0.500"));
    QCOMPARE(row.text("x_value2"), QString("3.00"));
    QVERIFY(row.isEmpty("x_value3"));
    QCOMPARE(row.text("height"), QString("50.00"));
    QVERIFY(row.toDateTime("date").isValid());

    const QList<DbRow> points = rowsOf(t.batch, "select * from test_point order by number");
    QCOMPARE(points.size(), 3);
    QCOMPARE(points[1].text("X"), QString("3.00"));
    QCOMPARE(points[1].text("Y"), QString("4.000"));
    QVERIFY(points[2].isEmpty("X"));

    Database db(t.batch);
    QCOMPARE(readTestOffsetAngles(db), std::optional(QHash<int, QString>{{1, angleText}}));
    QCOMPARE(readTestOperators(db), std::optional(QHash<int, QString>{{1, QStringLiteral("张工")}}));
}

void TestLateralStorage::storesTheStrokesOfALateralScheme_data() {
    QTest::addColumn<int>("jh");
    QTest::addColumn<QStringList>("strokes");
    QTest::newRow("forward only") << 1 << QStringList{"进"};
    QTest::newRow("both strokes") << 2 << QStringList{"进", "回"};
}

void TestLateralStorage::storesTheStrokesOfALateralScheme() {
    QFETCH(int, jh);
    QFETCH(QStringList, strokes);
    StorageRig t(lateralScheme(false, jh));
    QVERIFY(t.open().ok);
    ResultArray r = axialResults(std::nanf(""));
    r[ResultArray::valueIndex(2, 1)] = 9.96f;
    QVERIFY(storeLateralTest(t.finished(r)).ok);

    const QList<DbRow> rows = rowsOf(t.batch, "select * from test_result order by jinhuicheng desc");
    QCOMPARE(rows.size(), strokes.size());
    for (int i = 0; i < rows.size(); ++i) {
        QCOMPARE(rows[i].text("jinhuicheng"), strokes[i]);
        QVERIFY(rows[i].isEmpty("x_value1"));  // a lateral test follows no offset
    }
    if (jh == 2) QCOMPARE(rows[1].text("result1"), QString("10.0"));
    Database db(t.batch);
    QCOMPARE(readTestOffsetAngles(db), std::optional(QHash<int, QString>{}));
}

void TestLateralStorage::failedStoreLeavesNothing_data() {
    QTest::addColumn<QString>("damage");
    QTest::newRow("the curve cannot be written") << "drop table test_point";
    QTest::newRow("the angle cannot be written")
        << "create table test_offset_angle (xuhao INTEGER PRIMARY KEY, angle TEXT CHECK (angle = 'never'))";
}

void TestLateralStorage::failedStoreLeavesNothing() {
    QFETCH(QString, damage);
    StorageRig t(lateralScheme(true));
    QVERIFY(t.open().ok);
    {
        Database db(t.batch);
        QVERIFY(db.exec(damage));
    }
    const auto outcome = storeLateralTest(t.finished(axialResults(216.87f), axialCurve()));
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.error.isEmpty());
    QCOMPARE(count(t.batch, "test_result"), 0);
    Database db(t.batch);
    QCOMPARE(readTestOperators(db), std::optional(QHash<int, QString>{}));
    if (!damage.startsWith("drop")) QCOMPARE(count(t.batch, "test_point"), 0);
}

void TestLateralStorage::axialTestThroughTheSequencer() {
    StorageRig t(lateralScheme(true));
    QVERIFY(t.open().ok);
    LateralRig& rig = t.rig;
    rig.start(0, 80);
    rig.sample(0, 80);
    rig.sample(5, 49.5f);
    rig.sample(4, 49.6f);
    rig.sample(5, 50);
    rig.seq->StopCurveTimer();  // fed by hand below
    rig.sensors(0.3f, -0.4f);
    rig.sample(10, 48, 2);
    rig.seq->ChartFeed();
    rig.sensors(-3.0f, -4.0f);
    rig.sample(22, 46, 4);
    rig.seq->ChartFeed();
    rig.sample(22, 46, 4);
    rig.seq->ChartFeed();
    rig.sample(0, 80);
    QVERIFY(!rig.seq->running());
    QTRY_COMPARE(rig.seq->state(), TestState::Stored);

    const DbRow row = rowsOf(t.batch, "select * from test_result").value(0);
    QCOMPARE(row.text("result2"), QString("22.0"));
    QCOMPARE(row.text("x_value2"), QString("-3.00"));
    QCOMPARE(row.text("y_value2"), QString("-4.000"));
    QCOMPARE(row.text("pianyi_value2"), QString("5.000"));
    const QList<DbRow> points = rowsOf(t.batch, "select * from test_point order by number");
    QCOMPARE(points.size(), 3);
    QCOMPARE(points[0].text("X"), QString("0.30"));
    QCOMPARE(points[0].text("Y"), QString("-0.400"));
    QCOMPARE(points[2].text("jinhuicheng"), QString("2"));
    QVERIFY(points[2].isEmpty("Y"));
    Database db(t.batch);
    QCOMPARE(readTestOffsetAngles(db), std::optional(QHash<int, QString>{{1, QString("36.870")}}));
}

QTEST_GUILESS_MAIN(TestLateralStorage)
#include "tst_lateralstorage.moc"
