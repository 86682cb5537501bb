#include "SequencerRig.h"
#include "sequencer/SlowApproach.h"

#include <QtTest>

#include <cmath>

using namespace springtest;
using namespace springtest::testing;

using Moves = std::vector<std::string>;

class TestStandardTest : public QObject {
    Q_OBJECT
private slots:
    void workedCompressionExample();
    void returnStrokeCapturesLastToFirst();
    void forwardOnlyLeavesReturnEmpty();
    void solidSearchStartsAfterTwentySamples();
    void solidSearchSkipsUnchangedDeformation();
    void solidSearchRidesOutAHeldUpLoop();
    void springNeverFeltEndsAtStart();
    void tensionStiffnessAndSlowSpeeds();
    void type6MovesTheOtherWay();
    void zeroDenominatorLeavesStiffnessEmpty_data();
    void zeroDenominatorLeavesStiffnessEmpty();
    void constantSpeedNeverChangesSpeed();
    void variableSpeedSlowsNearPoint();
    void slowApproachRules_data();
    void slowApproachRules();
    void resultsClearedAtEveryStart();
    void forwardStiffnessFormulas_data();
    void forwardStiffnessFormulas();
};

// Seek, back off and take the height at H with initial force F0 = 5 N.
static void approach(SequencerRig& rig, float H) {
    rig.sample(0, H + 30);
    rig.sample(5, H - 0.5f);  // initial force: back off
    rig.sample(4, H - 0.4f);  // released: slow contact
    rig.sample(5, H);         // contact: height
}

void TestStandardTest::workedCompressionExample() {
    SequencerRig rig;
    rig.setScheme(0, {40, 35, 30}, 5.0, 1);
    rig.start(80);
    QCOMPARE(rig.takeMoves(), (Moves{"down"}));
    QCOMPARE(rig.states, QList<TestState>{TestState::Started});

    rig.sample(0, 80);
    rig.sample(5, 50.5f);
    QCOMPARE(rig.seq->step(), TestStep::BackOff);
    QCOMPARE(rig.takeMoves(), (Moves{"stop", "up"}));
    QCOMPARE(rig.takeRates().back(), 20.0f);
    rig.sample(4, 50.6f);
    QCOMPARE(rig.seq->step(), TestStep::TakeHeight);
    QCOMPARE(rig.takeMoves(), (Moves{"stop", "down"}));
    QCOMPARE(rig.takeRates().back(), 10.0f);
    rig.sample(5, 50);
    QCOMPARE(rig.seq->step(), TestStep::CapturePoints);
    QCOMPARE(rig.seq->results().height(), 50.0f);
    QVERIFY(rig.seq->curveTimerActive());
    QCOMPARE(rig.cards.cards[0].displacement->deformationReference(), 50.0);

    rig.sample(60, 45);
    QVERIFY(rig.capturedPoints.isEmpty());
    rig.sample(100, 40);
    rig.sample(220, 35);
    rig.sample(330, 30);
    QCOMPARE(rig.capturedPoints, (QList<int>{1, 2, 3}));
    const ResultArray r = rig.seq->results();
    QCOMPARE(r.value(1, 1), 100.0f);
    QCOMPARE(r.stiffness(1, 1), 10.0f);
    QCOMPARE(r.stiffness(1, 2), 24.0f);
    QCOMPARE(r.stiffness(1, 3), 22.0f);
    QCOMPARE(rig.seq->meanStiffness(), 19.5f);
    QCOMPARE(rig.seq->step(), TestStep::Settle);

    rig.takeMoves();
    rig.sample(330, 30);  // step 5 → 6
    rig.sample(330, 30);  // reversal
    QCOMPARE(rig.seq->stroke(), 2);
    QCOMPARE(rig.takeMoves(), (Moves{"up"}));
    QVERIFY(!rig.seq->curveTimerActive());  // forward stroke only: the curve ends at the reversal
    rig.sample(0, 79.99f);
    QVERIFY(rig.seq->running());
    rig.sample(0, 80);
    QVERIFY(!rig.seq->running());
    QCOMPARE(rig.seq->state(), TestState::Stopped);
    QVERIFY(rig.seq->saveTimerActive());
}

