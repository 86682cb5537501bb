#include "sequencer/procedures/StandardTest.h"

#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "sequencer/SlowApproach.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/procedures/LateralTest.h"

#include <cmath>
#include <limits>
#include <optional>

namespace springtest {

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The solid height's slope is judged over this much deformation, not over a number of samples: a loop that
// was held up takes several samples within a hair's breadth of travel, and over so little the rounding of
// the displacement and the noise of the load make any slope.
constexpr double kSolidSlopeSpan_mm = 0.1;

// A sample before `newest` whose deformation lies at least `span` below the newest one's, as late as the
// halving finds it (the deformation grows while the search goes on); none before the crosshead has travelled
// a span.
std::optional<size_t> spanStart(const std::vector<float>& deformations, size_t newest, double span) {
    const double limit = double(deformations[newest]) - span;
    if (!(double(deformations[0]) <= limit)) return std::nullopt;
    size_t below = 0, above = newest;
    while (above - below > 1) {
        const size_t middle = below + (above - below) / 2;
        (double(deformations[middle]) <= limit ? below : above) = middle;
    }
    return below;
}

}  // namespace

float StandardTest::forwardStiffness(StandardTestKind kind, SchemeStyle style, int k, const double* T,
                                     const float* value, float H, float L) {
    const bool tension = !compresses(kind);
    const double Tk = T[k - 1];
    const double vk = value[k - 1];
    if (k == 1) {
        switch (style) {
            case SchemeStyle::DisplacementLoad:
                return tension ? resultRatio(L, Tk - H) : resultRatio(L, H - Tk);
            case SchemeStyle::DeformationLoad:
                return resultRatio(L, Tk);
            case SchemeStyle::LoadDisplacement:
                return tension ? resultRatio(Tk, vk - H) : resultRatio(Tk, H - vk);
            case SchemeStyle::LoadDeformation:
                return resultRatio(Tk, vk);
        }
        return kNaN;
    }
    const double Tp = T[k - 2];
    const double vp = value[k - 2];
    switch (style) {
        case SchemeStyle::DisplacementLoad:
            return tension ? resultRatio(vk - vp, Tk - Tp) : resultRatio(vk - vp, Tp - Tk);
        case SchemeStyle::DeformationLoad:
            return resultRatio(vk - vp, Tk - Tp);
        case SchemeStyle::LoadDisplacement:
            return tension ? resultRatio(Tk - Tp, vk - vp) : resultRatio(Tk - Tp, vp - vk);
        case SchemeStyle::LoadDeformation:
            return resultRatio(Tk - Tp, vk - vp);
    }
    return kNaN;
}

void StandardTest::onSample(int cardIndex) {
    const CardSlot& slot = m_seq.cards().cards[static_cast<size_t>(cardIndex)];
    float L = slot.record.load.load(std::memory_order_relaxed);
    if (m_kind == StandardTestKind::TensionType6) L = std::fabs(L);
    const Sample s{L, slot.record.displacement.load(std::memory_order_relaxed),
                   slot.record.deformation.load(std::memory_order_relaxed)};
    if (m_seq.stroke() == 1)
        forward(s);
    else
        returnStroke(s);
}

void StandardTest::towardSpring() {
    TMotor& m = *m_seq.cards().cards[static_cast<size_t>(m_seq.cardIndex())].motor;
    if (m_kind == StandardTestKind::TensionType6)
        m.CommandUp();
    else
        m.CommandDown();
}

void StandardTest::awayFromSpring() {
    TMotor& m = *m_seq.cards().cards[static_cast<size_t>(m_seq.cardIndex())].motor;
    if (m_kind == StandardTestKind::TensionType6)
        m.CommandDown();
    else
        m.CommandUp();
}

