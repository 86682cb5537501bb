#pragma once

#include "measurement/SampleSlot.h"
#include "sequencer/TestTypes.h"
#include "sequencer/procedures/PointCapture.h"

namespace springtest {

class TTestStyle;

enum class StandardTestKind {
    Compression,   // compression spring, every standard machine
    Tension,       // tension spring, machine types 0, 1, 2, 4: moving down stretches it
    TensionType6,  // tension spring on machine type 6: moving up stretches it, the load is read as a
                   // magnitude
    Axial,         // compression spring on the lateral machine (type 5), following its top's sideways offset
                   // (see LateralTest.h); no solid-height search
};

inline bool compresses(StandardTestKind kind) {
    return kind == StandardTestKind::Compression || kind == StandardTestKind::Axial;
}

// The coil-spring test, one acquisition sample at a time: seek the initial force, back off, approach slowly
// and take the height, capture the scheme's points with their stiffness, optionally search the solid height,
// return to the start capturing the return points, and hand the test to storage.
class StandardTest : public SampleProcedure {
public:
    StandardTest(TTestStyle& sequencer, StandardTestKind kind) : m_seq(sequencer), m_kind(kind) {}
    void onSample(int cardIndex) override;
    StandardTestKind kind() const { return m_kind; }

    // Stiffness of forward point k from the point values T, the measured values and the height H; NaN when
    // its denominator is zero (the cell then stays empty).
    static float forwardStiffness(StandardTestKind kind, SchemeStyle style, int k, const double* T,
                                  const float* value, float height, float load);

private:
    using Sample = PointSample;
    void forward(const Sample& s);
    void points(const Sample& s);
    void solidSearch(const Sample& s);
    void reverse();
    void returnStroke(const Sample& s);
    void towardSpring();
    void awayFromSpring();
    float measured(const Sample& s) const;

    TTestStyle& m_seq;
    const StandardTestKind m_kind;
};

}  // namespace springtest
