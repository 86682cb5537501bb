// What the sequencer does on the lateral-stiffness machine only: its chart feed with the X–Y path of the
// spring's top, and the turntable positioning after a stored axial test.
#include "sequencer/TTestStyle.h"

#include "measurement/TMotor.h"
#include "platform/NumberFormat.h"
#include "sequencer/CurveSink.h"
#include "sequencer/PathSink.h"
#include "sequencer/PointReadout.h"
#include "sequencer/procedures/LateralTest.h"

#include <QTimer>

#include <algorithm>
#include <cmath>

namespace springtest {

namespace {

// The axial drive counts as unloaded up to this load: the turntable must not turn a spring under pressure.
constexpr float kTurntableLoadLimit = 0.05f;
// The turntable turns at this speed and slows in proportion over its last degrees, so that the 100 ms timer
// stops it within half a degree of its place.
constexpr float kTurntableSpeed = 20.0f;
constexpr float kTurntableSlowdown_deg = 10.0f;
constexpr float kTurntableCreepSpeed = 1.0f;

// A turn shorter than the slowdown starts slow already.
float turntableSpeed(float remaining_deg) {
    return std::clamp(kTurntableSpeed * remaining_deg / kTurntableSlowdown_deg, kTurntableCreepSpeed,
                      kTurntableSpeed);
}

}  // namespace

void TTestStyle::SetLateralChart(PathSink* sink) {
    if (!sink) return;
    std::lock_guard lock(m_curveMutex);
    m_pathSink = sink;
}

void TTestStyle::lateralChartFeed() {
    const int card = cardIndex();
    CardSlot& slot = m_cards.cards[static_cast<size_t>(card)];
    const float L = slot.record.load.load(std::memory_order_relaxed);
    const float D = slot.record.displacement.load(std::memory_order_relaxed);
    const float E = slot.record.deformation.load(std::memory_order_relaxed);
    if (!running()) {
        StopCurveTimer();
        return;
    }
    const bool axial = m_scheme.scheme_type && m_cards.count > kXSensorCard;
    const float X =
        axial ? m_cards.cards[kXSensorCard].record.displacement.load(std::memory_order_relaxed) : 0;
    const float Y =
        axial ? m_cards.cards[kLateralDriveCard].record.displacement.load(std::memory_order_relaxed) : 0;
    const bool displacementStyle = usesDisplacement(m_scheme.scheme_style);
    const ReadoutFormat format = readoutFormat(slot);

    std::lock_guard lock(m_curveMutex);
    if (!m_curveOpen) return;  // a tick that was under way when the test ended
    if (std::fabs(L) > 0.9 * m_leftMax) m_leftMax = 1.2 * std::fabs(L);
    QString xText, yText;
    if (stroke() == 1) {
        const double x = displacementStyle ? D : E;
        if (x > 0.9 * m_bottomMax) m_bottomMax = 1.2 * x;
        if (m_sink) {
            m_sink->setAxes(m_bottomMax, m_bottomMax / 10, m_leftMax, m_leftMax / 10);
            m_sink->appendPoint(0, x, L);
        }
        if (axial) {
            if (std::fabs(X) > 0.9 * m_xHalfSpan) m_xHalfSpan = 1.2 * std::fabs(X);
            if (std::fabs(Y) > 0.9 * m_yHalfSpan) m_yHalfSpan = 1.2 * std::fabs(Y);
            if (m_pathSink) {
                m_pathSink->setPathAxes(m_xHalfSpan, m_xHalfSpan / 5, m_yHalfSpan, m_yHalfSpan / 5);
                m_pathSink->appendPathPoint(X, Y);
            }
            xText = FormatByDecimals(readoutFormat(m_cards.cards[kXSensorCard]).displacementDecimals, X);
            yText = FormatByDecimals(readoutFormat(m_cards.cards[kLateralDriveCard]).displacementDecimals, Y);
        }
        m_curve.stroke << QStringLiteral("1");
    } else {
        // The lateral drive pulls the spring the other way in its second stroke: drawn by magnitudes.
        const double x = std::fabs(displacementStyle ? D : E);
        if (!displacementStyle && x > 0.9 * m_bottomMax) m_bottomMax = 1.2 * x;
        if (m_sink) {
            m_sink->setAxes(m_bottomMax, m_bottomMax / 10, m_leftMax, m_leftMax / 10);
            m_sink->appendPoint(1, x, std::fabs(L));
        }
        m_curve.stroke << QStringLiteral("2");
    }
    // Kept in step with the other texts, empty where no path was recorded: every sample is one stored row.
    m_curve.x << xText;
    m_curve.y << yText;
    m_curve.load << FormatByDecimals(format.loadDecimals, std::fabs(L));
    m_curve.displacement << FormatByDecimals(format.displacementDecimals, std::fabs(D));
    m_curve.deformation << FormatByDecimals(format.displacementDecimals, std::fabs(E));
    ++m_curve.count;
}

void TTestStyle::StartTurntablePositioning() {
    if (m_machineType != 5 || !m_turntableTimer || m_cards.count <= kTurntableCard) return;
    // Refused under load, the same stored test may be turned once the operator has released the spring.
    const TestState now = state();
    if ((now != TestState::Stored && now != TestState::TurntableRefused) || running() ||
        m_turntableTimer->isActive())
        return;
    TMotor* turntable = m_cards.cards[kTurntableCard].motor.get();
    if (!turntable) return;
    if (std::fabs(m_cards.cards[0].record.load.load(std::memory_order_relaxed)) > kTurntableLoadLimit) {
        SetState(TestState::TurntableRefused);
        return;
    }
    const float theta = m_storing.results[LateralResultIndex::angle];
    if (std::isnan(theta)) return;  // the spring's top did not move: no direction to turn to
    m_turn_deg = theta >= 180.0f ? 360.0f - theta : -theta;
    m_turnStart_deg = m_cards.cards[kTurntableCard].record.displacement.load(std::memory_order_relaxed);
    turntable->SetSpeed(turntableSpeed(std::fabs(m_turn_deg)));
    // A turntable at its limit does not start; its motor shows why, and nothing is said to be turning.
    if (!(m_turn_deg >= 0 ? turntable->CommandUp() : turntable->CommandDown())) return;
    m_turntableTimer->start();
    SetState(TestState::TurntableStarted);
}

void TTestStyle::OnTurntableTimer() {
    if (!m_turntableTimer || m_cards.count <= kTurntableCard) return;
    TMotor* turntable = m_cards.cards[kTurntableCard].motor.get();
    if (!turntable) return;
    const float angle = m_cards.cards[kTurntableCard].record.displacement.load(std::memory_order_relaxed);
    // Progress along the turn's own direction: a turntable carried the wrong way is not taken for one that
    // has arrived.
    const float progress = (angle - m_turnStart_deg) * (m_turn_deg >= 0 ? 1.0f : -1.0f);
    const float remaining = std::fabs(m_turn_deg) - progress;
    if (remaining <= 0) {
        turntable->CommandStop();
        m_turntableTimer->stop();
        SetState(TestState::TurntablePositioned);
        return;
    }
    const MotionState motion = turntable->state();
    if (motion != MotionState::Up && motion != MotionState::Down) {
        // Stopped short (a limit, the operator): never reported as positioned.
        m_turntableTimer->stop();
        return;
    }
    turntable->SetSpeed(turntableSpeed(remaining));
}

bool TTestStyle::turntableTimerActive() const {
    return m_turntableTimer && m_turntableTimer->isActive();
}

}  // namespace springtest
