#pragma once

#include "platform/PeriodicTimer.h"

#include <QString>

#include <atomic>
#include <cstdint>

namespace springtest {

struct CardSlot;

// The frame's compliance as the displacement channel's compensation coefficient (millimetres per load unit,
// which every displacement reading then adds times the load).
//
// One computation serves both callers: the compensation window (TF_wybc) calls applyCompensation from its
// "自动计算" button and fills its edits from compensationReadings when it is shown; `springtest compensate`
// measures the two values on the machine and stores them through the same function. Keep this interface
// stable: the window is built against it.

inline const QString kCompensationValuesMissing = QStringLiteral("负荷值/变形值不能为空");
inline const QString kCompensationBelowRangeQuestion =
    QStringLiteral("当前负荷不接进于负荷的最大量程，是否继续");
// Deformation ÷ zero would store an infinite coefficient and wreck every later displacement reading.
inline const QString kCompensationZeroLoad = QStringLiteral("负荷值不能为零");

enum class CompensationResult {
    Stored,        // in force on the channel and written to its file
    ValueMissing,  // an edit was empty; kCompensationValuesMissing was shown
    NotANumber,    // an edit held no number; the number reader's message was shown
    ZeroLoad,      // the load value was zero; kCompensationZeroLoad was shown
    Declined,      // the operator answered No to kCompensationBelowRangeQuestion
    NotWritten,  // the channel's file could not be written; its message was shown (the value stays in force)
};

struct CompensationOutcome {
    CompensationResult result = CompensationResult::ValueMissing;
    double coefficient = 0.0;  // deformation ÷ load, once both were numbers and the load not zero
    QString message;           // what the operator was shown, empty when nothing
};

// The "自动计算" of the compensation window, on the card's displacement channel. The typed load divides; the
// question whether to go on is asked when the card's live load is below 90 % of the load channel's full range
// (the typed value may be one the operator read off earlier). Messages and the question go through prompts()
// (platform/Prompts.h), with caption "提示" and the stop icon for the question. Nothing changes unless the
// result is Stored or NotWritten. Call from the GUI thread (or a command's own thread).
CompensationOutcome applyCompensation(CardSlot& card, const QString& loadText,
                                      const QString& deformationText);
// Whether applyCompensation would ask kCompensationBelowRangeQuestion now: the live load is below 90 % of the
// full range.
bool compensationAsksToContinue(const CardSlot& card);

// What the window's two edits show when it opens: the card's live load with the decimals of the load
// channel's current gear, the live displacement with the displacement channel's decimals.
struct CompensationReadings {
    QString loadText;
    QString deformationText;
};
CompensationReadings compensationReadings(const CardSlot& card);

// How `springtest compensate` drives the crosshead.
struct CompensationSettings {
    float approachSpeed_mm_per_min = 50.0f;  // until the platens touch
    float loadingSpeed_mm_per_min = 0.5f;    // once they touch: a stiff frame loads fast
    float targetLoad = 0.0f;                 // 0: 95 % of the full range
};

// The measurement behind the coefficient, done by the machine itself: the crosshead closes the platens (on a
// stiff specimen or on each other) slowly until 5 % of the full range, the displacement is zeroed there, then
// it loads slowly to the target near full range. The frame's yield is what the encoder moved between the two
// holds while nothing between the platens gave way. The encoder's own pulses are compared, not the
// displacement reading: that one is rounded to hundredths of a millimetre, as much as a tenth of the whole
// yield, and already holds the coefficient in force.
//
// The load channel must be on its full-range gear (gear 1). Runs on a 1 ms periodic timer of its own, like
// the alignment, and like it holds no lock across a motor command: each stage change is claimed on the
// stage, and a tick that finds the run stopped after its command stops the crosshead again.
class CompensationRun {
public:
    enum class Stage : uint8_t { Idle, Approaching, Seating, SeatHold, Loading, FullHold, Done, Failed };

    using Settings = CompensationSettings;

    struct Measurement {
        double seatLoad = 0.0;        // at the zeroing, about 5 % of the full range
        double fullLoad = 0.0;        // at the end of the loading
        double deformation_mm = 0.0;  // how far the crosshead went down between them: the frame's yield
        double loadSpan() const { return fullLoad - seatLoad; }
        // Millimetres per load unit; 0 while the span is empty.
        double coefficient() const { return loadSpan() > 0.0 ? deformation_mm / loadSpan() : 0.0; }
    };

    // Contact: slow down to the loading speed.
    static constexpr float kContactShare = 0.005f;
    // Where the displacement is zeroed.
    static constexpr float kSeatShare = 0.05f;
    static constexpr float kDefaultTargetShare = 0.95f;
    // Each hold lets the readings settle, then averages them.
    static constexpr int kSettleTicks = 150;
    static constexpr int kAverageTicks = 100;

    explicit CompensationRun(CardSlot& card, Settings settings = {}, TimerClock& clock = steadyTimerClock());
    ~CompensationRun();
    CompensationRun(const CompensationRun&) = delete;
    CompensationRun& operator=(const CompensationRun&) = delete;

    // False when the crosshead would not move down; nothing runs then.
    bool Start();
    void Stop();
    void Tick();

    Stage stage() const { return m_stage.load(std::memory_order_acquire); }
    bool running() const;
    float targetLoad() const { return m_target; }
    // Empty until stage() is Done.
    Measurement measurement() const;

private:
    bool advance(Stage from, Stage to);
    void fail(Stage from);
    void holdTick(Stage from, Stage next);

    CardSlot& m_card;
    const Settings m_settings;
    float m_fullRange = 0.0f;
    float m_target = 0.0f;
    std::atomic<Stage> m_stage{Stage::Idle};
    // The tick's own; read by others once the stage says Done.
    Measurement m_measurement;
    int m_holdTicks = 0;
    double m_loadSum = 0.0;
    double m_pulseSum = 0.0;
    double m_seatPulses = 0.0;
    PeriodicTimer m_timer;  // last: its thread ends before the members the tick uses
};

}  // namespace springtest
