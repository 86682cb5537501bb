#pragma once

namespace springtest {

// Where the live curve goes while a test records it. Called from the curve timer's own thread every
// 100 ms; an implementation must not block (the live chart queues the points and draws them in batches on
// the GUI thread).
class CurveSink {
public:
    virtual ~CurveSink() = default;
    // A new test: both series empty, both axes 0…0.
    virtual void clearCurve() = 0;
    // Series 0 is the forward stroke (the card's series), 1 the return stroke.
    virtual void appendPoint(int series, double x, double load) = 0;
    // The axes' maxima and steps after the feed stretched them.
    virtual void setAxes(double bottomMax, double bottomStep, double leftMax, double leftStep) = 0;
};

}  // namespace springtest
