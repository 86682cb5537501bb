#include "LateralRig.h"
#include "sequencer/CurveSink.h"
#include "sequencer/PathSink.h"
#include "sequencer/procedures/LateralTest.h"

#include <QtTest>

#include <cmath>

using namespace springtest;
using namespace springtest::testing;

using Moves = std::vector<std::string>;

namespace {

struct RecordingCurve : CurveSink {
    QList<QPair<int, QPointF>> points;
    double bottomMax = 0, leftMax = 0;
    void clearCurve() override { points.clear(); }
    void appendPoint(int series, double x, double load) override {
        points.append({series, QPointF(x, load)});
    }
    void setAxes(double bottom, double, double left, double) override {
        bottomMax = bottom;
        leftMax = left;
    }
};

struct RecordingPath : PathSink {
    QList<QPointF> points;
    int clears = 0;
    double xHalf = -1, xStep = -1, yHalf = -1, yStep = -1;
    void clearPath() override {
        points.clear();
        ++clears;
    }
    void appendPathPoint(double x_mm, double y_mm) override { points.append(QPointF(x_mm, y_mm)); }
    void setPathAxes(double xh, double xs, double yh, double ys) override {
        xHalf = xh;
        xStep = xs;
        yHalf = yh;
        yStep = ys;
    }
};

// The axial test from a start at 80 mm to the spring's height at 50 mm with an initial force of 5 N.
void approach(LateralRig& rig) {
    rig.sample(0, 80);
    rig.sample(5, 49.5f);  // initial force: back off
    rig.sample(4, 49.6f);  // released: slow contact
    rig.sample(5, 50);     // contact: the height
}

}  // namespace

class TestLateralTest : public QObject {
    Q_OBJECT
private slots:
    void offsetAngle_data();
    void offsetAngle();
    void axialTestFollowsTheOffset();
    void axialAngleIsThisTestsOwn_data();
    void axialAngleIsThisTestsOwn();
    void lateralPushAndPull_data();
    void lateralPushAndPull();
    void chartFeedDrawsThePathOfAnAxialTest();
    void chartFeedDrawsAPullByMagnitudes();
};

void TestLateralTest::offsetAngle_data() {
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<double>("theta");  // NaN: no number
    const double nan = std::nan("");
    QTest::newRow("X ≥ 0, Y > 0") << 3.0f << 4.0f << 216.8699;
    QTest::newRow("X < 0, Y > 0") << -3.0f << 4.0f << 143.1301;
    QTest::newRow("X < 0, Y < 0") << -3.0f << -4.0f << 36.8699;
    QTest::newRow("X > 0, Y < 0") << 3.0f << -4.0f << 323.1301;
    QTest::newRow("X = 0, Y < 0") << 0.0f << -2.0f << 0.0;
    QTest::newRow("X < 0, Y = 0") << -2.0f << 0.0f << 90.0;
    QTest::newRow("X = 0, Y > 0") << 0.0f << 2.0f << 180.0;
    QTest::newRow("X > 0, Y = 0") << 2.0f << 0.0f << 270.0;
    QTest::newRow("just short of a full turn") << 0.001f << -5.0f << 359.9885;
    QTest::newRow("no offset") << 0.0f << 0.0f << nan;
    QTest::newRow("X not read") << float(nan) << 1.0f << nan;
}

void TestLateralTest::offsetAngle() {
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(double, theta);
    const float got = offsetAngle_deg(x, y);
    if (std::isnan(theta)) {
        QVERIFY2(std::isnan(got), qPrintable(QString::number(got)));
        return;
    }
    QVERIFY2(std::fabs(got - theta) < 1e-3, qPrintable(QString::number(got, 'f', 4)));
    QVERIFY(got >= 0.0f && got < 360.0f);
    // The offset points along r·(−sin θ, −cos θ): turning it back by θ brings it to the 0° direction.
    const double r = std::hypot(x, y), t = got * M_PI / 180.0;
    QVERIFY(std::fabs(-r * std::sin(t) - x) < 1e-4 && std::fabs(-r * std::cos(t) - y) < 1e-4);
}