void TestStandardTest::returnStrokeCapturesLastToFirst() {
    SequencerRig rig;
    rig.setScheme(0, {40, 35, 30}, 5.0, 2);
    rig.start(80);
    approach(rig, 50);
    rig.sample(100, 40);
    rig.sample(220, 35);
    rig.sample(330, 30);
    rig.sample(330, 30);
    rig.sample(330, 30);
    QCOMPARE(rig.seq->stroke(), 2);
    QVERIFY(rig.seq->curveTimerActive());  // the return stroke is recorded too
    rig.sample(320, 30.5f, 19.5f);         // point 3 once D ≥ 30
    rig.sample(200, 34.9f, 15.1f);
    rig.sample(190, 35.0f, 15.0f);  // point 2
    rig.sample(100, 40.0f, 10.0f);  // point 1
    const ResultArray r = rig.seq->results();
    QCOMPARE(r.value(2, 3), 320.0f);
    QCOMPARE(r.stiffness(2, 3), 320.0f / 19.5f);
    QCOMPARE(r.value(2, 2), 190.0f);
    QCOMPARE(r.stiffness(2, 2), 190.0f / 15.0f);  // L / E at its capture
    QCOMPARE(r.value(2, 1), 100.0f);
    QCOMPARE(rig.seq->pointIndex(), 0);
    QCOMPARE(rig.capturedPoints.size(), 3);  // return points are not reported
    rig.sample(4, 45, 5);
    QVERIFY(!rig.seq->curveTimerActive());  // load below the initial force ends the curve
}

void TestStandardTest::forwardOnlyLeavesReturnEmpty() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0, 1);
    rig.start(80);
    approach(rig, 50);
    rig.sample(100, 40);
    rig.sample(100, 40);
    rig.sample(100, 40);
    rig.sample(100, 45, 5);
    rig.sample(100, 40, 10);
    QVERIFY(ResultArray::isEmpty(rig.seq->results().value(2, 1)));
    QVERIFY(ResultArray::isEmpty(rig.seq->results().stiffness(2, 1)));
}

void TestStandardTest::solidSearchStartsAfterTwentySamples() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0, 1, true);
    rig.start(80);
    approach(rig, 50);
    rig.sample(100, 40, 10);  // stiffness 10, mean 10
    QCOMPARE(rig.seq->step(), TestStep::SolidSearch);
    rig.takeMoves();
    // 19 samples whose slope is far above 5 × mean: too few to judge.
    float E = 10;
    for (int i = 0; i < 19; ++i, E += 0.1f) rig.sample(100 + 100 * (E - 10) * 10, 50 - E, E);
    QCOMPARE(rig.seq->step(), TestStep::SolidSearch);
    QVERIFY(rig.takeMoves().empty());
    rig.sample(100 + 100 * (E - 10) * 10, 50 - E, E);  // the 20th
    QCOMPARE(rig.seq->step(), TestStep::Reverse);
    QCOMPARE(rig.takeMoves(), (Moves{"stop"}));
    QCOMPARE(rig.seq->results().solidHeight(), 50 - E);
}

void TestStandardTest::solidSearchSkipsUnchangedDeformation() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0, 1, true);
    rig.start(80);
    approach(rig, 50);
    rig.sample(100, 40, 10);
    // The crosshead stands still: the slope over the window is undefined, not infinite.
    for (int i = 0; i < 30; ++i) rig.sample(100 + (i % 2), 40, 10);
    QCOMPARE(rig.seq->step(), TestStep::SolidSearch);
    // The spring as measured: slope 10 N/mm, below 5 × mean.
    float E = 10;
    for (int i = 0; i < 30; ++i, E += 0.1f) rig.sample(100 + 10 * (E - 10), 50 - E, E);
    QCOMPARE(rig.seq->step(), TestStep::SolidSearch);
}

