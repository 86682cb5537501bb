#include "SequencerRig.h"
#include "sequencer/procedures/LeafSpringTest.h"
#include "support/NearCompare.h"

#include <QtTest>

#include <cmath>

using namespace springtest;
using namespace springtest::testing;

namespace {

// Total leaf thickness and carriage centre height of every scheme here: arc height = D − 80.
constexpr double kThickness = 30, kCarriage = 50;
constexpr float kStart = 150;

// A leaf spring the rig's card presses: touched at `contact` in each cycle (it settles as it is pressed),
// loading at `rate` going down and at 0.9 × rate coming up. Each sample moves the crosshead `step` the way
// the test drives it.
struct LeafRig {
    SequencerRig rig{3};
    std::shared_ptr<LeafSpringTest> leaf = std::make_shared<LeafSpringTest>(*rig.seq);
    QList<double> contacts{120, 119, 118.5, 118.2};
    double rate = 100;
    double step = 0.01;
    int samples = 0;
    double D = kStart;
    float lowest = kStart;  // lowest displacement of the measuring cycle
    float peakLoad = 0;     // highest load of the measuring cycle
    float turnedAt = NAN;   // displacement of the first sample on the way up

    LeafRig() {
        rig.seq->InstallProcedure(leaf);
        rig.takeMoves();
    }

    void setScheme(SchemeStyle style, QVector<double> points, int jh, double returnLoad = 900) {
        ttest_info s;
        s.scheme_style = style;
        s.scheme_sum = static_cast<int>(points.size());
        s.points = points;
        s.upper = QVector<double>(points.size(), 0.0);
        s.lower = QVector<double>(points.size(), 0.0);
        s.scheme_load = 10;
        s.scheme_jh = jh;
        s.scheme_SDload = 500;
        s.scheme_yyLOAD = 800;
        s.scheme_returnLOAD = returnLoad;
        s.scheme_th_height = kThickness;
        s.scheme_xc_height = kCarriage;
        rig.seq->setScheme(s);
    }

    double contact() const { return contacts.value(rig.seq->cycle() - 1, contacts.last()); }

    // Runs a test from the start position until it ends.
    void run() {
        rig.record().displacement = kStart;
        rig.seq->StartTest(0);
        drive();
    }
    // Moves the crosshead from where it stands, a sample at a time, until the test ends.
    void drive(int limit = 200000) {
        while (rig.seq->running() && samples < limit) {
            const bool down = rig.seq->stroke() == 1;
            D += down ? -step : step;
            const double deflection = std::max(0.0, contact() - D);
            const double L = (down ? 1.0 : 0.9) * rate * deflection;
            const float H = rig.seq->results().height();
            const double E = std::isnan(H) ? 0.0 : H - D;
            if (rig.seq->inMeasuringCycle()) {
                lowest = std::min(lowest, float(D));
                peakLoad = std::max(peakLoad, float(L));
                if (!down && std::isnan(turnedAt)) turnedAt = float(D);
            }
            rig.record().load = float(L);
            rig.record().displacement = float(D);
            rig.record().deformation = float(E);
            leaf->onSample(0);
            ++samples;
        }
    }
    ResultArray results() const { return rig.seq->results(); }
    int startedStates() const { return int(rig.states.count(TestState::Started)); }
};

}  // namespace

class TestLeafSpringTest : public QObject {
    Q_OBJECT
private slots:
    void pressingCyclesAndArcHeights_data();
    void pressingCyclesAndArcHeights();
    void returnStrokeOnlyWhenMeasured_data();
    void returnStrokeOnlyWhenMeasured();
    void stylesCaptureTheirQuantity_data();
    void stylesCaptureTheirQuantity();
    void forwardStrokeGoesOnToTheMaximumLoad_data();
    void forwardStrokeGoesOnToTheMaximumLoad();
    void noSpringTurnsBackAtSixTenthsOfTheStart_data();
    void noSpringTurnsBackAtSixTenthsOfTheStart();
    void everyTestOfASeriesIsPressedAgain();
};

