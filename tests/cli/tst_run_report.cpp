// What `run` says of a stored test at its end: its heights and return stroke, whether it kept its limits, the
// JSON a program reads, and the exit code that sums the run up.

#include "cli/RunReport.h"
#include "sequencer/procedures/LateralTest.h"

#include <QtTest>

#include <QJsonArray>

using namespace springtest;

namespace {

// A compression spring of three points, limits on every point and on the stiffness, return stroke and solid
// height measured; every value within its limits.
FinishedTest storedSpring() {
    FinishedTest t;
    t.scheme.xuhao = 4;
    t.scheme.scheme_sum = 3;
    t.scheme.scheme_jh = 2;
    t.scheme.scheme_yb = true;
    t.scheme.points = {55, 50, 45};
    t.scheme.upper = {60, 110, 160};
    t.scheme.lower = {40, 90, 140};
    t.scheme.scheme_gangdu_max = 10.1;
    t.scheme.scheme_gangdu_min = 9.9;
    t.format.loadDecimals = 2;
    t.format.displacementDecimals = 2;
    ResultArray& r = t.results;
    r[0] = 59.95f;
    r[1] = 30.01f;
    const float loads[] = {50, 100, 150};
    for (int k = 1; k <= 3; ++k) {
        r[ResultArray::valueIndex(1, k)] = loads[k - 1];
        r[ResultArray::stiffnessIndex(1, k)] = 10.0f;
        r[ResultArray::valueIndex(2, k)] = loads[k - 1] - 1;
    }
    return t;
}

// An axial test on the lateral-stiffness machine: the spring's top moved sideways by X = 0.3k, Y = 0.4k at
// point k, so its offset is 0.5k; its last offset points at θ = 216.87°.
FinishedTest storedAxialTest() {
    FinishedTest t = storedSpring();
    t.scheme.scheme_jh = 1;
    t.scheme.scheme_yb = false;
    for (int k = 1; k <= 3; ++k) {
        t.results[LateralResultIndex::x(k)] = 0.3f * k;
        t.results[LateralResultIndex::y(k)] = 0.4f * k;
        t.results[LateralResultIndex::offset(k)] = 0.5f * k;
    }
    t.results[LateralResultIndex::angle] = 216.8699f;
    // X read by a sensor of 3 decimals, Y by one of 2.
    t.xDecimals = 3;
    t.yDecimals = 2;
    return t;
}

}  // namespace

class TestRunReport : public QObject {
    Q_OBJECT
private slots:
    void judgesTheLoadingStroke_data();
    void judgesTheLoadingStroke();
    void exitCode_data();
    void exitCode();
    void heightsAndReturnStroke();
    void jsonCarriesNumbers();
    void axialTestTellsItsOffsets_data();
    void axialTestTellsItsOffsets();
    void lateralTestTellsBothStrokes_data();
    void lateralTestTellsBothStrokes();
};

void TestRunReport::judgesTheLoadingStroke_data() {
    QTest::addColumn<int>("slot");  // of the result array; -1 none
    QTest::addColumn<float>("value");
    QTest::addColumn<bool>("limitsSet");
    QTest::addColumn<QStringList>("outside");

    QTest::newRow("every value within") << -1 << 0.0f << true << QStringList{};
    QTest::newRow("point above its upper limit")
        << ResultArray::valueIndex(1, 2) << 110.01f << true << QStringList{"point 2 强"};
    QTest::newRow("point at its upper limit")
        << ResultArray::valueIndex(1, 2) << 110.0f << true << QStringList{};
    QTest::newRow("point below its lower limit")
        << ResultArray::valueIndex(1, 1) << 39.0f << true << QStringList{"point 1 弱"};
    QTest::newRow("stiffness low") << ResultArray::stiffnessIndex(1, 3) << 9.5f << true
                                   << QStringList{"stiffness 3 弱"};
    QTest::newRow("no limits set, nothing to leave")
        << ResultArray::valueIndex(1, 2) << 500.0f << false << QStringList{};
    QTest::newRow("the return stroke is not judged")
        << ResultArray::valueIndex(2, 1) << 500.0f << true << QStringList{};
}

