#pragma once

#include "measurement/SampleSlot.h"
#include "sequencer/TestTypes.h"
#include "sequencer/procedures/PointCapture.h"

namespace springtest {

class TTestStyle;

// Where the axial test on the lateral machine keeps the sideways offset of the spring's top in the result
// array, beside the points' values and stiffnesses: at forward point k (1…10) the X and Y sensors' readings
// and the offset √(X² + Y²); once the test is finished, the offset angle of its last point (NaN: no number).
struct LateralResultIndex {
    static int x(int k) { return 87 + k; }
    static int y(int k) { return 97 + k; }
    static int offset(int k) { return 107 + k; }
    static constexpr int angle = 118;
};

// The direction of an offset (X, Y) in degrees, 0 ≤ θ < 360: θ = atan2(−X, −Y), so the offset points along
// r·(−sin θ, −cos θ). Turning the turntable up by a degrees makes θ grow by a; positioning brings θ to 0.
// NaN when X = Y = 0: a spring whose top did not move has no direction, and the turntable is left alone.
float offsetAngle_deg(float x_mm, float y_mm);

// Card 1 (the lateral drive) doubles as the Y sensor, card 3 as the X sensor.
inline constexpr int kLateralDriveCard = 1;
inline constexpr int kTurntableCard = 2;
inline constexpr int kXSensorCard = 3;

// The axial test is the compression test (StandardTestKind::Axial) with the sideways offset followed by
// these: X and Y start from 0 at the spring's height; each forward point records X, Y and the offset; the
// finished test records the offset angle of its last captured point.
void clearOffsetSensors(TTestStyle& sequencer);
void captureOffset(TTestStyle& sequencer, int k);
void recordOffsetAngle(TTestStyle& sequencer);

// The lateral test on card 1, one acquisition sample at a time, started with the drive moving down from the
// spring's free height: push the spring through the scheme's points, back up to the free height, on upward
// pulling it through the same points (measured by magnitudes: the load and the deformation count negative
// that way), back down to the free height, and hand the test to storage. Both strokes always run; a scheme
// that measures one stroke stores only the first.
class LateralTest : public SampleProcedure {
public:
    explicit LateralTest(TTestStyle& sequencer) : m_seq(sequencer) {}
    void onSample(int cardIndex) override;

private:
    using Sample = PointSample;
    void points(const Sample& s);

    TTestStyle& m_seq;
};

}  // namespace springtest
