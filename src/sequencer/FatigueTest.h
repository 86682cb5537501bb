#pragma once

#include "measurement/CardSlot.h"

#include <QString>

#include <optional>

namespace springtest {

// The anti-roll bar fatigue test of machine type 6, without its page. The fatigue drive of the test's card
// runs while the mains are on; cycles are counted on card 1's displacement, ten millimetres a
// cycle, on top of the count kept in the counter file "ini.init" from earlier runs, so that a test can be
// stopped and continued later. It ends by itself once the count passes its target, or when the bar breaks
// (the break-stop wire opens) while break stop is armed. Used on the GUI thread; it reads the records the
// acquisition thread keeps.
class FatigueTest {
public:
    static constexpr float kDisplacementPerCycle_mm = 10.0f;
    // The page ticks ten times a second: the frequency is the counter's travel over ten ticks.
    static constexpr int kTicksPerFrequency = 10;

    enum class State { Stopped, Running };
    enum class StartRefusal { BreakWireOpen, MainsOff };

    struct Progress {
        int done = 0;                       // cycles, those kept from earlier runs included
        std::optional<float> frequency_hz;  // once every kTicksPerFrequency ticks
        bool ended = false;                 // the drive is off: the target was passed or the bar broke
    };

    FatigueTest(QString applicationFolder, CardTables& cards, int card);

    static QString counterFilePath(const QString& applicationFolder);

    // Reads the counter file: the count kept and the target last written ("1000" when there is none).
    void loadCounterFile();
    int keptCount() const { return m_keptCount; }
    const QString& keptTarget() const { return m_keptTarget; }

    // Why the drive may not start now: the break-stop wire is open, or the mains are off.
    std::optional<StartRefusal> startRefusal() const;
    // Zeroes the counter and switches the drive on; call after startRefusal() found nothing.
    void start(int target);
    // One look at the counter while running. An ended test has its drive off already; stop() finishes it.
    Progress tick(bool breakStopArmed);
    // Switches the drive off. True when a running test stopped short of its target: the operator may keep
    // the count it reached for a later run.
    bool stop();
    // Keeps the count reached at the stop, and the target text, in the counter file. The operator's message
    // when the file could not be written; the count is then not kept.
    QString keepCount(const QString& targetText);
    // Zeroes the kept count and the counter; a message when the file could not be written.
    QString clearCount();
    void setServoOutput(int value);

    State state() const { return m_state; }
    // Cycles now, those kept included.
    int done() const;

private:
    CardSlot& card() const;
    CardSlot* counterCard() const;
    float counterDisplacement() const;
    bool breakWireConnected() const;
    void switchDrive(bool on);
    void zeroCounter();

    QString m_applicationFolder;
    CardTables& m_cards;
    const int m_card;
    State m_state = State::Stopped;
    int m_target = 0;
    int m_keptCount = 0;
    QString m_keptTarget = QStringLiteral("1000");
    int m_doneAtStop = 0;
    float m_counterAtLastFrequency_mm = 0.0f;
    int m_ticks = 0;
};

}  // namespace springtest