// A busy machine holds the acquisition loop up for 10 ms every 60 ms at 500 mm/min (a sample a millisecond).
// After each hold the converter's buffered loads arrive back to back beside a displacement read live, so for
// a few samples the deformation barely moves while the load catches up. The 10 N/mm spring turns solid at a
// deformation of 12.2 mm (height 37.8 mm), between two holds.
void TestStandardTest::solidSearchRidesOutAHeldUpLoop() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0, 1, true);
    rig.start(80);
    approach(rig, 50);
    rig.sample(100, 40, 10);  // stiffness 10
    QCOMPARE(rig.seq->step(), TestStep::SolidSearch);

    const double perSample_mm = 500.0 / 60000.0;
    const auto deformationAt = [&](int ms) { return 10.0 + ms * perSample_mm; };
    const auto loadAt = [&](int ms) {
        const double e = deformationAt(ms);
        return float(100.0 + 10.0 * (e - 10.0) + (e > 12.2 ? 990.0 * (e - 12.2) : 0.0));
    };
    const auto feed = [&](float load, int ms) {
        const float D = TDisplacement::roundToHundredth(50.0 - deformationAt(ms));
        rig.sample(load, D, 50.0f - D);
    };
    int ms = 0;
    while (rig.seq->step() == TestStep::SolidSearch && ms < 400) {
        if (ms % 60 == 59) {
            // Held here: ten readings wait in the converter, then come at once.
            for (int buffered = 1; buffered <= 10; ++buffered) feed(loadAt(ms + buffered), ms + 10);
            ms += 10;
        } else {
            ++ms;
            feed(loadAt(ms), ms);
        }
    }
    QCOMPARE(rig.seq->step(), TestStep::Reverse);
    const float solid = rig.seq->results().solidHeight();
    QVERIFY2(solid <= 37.8f && solid >= 37.75f, qPrintable(QString::number(solid)));
}

void TestStandardTest::springNeverFeltEndsAtStart() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0, 1);
    rig.start(100);
    rig.takeMoves();
    rig.sample(0, 61);
    QCOMPARE(rig.seq->stroke(), 1);
    rig.sample(0, 60);  // 0.6 × start
    QCOMPARE(rig.seq->stroke(), 2);
    QCOMPARE(rig.takeMoves(), (Moves{"stop", "up"}));
    rig.sample(0, 100);
    QVERIFY(!rig.seq->running());
    QVERIFY(rig.seq->saveTimerActive());  // stored like any other test
}

void TestStandardTest::tensionStiffnessAndSlowSpeeds() {
    SequencerRig rig(0, StandardTestKind::Tension);
    rig.setScheme(0, {60, 70}, 5.0, 1, false, false);
    rig.start(40);
    QCOMPARE(rig.takeMoves(), (Moves{"down"}));
    rig.sample(5, 50.5f);
    QCOMPARE(rig.takeMoves(), (Moves{"stop", "up"}));
    QCOMPARE(rig.takeRates().back(), 5.0f);
    rig.sample(5, 50.4f);
    QCOMPARE(rig.takeMoves(), (Moves{"stop", "down"}));
    QCOMPARE(rig.takeRates().back(), 1.0f);
    rig.sample(5, 50);
    rig.sample(105, 60);  // k = 1: L / (T1 - H) = 105 / 10
    rig.sample(255, 70);  // (255 - 105) / (70 - 60)
    QCOMPARE(rig.seq->results().stiffness(1, 1), 10.5f);
    QCOMPARE(rig.seq->results().stiffness(1, 2), 15.0f);
    QCOMPARE(rig.seq->step(), TestStep::Reverse);
    rig.takeMoves();
    rig.sample(255, 70);
    QCOMPARE(rig.seq->stroke(), 2);
    QCOMPARE(rig.takeMoves(), (Moves{"up"}));
    rig.sample(0, 40.01f);
    QVERIFY(rig.seq->running());
    rig.sample(0, 40);  // back at the start: the displacement falls on the way back
    QVERIFY(!rig.seq->running());

    // Beyond 1.3 × start without feeling the spring: straight into the return stroke.
    SequencerRig lost(0, StandardTestKind::Tension);
    lost.setScheme(0, {60}, 5.0, 1, false, false);
    lost.start(40);
    lost.sample(0, 52);
    QCOMPARE(lost.seq->stroke(), 2);
}