void TestLeafSpringTest::pressingCyclesAndArcHeights_data() {
    QTest::addColumn<int>("precompressions");
    QTest::addColumn<double>("pressedContact");  // where the measuring cycle touches
    QTest::addColumn<double>("setLoadContact");  // where the last pre-compression touched

    // Count 0 still presses the spring once: the free arc height from the first touch, the arc height
    // after pressing from the second.
    QTest::newRow("none") << 0 << 119.0 << 120.0;
    QTest::newRow("one") << 1 << 118.5 << 119.0;
    QTest::newRow("two") << 2 << 118.2 << 118.5;
}

void TestLeafSpringTest::pressingCyclesAndArcHeights() {
    QFETCH(int, precompressions);
    QFETCH(double, pressedContact);
    QFETCH(double, setLoadContact);
    LeafRig t;
    t.setScheme(SchemeStyle::LoadDeformation, {200, 400, 600}, 2);
    t.rig.seq->SetPrecompressCount(precompressions);
    t.run();

    QVERIFY(!t.rig.seq->running());
    QCOMPARE(t.rig.seq->cycle(), precompressions + 2);
    QCOMPARE(t.startedStates(), precompressions + 2);
    const ResultArray r = t.results();
    // The contact force of 10 N lies 0.1 mm below each touch.
    COMPARE_NEAR(r[LeafResultIndex::freeArcHeight], 120 - 0.1 - 80, 0.0, 0.011);
    COMPARE_NEAR(r[LeafResultIndex::pressedArcHeight], pressedContact - 0.1 - 80, 0.0, 0.011);
    COMPARE_NEAR(r.height(), pressedContact - 0.1, 0.0, 0.011);
    // The set load of 500 N, 5 mm below the last pre-compression's touch.
    COMPARE_NEAR(r[LeafResultIndex::setLoadArcHeight], setLoadContact - 5 - 80, 0.0, 0.011);
    // Only the first touch stops the crosshead; every cycle goes back up to the start.
    const auto moves = t.rig.takeMoves();
    QCOMPARE(std::count(moves.begin(), moves.end(), "stop"), 2);  // the first touch, the end
    QCOMPARE(std::count(moves.begin(), moves.end(), "up"), precompressions + 2);
    // The stored curve is the measuring cycle's alone: it never goes above the measuring cycle's touch.
    QVERIFY(t.rig.seq->curve().count == 0 ||
            t.rig.seq->curve().displacement.first().toDouble() < pressedContact);
}

void TestLeafSpringTest::returnStrokeOnlyWhenMeasured_data() {
    QTest::addColumn<int>("jh");
    QTest::newRow("forward stroke only") << 1;
    QTest::newRow("both strokes") << 2;
}

void TestLeafSpringTest::returnStrokeOnlyWhenMeasured() {
    QFETCH(int, jh);
    LeafRig t;
    t.setScheme(SchemeStyle::LoadDeformation, {200, 400, 600}, jh);
    t.rig.seq->SetPrecompressCount(0);
    t.run();
    const ResultArray r = t.results();
    for (int k = 1; k <= 3; ++k) {
        QVERIFY(!std::isnan(r.value(1, k)));
        QVERIFY(!std::isnan(r[LeafResultIndex::staticArcHeight(1, k)]));
        QCOMPARE(std::isnan(r.value(2, k)), jh == 1);
        QCOMPARE(std::isnan(r.stiffness(2, k)), jh == 1);
        QCOMPARE(std::isnan(r[LeafResultIndex::staticArcHeight(2, k)]), jh == 1);
    }
    // Forward captures only are reported, in order.
    QCOMPARE(t.rig.capturedPoints, (QList<int>{1, 2, 3}));
}

