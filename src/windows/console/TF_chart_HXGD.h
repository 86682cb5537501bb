#pragma once

#include "windows/console/LivePathSink.h"
#include "windows/console/TF_chart.h"

namespace springtest {

// The curve window of the lateral machine: the test's curve on its first page ("chart1", as on every
// machine) and, on the second ("chart2"), the path the spring's top takes sideways during an axial test,
// Y against X, each with its own toolbar and read-out. Both pages share the window's width.
class TF_chart_HXGD : public TF_chart {
    Q_OBJECT
public:
    explicit TF_chart_HXGD(ConsoleContext& ctx, QWidget* parent = nullptr);

    // What the sequencer draws the path into; safe to call from any thread. Lives as long as the window.
    PathSink* pathSink() { return &m_pathSink; }
    // Chart 1 (the test's curve) or 2 (the path).
    CurvePage* page(int number) const { return curvePage(number); }

    // Draws the path queued since the last draw; the draw timer calls it.
    void drawPendingPath();

protected:
    void showEvent(QShowEvent* event) override;

private:
    LivePathSink m_pathSink;
};

}  // namespace springtest