void TestStandardTest::type6MovesTheOtherWay() {
    SequencerRig rig(6, StandardTestKind::TensionType6);
    rig.setScheme(0, {60}, 5.0, 1, false, false);
    rig.start(40);
    QCOMPARE(rig.takeMoves(), (Moves{"up"}));
    rig.sample(-3, 1000);  // no displacement limit on this machine
    QCOMPARE(rig.seq->stroke(), 1);
    rig.sample(-5, 50.5f);  // the magnitude of a true tension load
    QCOMPARE(rig.takeMoves(), (Moves{"stop", "down"}));
    rig.sample(-4, 50.4f);
    QCOMPARE(rig.takeMoves(), (Moves{"stop", "up"}));
    rig.sample(-5, 50);
    QCOMPARE(rig.takeMoves(), (Moves{"stop", "up"}));
    rig.sample(-105, 60);
    QCOMPARE(rig.seq->results().value(1, 1), 105.0f);
    QCOMPARE(rig.seq->results().stiffness(1, 1), 10.5f);
    rig.sample(-105, 60);
    QCOMPARE(rig.takeMoves(), (Moves{"down"}));
    rig.sample(0, 40);
    QVERIFY(!rig.seq->running());
}

void TestStandardTest::zeroDenominatorLeavesStiffnessEmpty_data() {
    QTest::addColumn<QVector<double>>("points");
    QTest::addColumn<int>("emptyPoint");
    QTest::newRow("point at the height") << QVector<double>{50, 40} << 1;
    QTest::newRow("two equal points") << QVector<double>{40, 40} << 2;
}

void TestStandardTest::zeroDenominatorLeavesStiffnessEmpty() {
    QFETCH(QVector<double>, points);
    QFETCH(int, emptyPoint);
    SequencerRig rig;
    rig.setScheme(0, points, 5.0);
    rig.start(80);
    approach(rig, 50);
    rig.sample(100, 50);
    rig.sample(200, 40);
    rig.sample(300, 40);
    const float stiff = rig.seq->results().stiffness(1, emptyPoint);
    QVERIFY2(ResultArray::isEmpty(stiff), qPrintable(QString::number(stiff)));
    QVERIFY(!std::isinf(rig.seq->meanStiffness()));
}

void TestStandardTest::constantSpeedNeverChangesSpeed() {
    SequencerRig rig;
    rig.setScheme(0, {40, 35}, 5.0);
    rig.start(80);
    approach(rig, 50);
    rig.takeRates();
    for (float D = 49.9f; D > 40.05f; D -= 0.05f) rig.sample(10 * (50 - D), D);
    QVERIFY(rig.takeRates().empty());
}

void TestStandardTest::variableSpeedSlowsNearPoint() {
    SequencerRig rig;
    rig.seq->SetSpeedMode(SpeedMode::Variable);
    rig.setScheme(0, {40}, 5.0);
    rig.start(80);
    approach(rig, 50);
    rig.takeRates();
    rig.sample(50, 45);      // 5 mm: full speed
    rig.sample(90, 40.8f);   // 0.8 mm: half
    rig.sample(96, 40.4f);   // 0.4 mm: min(v/4, 10)
    rig.sample(98, 40.15f);  // 0.15 mm: min(v/8, 5)
    rig.sample(99, 40.05f);  // 0.05 mm: unchanged
    QCOMPARE(rig.takeRates(), (std::vector<float>{100, 50, 10, 5}));
}