float StandardTest::measured(const Sample& s) const {
    switch (m_seq.procedureScheme().scheme_style) {
        case SchemeStyle::LoadDisplacement:
            return s.D;
        case SchemeStyle::LoadDeformation:
            return s.E;
        case SchemeStyle::DisplacementLoad:
        case SchemeStyle::DeformationLoad:
            break;
    }
    return s.L;
}

void StandardTest::forward(const Sample& s) {
    CardSlot& slot = m_seq.cards().cards[static_cast<size_t>(m_seq.cardIndex())];
    TMotor& motor = *slot.motor;
    const ttest_info& scheme = m_seq.procedureScheme();
    const float F0 = static_cast<float>(scheme.scheme_load);
    const float v = m_seq.testSpeed();
    const float start = m_seq.startPosition();
    const bool compression = compresses(m_kind);

    switch (m_seq.step()) {
        case TestStep::SeekInitialForce: {
            // A spring that is never felt sends the test straight into its return stroke.
            const bool beyondSearch = compression                           ? s.D <= 0.6f * start
                                      : m_kind == StandardTestKind::Tension ? s.D >= 1.3f * start
                                                                            : false;
            if (beyondSearch) {
                motor.CommandStop();
                m_seq.setStroke(2);
                motor.SetSpeed(v);
                motor.CommandUp();
            } else if (s.L >= F0) {
                motor.CommandStop();
                m_seq.setStep(TestStep::BackOff);
                motor.SetSpeed(compression ? 20.0f : 5.0f);
                awayFromSpring();
            }
            break;
        }
        case TestStep::BackOff:
            if (s.L <= F0) {
                motor.CommandStop();
                motor.SetSpeed(compression ? 10.0f : 1.0f);
                towardSpring();
                m_seq.setStep(TestStep::TakeHeight);
            }
            break;
        case TestStep::TakeHeight:
            if (s.L >= F0) {
                motor.CommandStop();
                m_seq.setResult(0, s.D);
                slot.displacement->MarkDeformationZero();
                if (m_kind == StandardTestKind::Axial) clearOffsetSensors(m_seq);
                motor.SetSpeed(v);
                towardSpring();
                m_seq.StartCurveTimer();
                m_seq.setStep(TestStep::CapturePoints);
            }
            break;
        case TestStep::CapturePoints:
            points(s);
            break;
        case TestStep::SolidSearch:
            solidSearch(s);
            break;
        case TestStep::Settle:
            m_seq.setStep(TestStep::Reverse);
            break;
        case TestStep::Reverse:
            reverse();
            break;
        case TestStep::PressToPrecompressionLoad:  // leaf springs only
        case TestStep::PressToMaximumLoad:
        case TestStep::ReturnToFreeHeight:  // lateral springs only
            break;
    }
}

void StandardTest::reverse() {
    TMotor& motor = *m_seq.cards().cards[static_cast<size_t>(m_seq.cardIndex())].motor;
    if (m_seq.procedureScheme().scheme_jh == 1) m_seq.StopCurveTimer();
    const float v = m_seq.testSpeed();
    if (compresses(m_kind)) {
        m_seq.setStroke(2);
        awayFromSpring();
        motor.SetSpeed(v);
    } else {
        motor.SetSpeed(v);
        awayFromSpring();
        m_seq.setStroke(2);
    }
}

