#pragma once

#include "sequencer/CurveSink.h"

#include <array>
#include <mutex>
#include <optional>
#include <vector>

namespace springtest {

// The live curve as the sequencer hands it over: every call only queues under a short lock, so the curve
// timer's thread never waits for the GUI. The curve window takes what has queued up in one batch and draws
// it on its own thread.
class LiveCurveSink final : public CurveSink {
public:
    static constexpr int kSeries = 3;  // forward, return, characteristic curve

    struct Point {
        double x = 0.0;
        double load = 0.0;
    };
    struct Axes {
        double bottomMax = 0.0;
        double bottomStep = 0.0;
        double leftMax = 0.0;
        double leftStep = 0.0;
    };
    // Everything that arrived since the previous take, in arrival order within each series.
    struct Batch {
        bool cleared = false;  // a new test began: drop what is drawn before adding these points
        std::array<std::vector<Point>, kSeries> series;
        std::optional<Axes> axes;  // the latest axes, when they were set
        bool isEmpty() const;
    };

    void clearCurve() override;
    void appendPoint(int series, double x, double load) override;
    void setAxes(double bottomMax, double bottomStep, double leftMax, double leftStep) override;

    // Hands over the queued batch and starts a new one.
    Batch take();

private:
    std::mutex m_mutex;
    Batch m_pending;
};

}  // namespace springtest
