#include "sequencer/procedures/LateralTest.h"

#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "sequencer/SlowApproach.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/procedures/StandardTest.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

namespace springtest {

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

float sensorReading(const TTestStyle& seq, int card) {
    if (card >= seq.cards().count) return kNaN;
    return seq.cards().cards[static_cast<size_t>(card)].record.displacement.load(std::memory_order_relaxed);
}

}  // namespace

float offsetAngle_deg(float x_mm, float y_mm) {
    if (std::isnan(x_mm) || std::isnan(y_mm) || (x_mm == 0.0f && y_mm == 0.0f)) return kNaN;
    // The machine's table of quadrants, computed with a rounded π, agrees with this to the third decimal of
    // a degree; the true π is used so that both axes and all four quadrants come from one formula.
    double theta = std::atan2(-double(x_mm), -double(y_mm)) * 180.0 / std::numbers::pi;
    if (theta < 0) theta += 360.0;
    if (theta >= 360.0) theta -= 360.0;
    return static_cast<float>(theta);
}

void clearOffsetSensors(TTestStyle& seq) {
    for (int card : {kLateralDriveCard, kXSensorCard}) {
        if (card >= seq.cards().count) continue;
        if (TDisplacement* sensor = seq.cards().cards[static_cast<size_t>(card)].displacement.get())
            sensor->ClearDisplacement();
    }
}

void captureOffset(TTestStyle& seq, int k) {
    const float X = sensorReading(seq, kXSensorCard);
    const float Y = sensorReading(seq, kLateralDriveCard);
    seq.setResult(LateralResultIndex::x(k), X);
    seq.setResult(LateralResultIndex::y(k), Y);
    seq.setResult(LateralResultIndex::offset(k), std::hypot(X, Y));
}

void recordOffsetAngle(TTestStyle& seq) {
    const ResultArray r = seq.results();
    for (int k = kMaxPoints; k >= 1; --k) {
        const float X = r[LateralResultIndex::x(k)];
        const float Y = r[LateralResultIndex::y(k)];
        if (std::isnan(X) || std::isnan(Y)) continue;
        seq.setResult(LateralResultIndex::angle, offsetAngle_deg(X, Y));
        return;
    }
    seq.setResult(LateralResultIndex::angle, kNaN);
}

void LateralTest::onSample(int cardIndex) {
    CardSlot& slot = m_seq.cards().cards[static_cast<size_t>(cardIndex)];
    TMotor& motor = *slot.motor;
    const Sample s{slot.record.load.load(std::memory_order_relaxed),
                   slot.record.displacement.load(std::memory_order_relaxed),
                   slot.record.deformation.load(std::memory_order_relaxed)};
    const float freeHeight = static_cast<float>(m_seq.procedureScheme().scheme_height);
    const bool pushing = m_seq.stroke() == 1;

    switch (m_seq.step()) {
        case TestStep::SeekInitialForce:
            slot.displacement->MarkDeformationZero();
            m_seq.setStep(TestStep::CapturePoints);
            m_seq.StartCurveTimer();
            break;
        case TestStep::CapturePoints:
            points(s);
            break;
        case TestStep::Reverse:
            if (pushing)
                motor.CommandUp();
            else
                motor.CommandDown();
            motor.SetSpeed(m_seq.testSpeed());
            m_seq.setStep(TestStep::ReturnToFreeHeight);
            m_seq.StopCurveTimer();
            break;
        case TestStep::ReturnToFreeHeight:
            if (pushing && s.D >= freeHeight) {
                motor.CommandStop();
                slot.displacement->MarkDeformationZero();
                m_seq.setStep(TestStep::SeekInitialForce);
                m_seq.setPointIndex(1);
                m_seq.setStroke(2);
                motor.CommandUp();
            } else if (!pushing && s.D <= freeHeight) {
                m_seq.FinishTest();
            }
            break;
        default:
            break;
    }
}

void LateralTest::points(const Sample& raw) {
    TMotor& motor = *m_seq.cards().cards[static_cast<size_t>(m_seq.cardIndex())].motor;
    const ttest_info& scheme = m_seq.procedureScheme();
    const SchemeStyle style = scheme.scheme_style;
    const int stroke = m_seq.stroke();
    const int k = m_seq.pointIndex();
    if (k < 1 || k > scheme.points.size()) return;
    const double T = scheme.points[k - 1];
    const float v = m_seq.testSpeed();
    // Pulling, the drive reads the load and the deformation negative: both strokes are judged alike on
    // magnitudes.
    const Sample s = stroke == 1 ? raw : Sample{std::fabs(raw.L), std::fabs(raw.D), std::fabs(raw.E)};

    if (m_seq.speedMode() == SpeedMode::Variable) {
        std::optional<float> speed;
        if (style == SchemeStyle::DisplacementLoad)
            speed = distanceRuleSpeed(std::fabs(s.D - T), v);
        else if (style == SchemeStyle::DeformationLoad)
            speed = distanceRuleSpeed(std::fabs(T - s.E), v);
        else if (T != 0.0)
            speed = ratioRuleSpeed(s.L / T, v);
        if (speed) motor.SetSpeed(*speed);
    }

    if (!forwardPointReached(style, true, s, T)) return;

    const float value = style == SchemeStyle::LoadDisplacement  ? s.D
                        : style == SchemeStyle::LoadDeformation ? s.E
                                                                : s.L;
    m_seq.setResult(ResultArray::valueIndex(stroke, k), value);
    const ResultArray r = m_seq.results();
    float values[kMaxPoints];
    for (int i = 1; i <= kMaxPoints; ++i) values[i - 1] = r.value(stroke, i);
    m_seq.setResult(ResultArray::stiffnessIndex(stroke, k),
                    StandardTest::forwardStiffness(StandardTestKind::Compression, style, k,
                                                   scheme.points.constData(), values, r.height(), s.L));
    m_seq.SetState(TestState::PointCaptured);

    if (k < scheme.scheme_sum) {
        m_seq.setPointIndex(k + 1);
    } else {
        motor.SetSpeed(20.0f);
        m_seq.setStep(TestStep::Reverse);
    }
}

}  // namespace springtest