void TestLateralTest::axialTestFollowsTheOffset() {
    LateralRig rig;
    rig.setScheme(true, 1, {2, 4}, 1);
    ttest_info yb = rig.seq->scheme();
    yb.scheme_yb = true;  // an axial test never searches the solid height
    rig.seq->setScheme(yb);
    // The sensors stand somewhere before the spring is touched; the height zeroes them.
    FakeCard::state(kXSensorCard).pulses = 4000;
    FakeCard::state(kLateralDriveCard).pulses = -2000;
    QCOMPARE(rig.cards.cards[kXSensorCard].displacement->ReadDisplacement(), 1.0f);
    QCOMPARE(rig.cards.cards[kLateralDriveCard].displacement->ReadDisplacement(), -0.5f);
    rig.start(0, 80);
    QCOMPARE(rig.takeMoves(0), (Moves{"down"}));
    approach(rig);
    QCOMPARE(rig.seq->step(), TestStep::CapturePoints);
    QCOMPARE(rig.cards.cards[kXSensorCard].displacement->ReadDisplacement(), 0.0f);
    QCOMPARE(rig.cards.cards[kLateralDriveCard].displacement->ReadDisplacement(), 0.0f);

    rig.sensors(0.3f, -0.4f);
    rig.sample(10, 48, 2);
    rig.sensors(3.0f, 4.0f);
    rig.sample(22, 46, 4);
    ResultArray r = rig.seq->results();
    QCOMPARE(r[LateralResultIndex::x(1)], 0.3f);
    QCOMPARE(r[LateralResultIndex::y(1)], -0.4f);
    QCOMPARE(r[LateralResultIndex::offset(1)], 0.5f);
    QCOMPARE(r[LateralResultIndex::offset(2)], 5.0f);
    QCOMPARE(r.stiffness(1, 2), 6.0f);
    QVERIFY(std::isnan(r[LateralResultIndex::x(3)]));
    QVERIFY(std::isnan(r[LateralResultIndex::angle]));  // only once the test is finished
    // After the last point straight into the return, at 20 mm/min until then.
    QCOMPARE(rig.seq->step(), TestStep::Reverse);
    QCOMPARE(rig.cards.cards[0].motor->speed(), 20.0f);
    rig.takeMoves(0);
    rig.sample(22, 46, 4);
    QCOMPARE(rig.seq->stroke(), 2);
    QCOMPARE(rig.takeMoves(0), (Moves{"up"}));

    rig.sensors(0, 0);  // the spring's top comes back with it: the angle is the last point's
    rig.sample(0, 79.9f);
    QVERIFY(rig.seq->running());
    rig.sample(0, 80);
    QVERIFY(!rig.seq->running());
    r = rig.seq->results();
    QVERIFY(std::fabs(r[LateralResultIndex::angle] - 216.8699f) < 1e-3);
    QVERIFY(rig.seq->saveTimerActive());
}

void TestLateralTest::axialAngleIsThisTestsOwn_data() {
    QTest::addColumn<bool>("reachesPoints");
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<double>("theta");
    QTest::newRow("its last point") << true << -3.0f << -4.0f << 36.8699;
    QTest::newRow("last point without offset") << true << 0.0f << 0.0f << std::nan("");
    QTest::newRow("spring never felt") << false << 0.0f << 0.0f << std::nan("");
}

void TestLateralTest::axialAngleIsThisTestsOwn() {
    QFETCH(bool, reachesPoints);
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(double, theta);
    LateralRig rig;
    rig.setScheme(true, 1, {2});
    // A test before it left an angle of its own behind.
    rig.start(0, 80);
    approach(rig);
    rig.sensors(3.0f, 4.0f);
    rig.sample(10, 48, 2);
    rig.sample(10, 48, 2);
    rig.sample(0, 80);
    QVERIFY(!rig.seq->running());
    QVERIFY(!std::isnan(rig.seq->results()[LateralResultIndex::angle]));

    rig.start(0, 80);
    if (reachesPoints) {
        approach(rig);
        rig.sensors(x, y);
        rig.sample(10, 48, 2);
        rig.sample(10, 48, 2);
    } else {
        rig.sample(0, 47.9f);  // beyond where any spring would be felt: straight back
    }
    rig.sample(0, 80);
    QVERIFY(!rig.seq->running());
    const float got = rig.seq->results()[LateralResultIndex::angle];
    if (std::isnan(theta))
        QVERIFY2(std::isnan(got), qPrintable(QString::number(got)));
    else
        QVERIFY(std::fabs(got - theta) < 1e-3);
}

void TestLateralTest::lateralPushAndPull_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QVector<double>>("points");
    QTest::addColumn<QVector<float>>("values");  // point 1, 2 of either stroke
    QTest::newRow("deformations given, loads measured")
        << 1 << QVector<double>{2, 4} << QVector<float>{10, 22};
    QTest::newRow("loads given, deformations measured")
        << 3 << QVector<double>{10, 22} << QVector<float>{2, 4};
}

