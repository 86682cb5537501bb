// What a calibration or a verification is asked to do, checked before the machine moves, and the
// operator's typed reading of the force standard.
#include "calibration/LoadCalibrationRun.h"
#include "calibration/ReferenceForce.h"
#include "calibration/VerificationRun.h"
#include "platform/Prompts.h"

#include <QtTest>

#include <vector>

using namespace springtest;

Q_DECLARE_METATYPE(std::vector<double>)

class TestCalibrationRequests : public QObject {
    Q_OBJECT

private slots:
    void calibrationPoints_data();
    void calibrationPoints();
    void verificationSteps_data();
    void verificationSteps();
    void displayStep_data();
    void displayStep();
    void typedReferenceIsAskedAgainUntilItIsAForce();
    void operatorMayGiveUp();
    void windowsAskThroughThePrompts();
};

void TestCalibrationRequests::calibrationPoints_data() {
    QTest::addColumn<std::vector<double>>("points");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("three ascending") << std::vector<double>{1000, 3000, 5000} << QString();
    QTest::newRow("one") << std::vector<double>{2500} << QString();
    QTest::newRow("none") << std::vector<double>{} << "give one to three calibration points, not 0";
    QTest::newRow("four") << std::vector<double>{1, 2, 3, 4} << "give one to three calibration points, not 4";
    // A point below the one before would give a segment running backwards.
    QTest::newRow("descending")
        << std::vector<double>{3000, 2000}
        << "each calibration point must be above 0 and above the one before it (2000)";
    QTest::newRow("repeated") << std::vector<double>{2000, 2000}
                              << "each calibration point must be above 0 and above the one before it (2000)";
    QTest::newRow("beyond the range")
        << std::vector<double>{1000, 5001} << "the calibration point 5001 is beyond the gear's range of 5000";
}

void TestCalibrationRequests::calibrationPoints() {
    QFETCH(std::vector<double>, points);
    QFETCH(QString, refusal);
    QCOMPARE(checkCalibrationPoints(points, 5000.0), refusal);
}

void TestCalibrationRequests::verificationSteps_data() {
    QTest::addColumn<std::vector<double>>("steps");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("the default steps") << std::vector<double>{200, 400, 600, 800, 1000} << QString();
    QTest::newRow("six steps") << std::vector<double>{200, 300, 400, 600, 800, 1000} << QString();
    QTest::newRow("four steps") << std::vector<double>{200, 400, 600, 800}
                                << "a verification needs at least 5 force steps, not 4";
    QTest::newRow("below a fifth")
        << std::vector<double>{199, 400, 600, 800, 1000}
        << "the force step 199 is outside 20 %…100 % of the gear's range (200 … 1000)";
    QTest::newRow("beyond the range")
        << std::vector<double>{200, 400, 600, 800, 1001}
        << "the force step 1001 is outside 20 %…100 % of the gear's range (200 … 1000)";
    QTest::newRow("out of order") << std::vector<double>{200, 600, 400, 800, 1000}
                                  << "each force step must be above the one before it (400)";
}

void TestCalibrationRequests::verificationSteps() {
    QFETCH(std::vector<double>, steps);
    QFETCH(QString, refusal);
    QCOMPARE(checkVerificationSteps(steps, 1000.0), refusal);
}

void TestCalibrationRequests::displayStep_data() {
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("countCoefficient");
    QTest::addColumn<double>("step");
    // Two decimals shown, yet one count is a quarter newton: the indication cannot change by less.
    QTest::newRow("count coarser than the digit") << 2 << 0.25 << 0.25;
    QTest::newRow("digit coarser than the count") << 0 << 0.25 << 1.0;
    QTest::newRow("tension coefficient sign") << 3 << -0.05 << 0.05;
}

void TestCalibrationRequests::displayStep() {
    QFETCH(int, decimals);
    QFETCH(double, countCoefficient);
    QFETCH(double, step);
    QCOMPARE(displayStepOf(decimals, countCoefficient), step);
}

void TestCalibrationRequests::typedReferenceIsAskedAgainUntilItIsAForce() {
    QStringList typed{"abc", "-3", "0", " 1001.5 "};
    QStringList told;
    int asked = 0;
    PromptedReference reference(
        [&](const QString& question) -> std::optional<QString> {
            ++asked;
            if (!question.contains("1000.00")) return std::nullopt;
            return typed.takeFirst();
        },
        [&](const QString& message) { told << message; });
    QCOMPARE(reference.reference(1000.0), std::optional<double>(1001.5));
    QCOMPARE(asked, 4);
    QCOMPARE(told, (QStringList{"'abc' is not a valid floating point value", "the reading must be above 0",
                                "the reading must be above 0"}));
}

void TestCalibrationRequests::operatorMayGiveUp() {
    PromptedReference reference([](const QString&) -> std::optional<QString> { return std::nullopt; },
                                [](const QString&) { QFAIL("nothing was typed, so nothing was refused"); });
    QCOMPARE(reference.reference(2000.0), std::nullopt);
}

// In the windows the reading is typed into an input box; a refusal is a message box, and cancelling the
// box gives up.
void TestCalibrationRequests::windowsAskThroughThePrompts() {
    ScriptedPrompts scripted;
    scripted.inputs = {QStringLiteral("1,5"), QStringLiteral("998.7"), std::nullopt};
    setPrompts(&scripted);
    const std::unique_ptr<PromptedReference> reference = PromptedReference::throughPrompts();
    QCOMPARE(reference->reference(1000.0), std::optional<double>(998.7));
    QCOMPARE(reference->reference(2000.0), std::nullopt);
    setPrompts(nullptr);
    QCOMPARE(scripted.messages(), QStringList{"'1,5' is not a valid floating point value"});
    QCOMPARE(scripted.shown.size(), 4);
    QCOMPARE(scripted.shown[0].kind, QStringLiteral("input"));
}

QTEST_APPLESS_MAIN(TestCalibrationRequests)
#include "tst_calibration_requests.moc"