void TestStandardTest::slowApproachRules_data() {
    QTest::addColumn<QString>("rule");
    QTest::addColumn<double>("input");
    QTest::addColumn<float>("v");
    QTest::addColumn<float>("expected");  // -1: unchanged
    QTest::newRow("distance 1.5") << "distance" << 1.5 << 100.0f << 100.0f;
    QTest::newRow("distance 1") << "distance" << 1.0 << 100.0f << 50.0f;
    QTest::newRow("distance 0.5") << "distance" << 0.5 << 100.0f << 10.0f;
    QTest::newRow("distance 0.5 slow") << "distance" << 0.5 << 20.0f << 5.0f;
    QTest::newRow("distance 0.2") << "distance" << 0.2 << 100.0f << 5.0f;
    QTest::newRow("distance 0.2 slow") << "distance" << 0.2 << 16.0f << 2.0f;
    QTest::newRow("distance 0.1") << "distance" << 0.1 << 100.0f << -1.0f;
    QTest::newRow("ratio 0.97") << "ratio" << 0.97 << 100.0f << 100.0f;
    QTest::newRow("ratio 0.98") << "ratio" << 0.98 << 100.0f << 20.0f;
    QTest::newRow("ratio 0.985 slow") << "ratio" << 0.985 << 40.0f << 10.0f;
    QTest::newRow("ratio 0.99") << "ratio" << 0.99 << 100.0f << 10.0f;
    QTest::newRow("ratio 0.995") << "ratio" << 0.995 << 100.0f << -1.0f;
    QTest::newRow("load difference 5") << "load" << 5.0 << 100.0f << 100.0f;
    QTest::newRow("load difference 4") << "load" << 4.0 << 100.0f << 50.0f;
    QTest::newRow("load difference 3") << "load" << 3.0 << 100.0f << 10.0f;
    QTest::newRow("load difference 2") << "load" << 2.0 << 100.0f << 5.0f;
    QTest::newRow("load difference 1") << "load" << 1.0 << 100.0f << -1.0f;
}

void TestStandardTest::slowApproachRules() {
    QFETCH(QString, rule);
    QFETCH(double, input);
    QFETCH(float, v);
    QFETCH(float, expected);
    const std::optional<float> speed = rule == "distance" ? distanceRuleSpeed(input, v)
                                       : rule == "ratio"  ? ratioRuleSpeed(input, v)
                                                          : loadDifferenceRuleSpeed(input, v);
    QCOMPARE(speed.value_or(-1.0f), expected);
}

void TestStandardTest::resultsClearedAtEveryStart() {
    SequencerRig rig;
    rig.setScheme(0, {40, 35}, 5.0);
    rig.start(80);
    approach(rig, 50);
    rig.sample(100, 40);
    rig.sample(200, 35);
    rig.seq->StopTest();
    rig.start(80);
    approach(rig, 50);
    rig.sample(100, 40);
    rig.seq->StopTest();
    const ResultArray r = rig.seq->results();
    QCOMPARE(r.value(1, 1), 100.0f);
    QVERIFY(ResultArray::isEmpty(r.value(1, 2)));
    QVERIFY(ResultArray::isEmpty(r.stiffness(1, 2)));
}

void TestStandardTest::forwardStiffnessFormulas_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("k");
    QTest::addColumn<float>("expected");
    // T = {10, 20}, values = {100, 250}, H = 50, L = 250
    QTest::newRow("compression style 1 k1") << 0 << 1 << 1 << 25.0f;            // L / T1 with L = 250
    QTest::newRow("compression style 1 k2") << 0 << 1 << 2 << 15.0f;            // 150 / 10
    QTest::newRow("compression style 2 k1") << 0 << 2 << 1 << 10.0f / -50.0f;   // T1 / (H - v1)
    QTest::newRow("compression style 2 k2") << 0 << 2 << 2 << 10.0f / -150.0f;  // (T2 - T1) / (v1 - v2)
    QTest::newRow("compression style 3 k1") << 0 << 3 << 1 << 0.1f;             // T1 / v1
    QTest::newRow("compression style 3 k2") << 0 << 3 << 2 << 10.0f / 150.0f;
    QTest::newRow("tension style 2 k1") << 1 << 2 << 1 << 0.2f;  // T1 / (v1 - H)
    QTest::newRow("tension style 2 k2") << 1 << 2 << 2 << 10.0f / 150.0f;
    QTest::newRow("tension style 0 k2") << 1 << 0 << 2 << 15.0f;  // (v2 - v1) / (T2 - T1)
}

void TestStandardTest::forwardStiffnessFormulas() {
    QFETCH(int, kind);
    QFETCH(int, style);
    QFETCH(int, k);
    QFETCH(float, expected);
    const double T[] = {10, 20};
    const float values[] = {100, 250};
    QCOMPARE(StandardTest::forwardStiffness(static_cast<StandardTestKind>(kind),
                                            static_cast<SchemeStyle>(style), k, T, values, 50, 250),
             expected);
}

QTEST_GUILESS_MAIN(TestStandardTest)
#include "tst_standardtest.moc"
