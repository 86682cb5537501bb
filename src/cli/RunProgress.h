#pragma once

#include "cli/RunReport.h"
#include "sequencer/TTestStyle.h"

#include <QList>
#include <QString>

namespace springtest {

struct CardSlot;

// What the operator follows of a run: the control panel's part as it happens (every state, each captured
// point with its verdicts, each stored test's heights and return stroke, an overload) and the summary at
// the end, as text lines or as one JSON object per line. GUI thread.
class RunProgress {
public:
    RunProgress(TTestStyle& sequencer, const CardSlot& card, bool json);

    // The sequencer's message to its panel.
    void onTestState();
    // The load channel's overload message: a running test stops, the motor is already stopped.
    void onOverload();
    bool overloaded() const { return m_overloaded; }
    // The lateral-stiffness machine turns its turntable after each stored axial test: a refusal makes the
    // run fail, since the offset was left pointing wherever it pointed.
    void expectTurntablePositioning(bool on) { m_turntableExpected = on; }

    // Prints the summary, each stored test with whether it kept its limits, and returns the run's exit code.
    // `endedByItself` is false when the run was stopped: a timeout, a signal, a failed acquisition.
    int finish(const QString& batchPath, bool endedByItself);

private:
    void printCapturedPoint();
    void printStoredTest(const StoredTestReport& test);
    void printState();
    // A further pressing of a leaf spring's test: a pre-compression or its measuring cycle.
    void printPressing();
    void printSummary(const QString& batchPath, int exitCode);
    // Turntable positioning on the lateral-stiffness machine: started, refused, finished.
    void printTurntable(TestState state);
    bool lateralMachine() const;
    LateralDecimals lateralDecimals() const;

    TTestStyle& m_sequencer;
    const CardSlot& m_card;
    const bool m_json;
    QList<int> m_started;  // serials, in the order the tests started
    QList<StoredTestReport> m_stored;
    bool m_overloaded = false;
    QString m_lastStoreError;
    bool m_turntableExpected = false;
    int m_turntablePositioned = 0;
    int m_turntableRefused = 0;
};

}  // namespace springtest
