#pragma once

#include <QRect>
#include <optional>
#include <utility>

#include "windows/console/AxisStepping.h"

class QCPAxis;
class QCustomPlot;

namespace springtest {

// Tick labels as the operators' charts write them ("###0.###"): at most three decimals, no trailing zeros,
// one labelled tick every `step` of the axis.
void useStepTicker(QCPAxis* axis);

// Shows an axis as the operator set it. A 0 .. 0 axis (a test just started, a curve without a positive
// load) cannot be shown; it gets a unit range. A step that would crowd the axis with labels is replaced by a
// tenth of the range.
void showAxisScale(QCPAxis* axis, const AxisScale& scale);

// A rectangle dragged over a chart, from where the button went down to where it came up.
struct DraggedRectangle {
    enum class Meaning { Click, Zoom, Undo };
    Meaning meaning = Meaning::Click;
    AxisScale bottom;  // the rectangle's axis values, for Zoom; each step a tenth of its range
    AxisScale left;
};
// Drawn to the right it zooms into the rectangle, drawn to the left it undoes the zooms; a rectangle of a
// few pixels is a click.
DraggedRectangle readDraggedRectangle(const QCustomPlot& plot, const QRect& dragged);

// The ranges before the first zoom (by rectangle or by button), which an undo returns to.
class ZoomUndo {
public:
    void remember(const AxisScale& bottom, const AxisScale& left) {
        if (!m_before) m_before = std::make_pair(bottom, left);
    }
    // The ranges to return to, each step a tenth of its range; nothing when no zoom is pending.
    std::optional<std::pair<AxisScale, AxisScale>> take();
    void forget() { m_before.reset(); }

private:
    std::optional<std::pair<AxisScale, AxisScale>> m_before;
};

}  // namespace springtest
