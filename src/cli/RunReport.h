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

    double target(int k) const { return targets.value(k - 1); }
};

StoredTestReport reportStoredTest(const FinishedTest& test, bool leafSpring = false);

// What fell outside its limits, in the operator's words ("point 2 强", "stiffness 3 弱"); empty when every
// point and stiffness of the loading stroke kept its limits or had none set. The return stroke is reported,
// not judged, as the control panel shows it.
QStringList outOfLimits(const StoredTestReport& test);

// A point as JSON: the target, the value and stiffness as numbers (null when there is none, rounded as
// shown), and the verdicts in the operator's words.
QJsonObject pointJson(int k, double target, const PointReadout& point);
QJsonObject storedTestJson(const StoredTestReport& test);

// Exit code of a run whose tests were all stored while some point or stiffness fell outside its limits: a
// caller sorting springs must tell that apart both from a good spring (0) and from a test that has to be
// run again (1).
inline constexpr int kExitOutsideLimits = 3;

// The run's exit code: 1 when it did not end by itself (timeout, overload, a failed acquisition), when no
// test ran, or when a test that started was not stored; else 3 when a stored test left its limits, else 0.
int runExitCode(bool endedByItself, int testsStarted, const QList<StoredTestReport>& stored);

}  // namespace springtest
