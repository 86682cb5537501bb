#pragma once

namespace springtest {

// Where the sideways path of the spring's top goes while an axial test on the lateral machine records it:
// the X and Y sensors' readings, one point per curve sample. Called from the curve timer's own thread every
// 100 ms; an implementation must not block (as CurveSink).
class PathSink {
public:
    virtual ~PathSink() = default;
    // A new test: the path empty, both axes 0…0.
    virtual void clearPath() = 0;
    virtual void appendPathPoint(double x_mm, double y_mm) = 0;
    // Axes −xHalfSpan … +xHalfSpan and −yHalfSpan … +yHalfSpan after the feed widened them.
    virtual void setPathAxes(double xHalfSpan, double xStep, double yHalfSpan, double yStep) = 0;
};

}  // namespace springtest
