#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace springtest {

// The evaluation of a force verification after ISO 7500-1, without the machine: what the readings taken
// on the live machine say about its force-measuring system, and the class it reaches.

// One reading at one step of one series: the force the standard (proving ring, reference transducer)
// read and the force the machine indicated at the same moment.
struct ForceReading {
    double reference_n = 0.0;
    double indicated_n = 0.0;
};

// One series: its readings, one per step in step order, and the machine's indication with nothing on it
// just before the series and just after it was unloaded.
struct VerificationSeries {
    std::vector<ForceReading> readings;
    double zeroBefore_n = 0.0;
    double zeroAfter_n = 0.0;
};

struct VerificationInput {
    double range_n = 0.0;  // the upper limit of the gear's range (F_N)
    // The smallest change the indicator can show: one step of its last digit, or one converter count when
    // that is coarser.
    double displayStep_n = 0.0;
    // How far the indication wandered (largest − smallest) with nothing on the machine.
    double zeroFluctuation_n = 0.0;
    std::vector<VerificationSeries> series;
};

enum class VerificationClass { Class05, Class1, Class2, Class3, None };

struct ClassLimits {
    VerificationClass verificationClass;
    double indicationError_pct;  // |q|
    double repeatability_pct;    // b
    double resolution_pct;       // a
    double zeroError_pct;        // |f0|
};

// The standard's table of limits, best class first.
inline constexpr ClassLimits kClassLimits[] = {
    {VerificationClass::Class05, 0.5, 0.5, 0.25, 0.05},
    {VerificationClass::Class1, 1.0, 1.0, 0.5, 0.1},
    {VerificationClass::Class2, 2.0, 2.0, 1.0, 0.2},
    {VerificationClass::Class3, 3.0, 3.0, 1.5, 0.3},
};

struct StepEvaluation {
    double reference_n = 0.0;          // F: the mean of the series' reference readings
    double meanIndicated_n = 0.0;      // mean(Fi), each series brought to F
    double indicationError_pct = 0.0;  // q
    double repeatability_pct = 0.0;    // b
    double resolution_pct = 0.0;       // a
    VerificationClass stepClass = VerificationClass::None;
};

struct VerificationResult {
    std::vector<StepEvaluation> steps;
    double resolution_n = 0.0;   // r
    double zeroError_pct = 0.0;  // f0: the largest residual of a series, signed
    VerificationClass verificationClass = VerificationClass::None;
};

struct VerificationEvaluation {
    std::optional<VerificationResult> result;
    QString refusal;  // why the readings cannot be evaluated, when there is no result
};

inline constexpr int kMinimumVerificationSteps = 5;
inline constexpr int kMinimumVerificationSeries = 3;

// Every step is evaluated over all series.
//
// The series never stop at exactly the same force, so each series' indication is first brought to the
// step's mean reference force F in proportion (Fi·F/F_j); with equal references that is the standard's
// formula unchanged: q = (mean(Fi) − F)/F, b = (max(Fi) − min(Fi))/mean(Fi), a = r/F.
// The resolution r is the display step, or, when the indication with nothing on the machine wanders by
// more than that, half the wandering plus one display step (as the standard asks).
// The zero error of a series is what the indication kept after unloading (after − before), against F_N.
//
// Refused: fewer than five steps or three series, series of unequal length, a reference force that is not
// positive, or no range.
VerificationEvaluation evaluateVerification(const VerificationInput& input);

// The class whose limits one set of values meets, best first; None when even class 3's are exceeded.
VerificationClass classMet(double indicationError_pct, double repeatability_pct, double resolution_pct,
                           double zeroError_pct);

// "0.5", "1", "2", "3", or "none".
QString classText(VerificationClass c);

// The steps a verification loads to when none are given: 20, 40, 60, 80 and 100 % of the range.
std::vector<double> defaultVerificationSteps(double range_n);

}  // namespace springtest