void StandardTest::points(const Sample& s) {
    TMotor& motor = *m_seq.cards().cards[static_cast<size_t>(m_seq.cardIndex())].motor;
    const ttest_info& scheme = m_seq.procedureScheme();
    const SchemeStyle style = scheme.scheme_style;
    const int k = m_seq.pointIndex();
    if (k < 1 || k > scheme.points.size()) return;
    const double T = scheme.points[k - 1];
    const float v = m_seq.testSpeed();
    const bool compression = compresses(m_kind);

    if (m_seq.speedMode() == SpeedMode::Variable) {
        std::optional<float> speed;
        if (style == SchemeStyle::DisplacementLoad)
            speed = distanceRuleSpeed(std::fabs(s.D - T), v);
        else if (style == SchemeStyle::DeformationLoad)
            speed = distanceRuleSpeed(std::fabs(T - s.E), v);
        else if (compression) {
            if (T != 0.0) speed = ratioRuleSpeed(s.L / T, v);
        } else
            speed = loadDifferenceRuleSpeed(std::fabs(T - s.L), v);
        if (speed) motor.SetSpeed(*speed);
    }

    if (!forwardPointReached(style, compression, s, T)) return;

    const float value = measured(s);
    m_seq.setResult(ResultArray::valueIndex(1, k), value);
    const ResultArray r = m_seq.results();
    float values[kMaxPoints];
    for (int i = 1; i <= kMaxPoints; ++i) values[i - 1] = r.value(1, i);
    const float stiff =
        forwardStiffness(m_kind, style, k, scheme.points.constData(), values, r.height(), s.L);
    m_seq.setResult(ResultArray::stiffnessIndex(1, k), stiff);
    if (compression && !std::isnan(stiff))
        m_seq.setMeanStiffness(
            k == 1 || std::isnan(m_seq.meanStiffness()) ? stiff : (m_seq.meanStiffness() + stiff) / 2);
    else if (compression && k == 1)
        m_seq.setMeanStiffness(kNaN);
    if (m_kind == StandardTestKind::Axial) captureOffset(m_seq, k);

    m_seq.SetState(TestState::PointCaptured);

    if (k < scheme.scheme_sum) {
        m_seq.setPointIndex(k + 1);
    } else if (m_kind == StandardTestKind::Axial) {
        motor.SetSpeed(20.0f);
        m_seq.setStep(TestStep::Reverse);
    } else if (compression && scheme.scheme_yb) {
        motor.SetSpeed(v);
        m_seq.setStep(TestStep::SolidSearch);
    } else {
        motor.SetSpeed(20.0f);
        m_seq.setStep(compression ? TestStep::Settle : TestStep::Reverse);
    }
}

void StandardTest::solidSearch(const Sample& s) {
    auto& loads = m_seq.solidLoads();
    auto& defs = m_seq.solidDeformations();
    loads.push_back(s.L);
    defs.push_back(s.E);
    if (loads.size() < 20) return;
    const size_t m = loads.size() - 1;
    const std::optional<size_t> start = spanStart(defs, m, kSolidSlopeSpan_mm);
    if (!start) return;
    const size_t j = *start;
    const double dE = double(defs[m]) - defs[j];
    const double slope = (double(loads[m]) - loads[j]) / dE;
    const float mean = m_seq.meanStiffness();
    if (!std::isnan(mean) && slope > 5.0 * mean) {
        m_seq.cards().cards[static_cast<size_t>(m_seq.cardIndex())].motor->CommandStop();
        m_seq.setResult(1, s.D);
        m_seq.setStep(TestStep::Reverse);
    }
}

void StandardTest::returnStroke(const Sample& s) {
    const ttest_info& scheme = m_seq.procedureScheme();
    const bool compression = compresses(m_kind);
    const float start = m_seq.startPosition();

    if (compression ? s.D >= start : s.D <= start) {
        if (m_kind == StandardTestKind::Axial) recordOffsetAngle(m_seq);
        m_seq.FinishTest();
        return;
    }
    if (scheme.scheme_jh != 2) return;
    if (s.L < static_cast<float>(scheme.scheme_load)) m_seq.StopCurveTimer();
    const int k = m_seq.pointIndex();
    if (k < 1 || k > scheme.points.size()) return;
    const double T = scheme.points[k - 1];
    if (!returnPointReached(scheme.scheme_style, compression, s, T)) return;
    m_seq.setResult(ResultArray::valueIndex(2, k), measured(s));
    m_seq.setResult(ResultArray::stiffnessIndex(2, k), resultRatio(s.L, s.E));
    m_seq.setPointIndex(k - 1);
}

}  // namespace springtest
