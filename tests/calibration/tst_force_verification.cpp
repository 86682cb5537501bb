// The evaluation of a force verification: each case's values worked out by hand from the standard's
// formulas.
#include "calibration/ForceVerification.h"

#include "support/NearCompare.h"

#include <QtTest>

using namespace springtest;

Q_DECLARE_METATYPE(springtest::VerificationInput)
Q_DECLARE_METATYPE(springtest::VerificationClass)

namespace {

// Three series over steps of 20 … 100 % of a 5000 N range. The machine indicates gain × the reference
// plus the series' own offset; each series' zero comes back `zeroResidual_n` higher than it started.
struct MachineBehaviour {
    double gain = 1.0;
    std::vector<double> seriesOffset_n{0.0, 0.0, 0.0};
    double zeroResidual_n = 0.0;
    double displayStep_n = 0.01;
    double zeroFluctuation_n = 0.0;
    double range_n = 5000.0;
    int steps = 5;
};

VerificationInput readingsOf(const MachineBehaviour& m) {
    VerificationInput input;
    input.range_n = m.range_n;
    input.displayStep_n = m.displayStep_n;
    input.zeroFluctuation_n = m.zeroFluctuation_n;
    for (double offset : m.seriesOffset_n) {
        VerificationSeries s;
        for (int i = 1; i <= m.steps; ++i) {
            const double reference = m.range_n * i / m.steps;
            s.readings.push_back({reference, m.gain * reference + offset});
        }
        s.zeroBefore_n = 0.2;
        s.zeroAfter_n = 0.2 + m.zeroResidual_n;
        input.series.push_back(s);
    }
    return input;
}

}  // namespace

class TestForceVerification : public QObject {
    Q_OBJECT

private slots:
    void classReached_data();
    void classReached();
    void readingsAtDifferentForcesAreBroughtToTheStep();
    void refusesReadingsThatCannotBeEvaluated_data();
    void refusesReadingsThatCannotBeEvaluated();
};

void TestForceVerification::classReached_data() {
    QTest::addColumn<VerificationInput>("input");
    QTest::addColumn<double>("firstStepQ");  // %
    QTest::addColumn<double>("firstStepB");  // %
    QTest::addColumn<double>("firstStepA");  // %
    QTest::addColumn<double>("zeroError");   // %
    QTest::addColumn<VerificationClass>("expected");

    // a = 0.01 / 1000 = 0.001 %
    QTest::newRow("perfect machine") << readingsOf({}) << 0.0 << 0.0 << 0.001 << 0.0
                                     << VerificationClass::Class05;
    MachineBehaviour miscalibrated;
    miscalibrated.gain = 1.03;
    QTest::newRow("3 % miscalibration: class 3, not 1")
        << readingsOf(miscalibrated) << 3.0 << 0.0 << 0.001 << 0.0 << VerificationClass::Class3;
    MachineBehaviour tooHigh;
    tooHigh.gain = 1.031;
    QTest::newRow("3.1 %: no class") << readingsOf(tooHigh) << 3.1 << 0.0 << 0.001 << 0.0
                                     << VerificationClass::None;
    MachineBehaviour onTheLimit;
    onTheLimit.gain = 1.005;
    QTest::newRow("0.5 % is still class 0.5")
        << readingsOf(onTheLimit) << 0.5 << 0.0 << 0.001 << 0.0 << VerificationClass::Class05;
    // A residual of 3 N on 5000 N: f0 = 0.06 %, beyond class 0.5's 0.05 % though every step is perfect.
    MachineBehaviour badZero;
    badZero.zeroResidual_n = 3.0;
    QTest::newRow("bad zero alone lowers the class")
        << readingsOf(badZero) << 0.0 << 0.0 << 0.001 << 0.06 << VerificationClass::Class1;
    MachineBehaviour zeroBelow;
    zeroBelow.zeroResidual_n = -12.0;
    QTest::newRow("zero below the start counts by its size")
        << readingsOf(zeroBelow) << 0.0 << 0.0 << 0.001 << -0.24 << VerificationClass::Class3;
    // At 1000 N the series read 1000, 1004, 1008: mean 1004, q = 0.4 %, b = 8/1004 = 0.797 %.
    MachineBehaviour scattered;
    scattered.seriesOffset_n = {0.0, 4.0, 8.0};
    QTest::newRow("scatter between series: class 1 by repeatability")
        << readingsOf(scattered) << 0.4 << 8.0 / 1004.0 * 100.0 << 0.001 << 0.0 << VerificationClass::Class1;
    // A 1 N display on a 1000 N range: a = 1/200 = 0.5 % at the first step.
    MachineBehaviour coarseDisplay;
    coarseDisplay.range_n = 1000.0;
    coarseDisplay.displayStep_n = 1.0;
    QTest::newRow("coarse display: class 1 by resolution")
        << readingsOf(coarseDisplay) << 0.0 << 0.0 << 0.5 << 0.0 << VerificationClass::Class1;
    // Wandering 4 N at zero with a 1 N display: r = 4/2 + 1 = 3 N, a = 3/200 = 1.5 %.
    MachineBehaviour noisyZero = coarseDisplay;
    noisyZero.zeroFluctuation_n = 4.0;
    QTest::newRow("noise at zero sets the resolution")
        << readingsOf(noisyZero) << 0.0 << 0.0 << 1.5 << 0.0 << VerificationClass::Class3;
    // Wandering less than one display step leaves the step as the resolution.
    MachineBehaviour quietZero = coarseDisplay;
    quietZero.zeroFluctuation_n = 0.8;
    QTest::newRow("noise within the display step")
        << readingsOf(quietZero) << 0.0 << 0.0 << 0.5 << 0.0 << VerificationClass::Class1;
    MachineBehaviour sixSteps;
    sixSteps.steps = 6;
    sixSteps.gain = 0.99;
    // a = 0.01 / (5000/6) = 0.0012 %
    QTest::newRow("six steps, 1 % low")
        << readingsOf(sixSteps) << -1.0 << 0.0 << 0.0012 << 0.0 << VerificationClass::Class1;
}