void TestRunReport::judgesTheLoadingStroke() {
    QFETCH(int, slot);
    QFETCH(float, value);
    QFETCH(bool, limitsSet);
    QFETCH(QStringList, outside);
    FinishedTest test = storedSpring();
    if (slot >= 0) test.results[slot] = value;
    if (!limitsSet) {
        test.scheme.upper = test.scheme.lower = {0, 0, 0};
        test.scheme.scheme_gangdu_max = test.scheme.scheme_gangdu_min = 0;
    }
    QCOMPARE(outOfLimits(reportStoredTest(test)), outside);
}

void TestRunReport::exitCode_data() {
    QTest::addColumn<bool>("endedByItself");
    QTest::addColumn<int>("started");
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("oneOutside");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("all stored, all within") << true << 2 << 2 << false << 0;
    QTest::newRow("all stored, one outside") << true << 2 << 2 << true << kExitOutsideLimits;
    QTest::newRow("one not stored") << true << 2 << 1 << false << 1;
    QTest::newRow("one not stored, one outside") << true << 2 << 1 << true << 1;
    QTest::newRow("stopped after storing") << false << 1 << 1 << false << 1;
    QTest::newRow("no test ran") << true << 0 << 0 << false << 1;
}

void TestRunReport::exitCode() {
    QFETCH(bool, endedByItself);
    QFETCH(int, started);
    QFETCH(int, stored);
    QFETCH(bool, oneOutside);
    QFETCH(int, exitCode);
    QList<StoredTestReport> reports;
    for (int i = 0; i < stored; ++i) {
        FinishedTest test = storedSpring();
        if (oneOutside && i == stored - 1) test.results[ResultArray::valueIndex(1, 3)] = 200;
        reports << reportStoredTest(test);
    }
    QCOMPARE(runExitCode(endedByItself, started, reports), exitCode);
}

void TestRunReport::heightsAndReturnStroke() {
    FinishedTest test = storedSpring();
    StoredTestReport report = reportStoredTest(test);
    QCOMPARE(report.serial, 4);
    QCOMPARE(report.freeHeight, QString("59.95"));
    QCOMPARE(report.solidHeight, QString("30.01"));
    QCOMPARE(report.returnPoints.size(), 3);
    QCOMPARE(report.returnPoints[2].value, QString("149.00"));

    test.scheme.scheme_jh = 1;
    test.scheme.scheme_yb = false;
    report = reportStoredTest(test);
    QVERIFY(report.returnPoints.isEmpty());
    QVERIFY(report.solidHeight.isEmpty());
}

void TestRunReport::jsonCarriesNumbers() {
    FinishedTest test = storedSpring();
    test.results[ResultArray::stiffnessIndex(1, 1)] = std::numeric_limits<float>::quiet_NaN();
    test.results[ResultArray::valueIndex(1, 2)] = 111;
    const QJsonObject json = storedTestJson(reportStoredTest(test));
    QCOMPARE(json["free_height"].toDouble(), 59.95);
    QVERIFY(json["free_height"].isDouble());
    const QJsonObject first = json["points"][0].toObject();
    QVERIFY(first["value"].isDouble());
    QCOMPARE(first["value"].toDouble(), 50.0);
    QVERIFY(first["stiffness"].isNull());  // the first point of a compression spring may have none
    QCOMPARE(json["points"][1]["verdict"].toString(), QString("强"));
    QCOMPARE(json["return_points"][2]["value"].toDouble(), 149.0);
    QCOMPARE(json["return_points"][2]["verdict"].toString(), QString());  // not judged
    QCOMPARE(json["within_limits"].toBool(), false);
    QCOMPARE(json["out_of_limits"].toArray(), QJsonArray{"point 2 强"});
}