void TestLeafSpringTest::stylesCaptureTheirQuantity_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<QVector<double>>("points");
    QTest::addColumn<double>("forward2");
    QTest::addColumn<double>("return2");
    QTest::addColumn<double>("forwardStiffness2");
    QTest::addColumn<double>("returnStiffness2");
    QTest::addColumn<double>("forwardArc2");  // NaN: not measured with this style
    QTest::addColumn<double>("returnArc2");

    // The measuring cycle touches at 119, takes its height H = 118.9 at 10 N, loads at 100 N/mm going down
    // and 90 N/mm coming up. Point 2 of each style lies 4 mm below the touch.
    const double nan = NAN;
    // Displacement points: the load at D = 115 (400 N), back up 360 N there; stiffness L / E on the way up.
    QTest::newRow("0 displacement -> load")
        << 0 << QVector<double>{117, 115, 113} << 400.0 << 360.0 << 100.0 << 360 / 3.9 << nan << nan;
    // Deformation points from H: E = 4 is D = 114.9, 410 N down, 369 N up.
    QTest::newRow("1 deformation -> load")
        << 1 << QVector<double>{2, 4, 6} << 410.0 << 369.0 << 100.0 << 369 / 4.0 << nan << nan;
    // Load points: 400 N at D = 115 going down, at D = 119 − 400/90 coming up.
    const double up = 119 - 400 / 90.0;
    QTest::newRow("2 load -> displacement")
        << 2 << QVector<double>{200, 400, 600} << 115.0 << up << 100.0 << 400 / (118.9 - up) << nan << nan;
    // Style 3 measures deformations, the static-load arc heights at each point both ways, and judges the
    // return stiffness on the mean deformation of both strokes.
    QTest::newRow("3 load -> deformation")
        << 3 << QVector<double>{200, 400, 600} << 3.9 << 118.9 - up << 100.0 << 400 / ((3.9 + 118.9 - up) / 2)
        << 115.0 - 80 << up - 80;
}

void TestLeafSpringTest::stylesCaptureTheirQuantity() {
    QFETCH(int, style);
    QFETCH(QVector<double>, points);
    QFETCH(double, forward2);
    QFETCH(double, return2);
    QFETCH(double, forwardStiffness2);
    QFETCH(double, returnStiffness2);
    QFETCH(double, forwardArc2);
    QFETCH(double, returnArc2);
    LeafRig t;
    t.setScheme(static_cast<SchemeStyle>(style), points, 2);
    t.rig.seq->SetPrecompressCount(0);
    t.run();
    const ResultArray r = t.results();
    // One sample of 0.01 mm is 1 N: every value within a sample or two.
    COMPARE_NEAR(r.value(1, 2), forward2, 0.005, 0.02);
    COMPARE_NEAR(r.value(2, 2), return2, 0.005, 0.02);
    COMPARE_NEAR(r.stiffness(1, 2), forwardStiffness2, 0.02, 0.0);
    COMPARE_NEAR(r.stiffness(2, 2), returnStiffness2, 0.02, 0.0);
    for (int k = 1; k <= 3; ++k) {
        QVERIFY2(!std::isnan(r.value(1, k)) && !std::isnan(r.value(2, k)), qPrintable(QString::number(k)));
        QCOMPARE(std::isnan(r[LeafResultIndex::staticArcHeight(1, k)]), std::isnan(forwardArc2));
        QCOMPARE(std::isnan(r[LeafResultIndex::staticArcHeight(2, k)]), std::isnan(returnArc2));
    }
    if (!std::isnan(forwardArc2)) {
        COMPARE_NEAR(r[LeafResultIndex::staticArcHeight(1, 2)], forwardArc2, 0.0, 0.02);
        COMPARE_NEAR(r[LeafResultIndex::staticArcHeight(2, 2)], returnArc2, 0.0, 0.02);
    }
}

