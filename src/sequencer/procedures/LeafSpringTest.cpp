#include "sequencer/procedures/LeafSpringTest.h"

#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/procedures/StandardTest.h"

namespace springtest {

float LeafSpringTest::arcHeight(const ttest_info& scheme, float displacement_mm) {
    return static_cast<float>(displacement_mm - scheme.scheme_th_height - scheme.scheme_xc_height);
}

void LeafSpringTest::onSample(int cardIndex) {
    const CardSlot& slot = m_seq.cards().cards[static_cast<size_t>(cardIndex)];
    const Sample s{slot.record.load.load(std::memory_order_relaxed),
                   slot.record.displacement.load(std::memory_order_relaxed),
                   slot.record.deformation.load(std::memory_order_relaxed)};
    if (m_seq.stroke() == 1)
        forward(s);
    else
        returnStroke(s);
}

void LeafSpringTest::forward(const Sample& s) {
    CardSlot& slot = m_seq.cards().cards[static_cast<size_t>(m_seq.cardIndex())];
    TMotor& motor = *slot.motor;
    const ttest_info& scheme = m_seq.procedureScheme();
    const bool measuring = m_seq.inMeasuringCycle();

    switch (m_seq.step()) {
        case TestStep::SeekInitialForce:
            if (s.D <= 0.6f * m_seq.startPosition()) {
                // No spring where one could lie: back to the start, and on with the next cycle from there.
                m_seq.setStroke(2);
                motor.CommandUp();
            } else if (s.L >= static_cast<float>(scheme.scheme_load)) {
                slot.displacement->MarkDeformationZero();
                m_seq.setResult(0, s.D);
                if (m_seq.cycle() == 1) {
                    motor.CommandStop();
                    m_seq.setResult(LeafResultIndex::freeArcHeight, arcHeight(scheme, s.D));
                }
                if (measuring) m_seq.setResult(LeafResultIndex::pressedArcHeight, arcHeight(scheme, s.D));
                motor.CommandDown();
                motor.SetSpeed(m_seq.testSpeed());
                m_seq.StartCurveTimer();
                m_seq.setStep(TestStep::CapturePoints);
            }
            break;
        case TestStep::CapturePoints:
            if (measuring) {
                capture(s);
            } else if (s.L >= static_cast<float>(scheme.scheme_SDload)) {
                m_seq.setResult(LeafResultIndex::setLoadArcHeight, arcHeight(scheme, s.D));
                m_seq.setStep(TestStep::PressToPrecompressionLoad);
            }
            break;
        case TestStep::PressToPrecompressionLoad:
            if (s.L >= static_cast<float>(scheme.scheme_yyLOAD)) m_seq.setStep(TestStep::PressToMaximumLoad);
            break;
        case TestStep::PressToMaximumLoad:
            if (!measuring || s.L > static_cast<float>(scheme.scheme_returnLOAD)) reverse();
            break;
        default:
            break;
    }
}

void LeafSpringTest::capture(const Sample& s) {
    const ttest_info& scheme = m_seq.procedureScheme();
    const int n = std::min<int>(scheme.scheme_sum, static_cast<int>(scheme.points.size()));
    const int k = m_seq.pointIndex();
    if (k < 1 || k > n) {
        m_seq.setStep(TestStep::PressToMaximumLoad);
        return;
    }
    const SchemeStyle style = scheme.scheme_style;
    const double T = scheme.points[k - 1];
    // A leaf spring is pressed: its points are taken as a compression spring's.
    if (!forwardPointReached(style, true, s, T)) {
        // The maximum test load is never pressed past for a point the spring does not reach under it: the
        // test turns back, and the return stroke takes up the points the forward stroke captured.
        if (scheme.scheme_returnLOAD > 0 && s.L > static_cast<float>(scheme.scheme_returnLOAD)) {
            m_seq.setPointIndex(k - 1);
            reverse();
        }
        return;
    }

    const float value = style == SchemeStyle::LoadDisplacement  ? s.D
                        : style == SchemeStyle::LoadDeformation ? s.E
                                                                : s.L;
    m_seq.setResult(ResultArray::valueIndex(1, k), value);
    const ResultArray r = m_seq.results();
    float values[kMaxPoints];
    for (int i = 1; i <= kMaxPoints; ++i) values[i - 1] = r.value(1, i);
    m_seq.setResult(ResultArray::stiffnessIndex(1, k),
                    StandardTest::forwardStiffness(StandardTestKind::Compression, style, k,
                                                   scheme.points.constData(), values, r.height(), s.L));
    if (style == SchemeStyle::LoadDeformation)
        m_seq.setResult(LeafResultIndex::staticArcHeight(1, k), arcHeight(scheme, s.D));
    m_seq.SetState(TestState::PointCaptured);
    if (k < n)
        m_seq.setPointIndex(k + 1);
    else
        m_seq.setStep(TestStep::PressToMaximumLoad);
}

void LeafSpringTest::reverse() {
    TMotor& motor = *m_seq.cards().cards[static_cast<size_t>(m_seq.cardIndex())].motor;
    motor.SetSpeed(m_seq.testSpeed());
    motor.CommandUp();
    m_seq.setStroke(2);
}

void LeafSpringTest::returnStroke(const Sample& s) {
    const ttest_info& scheme = m_seq.procedureScheme();
    const bool measuring = m_seq.inMeasuringCycle();
    if (s.D >= m_seq.startPosition()) {
        if (measuring)
            m_seq.FinishTest();
        else
            m_seq.RunNextCycle(m_seq.cardIndex());
        return;
    }
    if (!measuring) return;
    const float F0 = static_cast<float>(scheme.scheme_load);
    if (scheme.scheme_jh == 2 && s.L < F0) m_seq.StopCurveTimer();
    const int k = m_seq.pointIndex();
    if (scheme.scheme_jh != 2 || k < 1 || k > scheme.points.size()) return;
    const double T = scheme.points[k - 1];
    const SchemeStyle style = scheme.scheme_style;
    if (!returnPointReached(style, true, s, T)) return;
    if (style == SchemeStyle::LoadDeformation) {
        m_seq.setResult(ResultArray::valueIndex(2, k), s.E);
        const float forward = m_seq.results().value(1, k);
        m_seq.setResult(ResultArray::stiffnessIndex(2, k), resultRatio(T, (double(s.E) + forward) / 2));
        m_seq.setResult(LeafResultIndex::staticArcHeight(2, k), arcHeight(scheme, s.D));
    } else {
        m_seq.setResult(ResultArray::valueIndex(2, k), style == SchemeStyle::LoadDisplacement ? s.D : s.L);
        m_seq.setResult(ResultArray::stiffnessIndex(2, k), resultRatio(s.L, s.E));
    }
    m_seq.setPointIndex(k - 1);
}

}  // namespace springtest
