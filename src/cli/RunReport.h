#pragma once

#include "sequencer/FinishedTest.h"
#include "sequencer/PointReadout.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace springtest {

// A leaf spring's arc heights, as stored: at the first contact (free), at the measuring cycle's contact
// (after pressing) and where the last pre-compression reached the set load; each empty when not measured.
struct LeafArcHeights {
    QString free, afterPressing, atSetLoad;
};

// Where the top of a spring pressed on the lateral-stiffness machine moved sideways at one point of the
// loading stroke, as stored: X (the X sensor's decimals), Y and the offset (the lateral drive's, which reads
// Y); each empty when the point was not reached.
struct PointOffset {
    QString x, y, offset;
};

// The decimals of the lateral-stiffness machine's two sideways sensors: the X sensor (card 3) and the
// lateral drive (card 1), whose displacement is Y.
struct LateralDecimals {
    int x = 3;
    int y = 3;
};

// What an axial test on the lateral-stiffness machine adds: the offset at each point and the direction of
// the last one, in degrees 0 up to 360 with the Y sensor's decimals; empty when the spring's top had not
// moved at all, so there is no direction to turn.
struct LateralOffsets {
    QList<PointOffset> points;  // point 1 first
    QString angle_deg;
};

// A stored test as the run tells it at its end: the spring's height at the initial force (its free height;
// a leaf spring's height at its contact), its solid height, the points of both strokes as stored.
struct StoredTestReport {
    int serial = 0;
    QString freeHeight;                        // empty when not measured
    QString solidHeight;                       // empty when the scheme does not search it
    QList<double> targets;                     // the scheme's points
    QList<PointReadout> points;                // the loading stroke, point 1 first
    QList<PointReadout> returnPoints;          // empty when the scheme does not measure the return stroke
    std::optional<LeafArcHeights> arcHeights;  // a leaf spring's
    std::optional<LateralOffsets> offsets;     // an axial test's on the lateral-stiffness machine
    bool lateralTest = false;                  // pushed sideways: no height, two strokes each way

    double target(int k) const { return targets.value(k - 1); }
};

StoredTestReport reportStoredTest(const FinishedTest& test, bool leafSpring = false);
// A test of the lateral-stiffness machine: an axial one with its offsets, or a lateral one with both its
// strokes (the second is measured whatever the scheme stores) and no height, which it does not measure.
// X and Y are written with the decimals the test ended with.
StoredTestReport reportStoredLateralTest(const FinishedTest& test);
PointOffset readPointOffset(const ResultArray& results, int k, const LateralDecimals& decimals);

// What fell outside its limits, in the operator's words ("point 2 强", "stiffness 3 弱"); empty when every
// point and stiffness of the loading stroke kept its limits or had none set. The return stroke is reported,
// not judged, as the control panel shows it.
QStringList outOfLimits(const StoredTestReport& test);

// A point as JSON: the target, the value and stiffness as numbers (null when there is none, rounded as
// shown), and the verdicts in the operator's words.
QJsonObject pointJson(int k, double target, const PointReadout& point);
// The point's X, Y and offset added to its JSON, as numbers (null when there is none).
void addOffsetJson(QJsonObject& point, const PointOffset& offset);
QJsonObject storedTestJson(const StoredTestReport& test);

// Exit code of a run whose tests were all stored while some point or stiffness fell outside its limits: a
// caller sorting springs must tell that apart both from a good spring (0) and from a test that has to be
// run again (1).
inline constexpr int kExitOutsideLimits = 3;

// The run's exit code: 1 when it did not end by itself (timeout, overload, a failed acquisition), when no
// test ran, or when a test that started was not stored; else 3 when a stored test left its limits, else 0.
int runExitCode(bool endedByItself, int testsStarted, const QList<StoredTestReport>& stored);

}  // namespace springtest