void TestLeafSpringTest::forwardStrokeGoesOnToTheMaximumLoad_data() {
    QTest::addColumn<double>("returnLoad");
    QTest::addColumn<double>("peakLoad");
    QTest::addColumn<QList<bool>>("captured");  // forward points 1…3

    // Past the last point (600 N) the spring is pressed on until the load exceeds the maximum test load.
    QTest::newRow("maximum test load beyond the last point")
        << 900.0 << 900.0 << QList<bool>{true, true, true};
    QTest::newRow("none given: back at the last point") << 0.0 << 600.0 << QList<bool>{true, true, true};
    // Never pressed past the maximum test load for a point beyond it: the point stays empty.
    QTest::newRow("maximum test load before the last point")
        << 500.0 << 500.0 << QList<bool>{true, true, false};
}

void TestLeafSpringTest::forwardStrokeGoesOnToTheMaximumLoad() {
    QFETCH(double, returnLoad);
    QFETCH(double, peakLoad);
    QFETCH(QList<bool>, captured);
    LeafRig t;
    t.setScheme(SchemeStyle::LoadDeformation, {200, 400, 600}, 2, returnLoad);
    t.run();
    QVERIFY(!t.rig.seq->running());
    COMPARE_NEAR(t.peakLoad, peakLoad, 0.0, 2.0);
    const ResultArray r = t.results();
    for (int k = 1; k <= 3; ++k) {
        QCOMPARE(!std::isnan(r.value(1, k)), captured[k - 1]);
        // Coming up, only the points reached going down are taken.
        QCOMPARE(!std::isnan(r.value(2, k)), captured[k - 1]);
    }
}

void TestLeafSpringTest::noSpringTurnsBackAtSixTenthsOfTheStart_data() {
    QTest::addColumn<int>("precompressions");
    QTest::newRow("none") << 0;
    QTest::newRow("two") << 2;
}

void TestLeafSpringTest::noSpringTurnsBackAtSixTenthsOfTheStart() {
    QFETCH(int, precompressions);
    LeafRig t;
    t.contacts = {50};  // below 0.6 × 150: never felt
    t.step = 0.1;
    t.setScheme(SchemeStyle::LoadDeformation, {200, 400, 600}, 2);
    t.rig.seq->SetPrecompressCount(precompressions);
    t.run();
    QVERIFY(!t.rig.seq->running());
    // Every cycle turns at 90 mm without a stop and starts the next from the top; the last one ends the test.
    QCOMPARE(t.rig.seq->cycle(), precompressions + 2);
    COMPARE_NEAR(t.lowest, 0.6 * kStart, 0.0, 0.11);
    const auto moves = t.rig.takeMoves();
    QCOMPARE(std::count(moves.begin(), moves.end(), "stop"), 1);  // the end
    QCOMPARE(std::count(moves.begin(), moves.end(), "up"), precompressions + 2);
    const ResultArray r = t.results();
    QVERIFY(std::isnan(r[LeafResultIndex::freeArcHeight]));
    QVERIFY(std::isnan(r.value(1, 1)));
}

void TestLeafSpringTest::everyTestOfASeriesIsPressedAgain() {
    // The next test of a series starts where the last one ended: at its first cycle, pre-compressions and
    // free arc height included, not straight into a measuring cycle.
    LeafRig t;
    t.setScheme(SchemeStyle::LoadDeformation, {200, 400, 600}, 2);
    t.rig.seq->SetPrecompressCount(1);
    t.run();
    QCOMPARE(t.rig.seq->cycle(), 3);
    t.contacts = {118, 117.9, 117.8};
    t.rig.seq->RunTest(0);
    QCOMPARE(t.rig.seq->cycle(), 1);
    QVERIFY(!t.rig.seq->inMeasuringCycle());
    QVERIFY(std::isnan(t.results()[LeafResultIndex::freeArcHeight]));
    t.drive();
    QCOMPARE(t.rig.seq->cycle(), 3);
    COMPARE_NEAR(t.results()[LeafResultIndex::freeArcHeight], 118 - 0.1 - 80, 0.0, 0.011);
    COMPARE_NEAR(t.results()[LeafResultIndex::pressedArcHeight], 117.8 - 0.1 - 80, 0.0, 0.011);
}

QTEST_GUILESS_MAIN(TestLeafSpringTest)
#include "tst_leafspringtest.moc"
