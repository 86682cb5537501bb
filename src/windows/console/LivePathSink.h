#pragma once

#include "sequencer/PathSink.h"

#include <QVector>

#include <mutex>
#include <optional>

namespace springtest {

// The sideways path of the spring's top as the sequencer hands it over: every call only queues under a
// short lock, so the curve timer's thread never waits for the GUI; the curve window draws the batch on its
// own thread.
class LivePathSink final : public PathSink {
public:
    struct Axes {
        double xHalfSpan = 0.0;
        double xStep = 0.0;
        double yHalfSpan = 0.0;
        double yStep = 0.0;
    };
    // Everything that arrived since the previous take.
    struct Batch {
        bool cleared = false;  // a new test began: drop what is drawn before adding these points
        QVector<double> xs;
        QVector<double> ys;
        std::optional<Axes> axes;  // the latest axes, when they were set
        bool isEmpty() const { return !cleared && !axes && xs.isEmpty(); }
    };

    void clearPath() override;
    void appendPathPoint(double x_mm, double y_mm) override;
    void setPathAxes(double xHalfSpan, double xStep, double yHalfSpan, double yStep) override;

    Batch take();

private:
    std::mutex m_mutex;
    Batch m_pending;
};

}  // namespace springtest
