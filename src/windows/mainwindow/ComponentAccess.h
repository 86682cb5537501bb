#pragma once

#include <QString>

class QObject;

namespace springtest {

// The few places where one window sets a component of another, found by its name (without regard to case)
// below `root`. Each returns false when there is no such component or it cannot do what is asked.

// The caption of a label, button, edit or status panel.
bool setComponentText(QObject* root, const QString& name, const QString& text);
QString componentText(QObject* root, const QString& name);
// Activates a button as the operator's click would.
bool clickComponent(QObject* root, const QString& name);
// Ticks item `item` (0-based) of a radio group: a QButtonGroup, or a widget holding radio buttons.
bool setRadioGroupItem(QObject* root, const QString& name, int item);
int radioGroupItem(QObject* root, const QString& name);
// Shows page `page` (0-based) of a page control.
bool setActivePage(QObject* root, const QString& name, int page);
// Shows or hides the tab of the page named `pageName` in the page control that holds it.
bool setPageTabVisible(QObject* root, const QString& pageName, bool visible);
bool setComponentEnabled(QObject* root, const QString& name, bool enabled);

}  // namespace springtest