void TestForceVerification::classReached() {
    QFETCH(VerificationInput, input);
    QFETCH(double, firstStepQ);
    QFETCH(double, firstStepB);
    QFETCH(double, firstStepA);
    QFETCH(double, zeroError);
    QFETCH(VerificationClass, expected);

    const VerificationEvaluation e = evaluateVerification(input);
    QVERIFY2(e.result, qPrintable(e.refusal));
    QCOMPARE(e.result->steps.size(), input.series.front().readings.size());
    const StepEvaluation& first = e.result->steps.front();
    COMPARE_NEAR(first.indicationError_pct, firstStepQ, 0.0, 1e-6);
    COMPARE_NEAR(first.repeatability_pct, firstStepB, 0.0, 1e-6);
    COMPARE_NEAR(first.resolution_pct, firstStepA, 0.0, 1e-4);
    COMPARE_NEAR(e.result->zeroError_pct, zeroError, 0.0, 1e-9);
    QCOMPARE(e.result->verificationClass, expected);
    // The class of the whole is that of its worst step.
    for (const StepEvaluation& step : e.result->steps) QVERIFY(step.stepClass <= expected);
}

// Series stopped at 990, 1000 and 1010 N by the standard, each indicating 1 % high: brought to the mean
// 1000 N they all read 1010, so q is 1 % and the series agree (b = 0).
void TestForceVerification::readingsAtDifferentForcesAreBroughtToTheStep() {
    VerificationInput input = readingsOf({});
    const double stops[] = {990.0, 1000.0, 1010.0};
    for (size_t s = 0; s < 3; ++s) input.series[s].readings[0] = {stops[s], stops[s] * 1.01};
    const VerificationEvaluation e = evaluateVerification(input);
    QVERIFY(e.result);
    COMPARE_NEAR(e.result->steps[0].reference_n, 1000.0, 0.0, 1e-9);
    COMPARE_NEAR(e.result->steps[0].indicationError_pct, 1.0, 0.0, 1e-9);
    COMPARE_NEAR(e.result->steps[0].repeatability_pct, 0.0, 0.0, 1e-9);
}

void TestForceVerification::refusesReadingsThatCannotBeEvaluated_data() {
    QTest::addColumn<VerificationInput>("input");
    QTest::addColumn<QString>("refusal");

    MachineBehaviour fourSteps;
    fourSteps.steps = 4;
    QTest::newRow("fewer than five steps")
        << readingsOf(fourSteps) << QStringLiteral("a verification needs at least 5 force steps, not 4");
    MachineBehaviour twoSeries;
    twoSeries.seriesOffset_n = {0.0, 0.0};
    QTest::newRow("two series") << readingsOf(twoSeries)
                                << QStringLiteral("a verification needs 3 series, not 2");
    VerificationInput uneven = readingsOf({});
    uneven.series[1].readings.pop_back();
    QTest::newRow("series of different lengths")
        << uneven << QStringLiteral("the series do not have the same steps");
    VerificationInput unloaded = readingsOf({});
    unloaded.series[2].readings[0].reference_n = 0.0;
    QTest::newRow("a reference of zero")
        << unloaded << QStringLiteral("a reference force of 0 N cannot be verified against");
    VerificationInput noRange = readingsOf({});
    noRange.range_n = 0.0;
    QTest::newRow("no range") << noRange << QStringLiteral("the gear has no range to verify against");
}

void TestForceVerification::refusesReadingsThatCannotBeEvaluated() {
    QFETCH(VerificationInput, input);
    QFETCH(QString, refusal);
    const VerificationEvaluation e = evaluateVerification(input);
    QVERIFY(!e.result);
    QCOMPARE(e.refusal, refusal);
}

QTEST_APPLESS_MAIN(TestForceVerification)
#include "tst_force_verification.moc"
