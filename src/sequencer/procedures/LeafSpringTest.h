#pragma once

#include "measurement/SampleSlot.h"
#include "sequencer/TestTypes.h"
#include "sequencer/procedures/PointCapture.h"

namespace springtest {

class TTestStyle;

// Where the leaf-spring test keeps its arc heights in the result array, beside the points' values and
// stiffnesses (ResultArray::valueIndex, ResultArray::stiffnessIndex) and the displacement at the latest
// contact (ResultArray::height).
struct LeafResultIndex {
    static constexpr int freeArcHeight = 42;     // at the contact of the first pressing
    static constexpr int pressedArcHeight = 43;  // at the contact of the measuring cycle
    static constexpr int setLoadArcHeight = 85;  // at the set load, in the last pre-compression
    // At point k (1…10) of stroke s (1 forward, 2 return); measured with scheme style 3 only.
    static int staticArcHeight(int stroke, int k) { return 44 + 20 * (stroke - 1) + k; }
};

// The leaf-spring test, one acquisition sample at a time: the spring on its carriage is pressed to the
// pre-compression load as often as the operator asked (and once more), each time from the start position
// and back; then the measuring cycle captures the scheme's points going down, presses on to the maximum
// test load and captures them again coming up. Arc heights are the displacement less the total leaf
// thickness and the carriage centre height.
class LeafSpringTest : public SampleProcedure {
public:
    explicit LeafSpringTest(TTestStyle& sequencer) : m_seq(sequencer) {}
    void onSample(int cardIndex) override;

    // The arc height a displacement stands for under the scheme's geometry.
    static float arcHeight(const ttest_info& scheme, float displacement_mm);

private:
    using Sample = PointSample;
    void forward(const Sample& s);
    void capture(const Sample& s);
    void reverse();
    void returnStroke(const Sample& s);

    TTestStyle& m_seq;
};

}  // namespace springtest
