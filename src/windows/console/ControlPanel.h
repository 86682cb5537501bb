#pragma once

#include <QWidget>

namespace springtest {

class ResultGrid;
class WindowTarget;

// What the main window wires into the machine of any control panel: the targets of the load channels'
// overload message, the motor channels' state message and the sequencer's test-state message, and the grid
// the scheme loader lays out (`bsSkinStringGrid1`).
class ControlPanel : public QWidget {
public:
    using QWidget::QWidget;

    virtual WindowTarget* overloadTarget() = 0;
    virtual WindowTarget* motorStateTarget() = 0;
    virtual WindowTarget* testStateTarget() = 0;
    virtual ResultGrid* resultGrid() = 0;
};

}  // namespace springtest