void TestLateralTest::lateralPushAndPull() {
    QFETCH(int, style);
    QFETCH(QVector<double>, points);
    QFETCH(QVector<float>, values);
    LateralRig rig;
    rig.setScheme(false, style, points, 1, 5, 50);  // one stroke stored: both are run all the same
    rig.start(kLateralDriveCard, 50);
    QCOMPARE(rig.takeMoves(kLateralDriveCard), (Moves{"down"}));
    QVERIFY(rig.takeMoves(0).empty());

    // Stroke 1 pushes the spring in: the load counts positive.
    rig.sample(0, 50, 0);
    QCOMPARE(rig.seq->step(), TestStep::CapturePoints);
    rig.sample(5, 49, 1);
    rig.sample(10, 48, 2);
    rig.sample(22, 46, 4);
    QCOMPARE(rig.seq->step(), TestStep::Reverse);
    rig.sample(22, 46, 4);
    QCOMPARE(rig.takeMoves(kLateralDriveCard), (Moves{"up"}));
    rig.sample(3, 49.9f, 0.1f);
    QCOMPARE(rig.seq->stroke(), 1);
    rig.sample(0, 50, 0);  // back at the free height: on upward, pulling
    QCOMPARE(rig.seq->stroke(), 2);
    QCOMPARE(rig.takeMoves(kLateralDriveCard), (Moves{"stop", "up"}));

    // Stroke 2 pulls it out: the drive reads the load negative.
    rig.sample(0, 50, 0);
    rig.sample(-5, 51, 1);
    QCOMPARE(rig.seq->pointIndex(), 1);
    rig.sample(-10, 52, 2);
    rig.sample(-22, 54, 4);
    QCOMPARE(rig.seq->step(), TestStep::Reverse);
    rig.sample(-22, 54, 4);
    QCOMPARE(rig.takeMoves(kLateralDriveCard), (Moves{"down"}));
    rig.sample(-3, 50.1f, 0.1f);
    QVERIFY(rig.seq->running());
    rig.sample(0, 50, 0);
    QVERIFY(!rig.seq->running());
    QCOMPARE(rig.takeMoves(kLateralDriveCard), (Moves{"stop"}));
    QVERIFY(rig.seq->saveTimerActive());

    const ResultArray r = rig.seq->results();
    for (int stroke : {1, 2}) {
        QCOMPARE(r.value(stroke, 1), values[0]);
        QCOMPARE(r.value(stroke, 2), values[1]);
        QCOMPARE(r.stiffness(stroke, 1), 5.0f);
        QCOMPARE(r.stiffness(stroke, 2), 6.0f);
    }
    QCOMPARE(rig.states.count(TestState::PointCaptured), 4);
    QVERIFY(std::isnan(r[LateralResultIndex::angle]));
}

void TestLateralTest::chartFeedDrawsThePathOfAnAxialTest() {
    LateralRig rig;
    RecordingCurve curve;
    RecordingPath path;
    rig.seq->SetCurveChart(&curve);
    rig.seq->SetLateralChart(&path);
    rig.seq->SetLateralChart(nullptr);  // keeps the chart it has
    rig.setScheme(true, 1, {2});
    rig.start(0, 80);
    QCOMPARE(path.clears, 1);
    QCOMPARE(path.xHalf, 0.0);

    rig.record(0).load = 12.34f;
    rig.record(0).displacement = 48;
    rig.record(0).deformation = 2;
    rig.sensors(-0.5f, 0.25f);
    rig.seq->ChartFeed();
    rig.sensors(0.125f, -1.0f);
    rig.seq->ChartFeed();
    QCOMPARE(path.points, (QList<QPointF>{{-0.5, 0.25}, {0.125, -1.0}}));
    // Widened symmetrically about 0, each way as far as either sensor went.
    QCOMPARE(path.xHalf, 0.6);
    QCOMPARE(path.yHalf, 1.2);
    QCOMPARE(path.yStep, 0.24);
    QCOMPARE(curve.points.last(), (QPair<int, QPointF>{0, QPointF(2, 12.34f)}));

    rig.seq->setStroke(2);
    rig.seq->ChartFeed();
    QCOMPARE(path.points.size(), 2);  // the return stroke draws no path
    const ttest_chart c = rig.seq->curve();
    QCOMPARE(c.count, 3);
    QCOMPARE(c.x, (QStringList{"-0.50", "0.13", ""}));    // card 3's two decimals
    QCOMPARE(c.y, (QStringList{"0.250", "-1.000", ""}));  // card 1's three
    QCOMPARE(c.load.first(), QString("12.3"));
    QCOMPARE(c.stroke, (QStringList{"1", "1", "2"}));
}

void TestLateralTest::chartFeedDrawsAPullByMagnitudes() {
    LateralRig rig;
    RecordingCurve curve;
    RecordingPath path;
    rig.seq->SetCurveChart(&curve);
    rig.seq->SetLateralChart(&path);
    rig.setScheme(false, 1, {2});
    rig.start(kLateralDriveCard, 50);
    rig.seq->setStroke(2);
    rig.record(kLateralDriveCard).load = -20;
    rig.record(kLateralDriveCard).displacement = 53;
    rig.record(kLateralDriveCard).deformation = 3;
    rig.seq->ChartFeed();
    QCOMPARE(curve.points, (QList<QPair<int, QPointF>>{{1, QPointF(3, 20)}}));
    QCOMPARE(curve.leftMax, 24.0);
    QCOMPARE(curve.bottomMax, 3.6);
    QVERIFY(path.points.isEmpty());
    const ttest_chart c = rig.seq->curve();
    QCOMPARE(c.load, QStringList{"20.000"});
    QCOMPARE(c.x, QStringList{""});
}

QTEST_GUILESS_MAIN(TestLateralTest)
#include "tst_lateraltest.moc"
