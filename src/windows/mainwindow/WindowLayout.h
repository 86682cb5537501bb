#pragma once

#include <QPoint>
#include <QRect>

namespace springtest {

// Where the operator windows go under the main window's strip, in screen pixels, from the windows' current
// outer sizes: the data panel just below the strip, the curve window below the data panel, the control
// panel beside the curve window.
struct OperatorWindowPlaces {
    QPoint dataPanel;
    QPoint curveWindow;
    QPoint controlPanel;
};
OperatorWindowPlaces operatorWindowPlaces(const QRect& mainFrame, int dataPanelHeight, int curveWindowWidth);

}  // namespace springtest