void TestRunReport::axialTestTellsItsOffsets_data() {
    QTest::addColumn<float>("angle");
    QTest::addColumn<QString>("angleText");
    QTest::newRow("an offset") << 216.8699f << "216.87";
    // X = Y = 0: the spring's top did not move, so there is no direction and the turntable stays.
    QTest::newRow("no offset") << std::numeric_limits<float>::quiet_NaN() << "";
}

void TestRunReport::axialTestTellsItsOffsets() {
    QFETCH(float, angle);
    QFETCH(QString, angleText);
    FinishedTest test = storedAxialTest();
    test.results[LateralResultIndex::angle] = angle;
    // Point 3 was not reached: its offsets are empty, not zero.
    test.results[LateralResultIndex::x(3)] = std::numeric_limits<float>::quiet_NaN();
    test.results[LateralResultIndex::y(3)] = std::numeric_limits<float>::quiet_NaN();
    test.results[LateralResultIndex::offset(3)] = std::numeric_limits<float>::quiet_NaN();
    const StoredTestReport report = reportStoredLateralTest(test);
    QVERIFY(report.offsets);
    QVERIFY(!report.lateralTest);
    QCOMPARE(report.freeHeight, QString("59.95"));
    QCOMPARE(report.offsets->points.size(), 3);
    QCOMPARE(report.offsets->points[1].x, QString("0.600"));
    QCOMPARE(report.offsets->points[1].y, QString("0.80"));
    QCOMPARE(report.offsets->points[1].offset, QString("1.00"));
    QVERIFY(report.offsets->points[2].x.isEmpty());
    QCOMPARE(report.offsets->angle_deg, angleText);

    const QJsonObject json = storedTestJson(report);
    QCOMPARE(json["kind"].toString(), QString("axial"));
    QCOMPARE(json["points"][0]["x"].toDouble(), 0.3);
    QCOMPARE(json["points"][0]["y"].toDouble(), 0.4);
    QCOMPARE(json["points"][0]["offset"].toDouble(), 0.5);
    QCOMPARE(json["points"][0]["value"].toDouble(), 50.0);  // the point itself as on every machine
    QVERIFY(json["points"][2]["offset"].isNull());
    if (angleText.isEmpty())
        QVERIFY(json["offset_angle"].isNull());
    else
        QCOMPARE(json["offset_angle"].toDouble(), angleText.toDouble());
}

void TestRunReport::lateralTestTellsBothStrokes_data() {
    QTest::addColumn<int>("strokesStored");
    // A lateral test is pushed both ways whatever its scheme stores.
    QTest::newRow("forward row stored") << 1;
    QTest::newRow("both rows stored") << 2;
}

void TestRunReport::lateralTestTellsBothStrokes() {
    QFETCH(int, strokesStored);
    FinishedTest test = storedSpring();
    test.scheme.scheme_type = false;
    test.scheme.scheme_jh = strokesStored;
    test.scheme.scheme_yb = false;
    for (int k = 1; k <= 3; ++k) test.results[ResultArray::stiffnessIndex(2, k)] = 12.0f;
    const StoredTestReport report = reportStoredLateralTest(test);
    QVERIFY(report.lateralTest);
    QVERIFY(!report.offsets);
    // Whatever the result array holds there, a lateral test does not measure the spring's height.
    QVERIFY(report.freeHeight.isEmpty());
    QCOMPARE(report.points.size(), 3);
    QCOMPARE(report.returnPoints.size(), 3);
    QCOMPARE(report.returnPoints[0].value, QString("49.00"));
    QCOMPARE(report.returnPoints[0].stiffness, QString("12.00"));
    QCOMPARE(report.returnPoints[0].valueVerdict, Verdict::None);

    const QJsonObject json = storedTestJson(report);
    QCOMPARE(json["kind"].toString(), QString("lateral"));
    QVERIFY(json["free_height"].isNull());
    QCOMPARE(json["return_points"].toArray().size(), 3);
    QCOMPARE(json["return_points"][1]["stiffness"].toDouble(), 12.0);
    QVERIFY(!json.contains("offset_angle"));
}

QTEST_GUILESS_MAIN(TestRunReport)
#include "tst_run_report.moc"
