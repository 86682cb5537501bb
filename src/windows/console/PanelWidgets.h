#pragma once

#include <QString>

#include <optional>

class QButtonGroup;
class QLabel;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace springtest {

// The small parts the operator panels are made of. A speed button is a flat tool button; one that belongs to
// a group stays down until another button of the group is pressed.
QToolButton* makeSpeedButton(QWidget* parent, const QString& name, const QString& caption,
                             const QString& hint = QString());
QToolButton* makeGroupButton(QWidget* parent, QButtonGroup* group, const QString& name,
                             const QString& caption, const QString& hint = QString());
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption);

// Puts a grouped button down by program: its click action does not run.
void pressButton(QToolButton* button);

// A button of the panels' main rows: full width, tall enough to hit with a glove on.
QToolButton* bigButton(QToolButton* button);

// The program page's 试验开始 / 试验停止 pair, one group on a row of `column`, 试验停止 down.
struct TestButtons {
    QToolButton* start = nullptr;
    QToolButton* stop = nullptr;
};
TestButtons addTestButtons(QWidget* page, QVBoxLayout* column, const QString& startName,
                           const QString& stopName);

// The look every control panel shares, for the panel class `panelSelector` (as a style sheet names it).
QString controlPanelStyle(const QString& panelSelector);

// The number an operator typed. When the text is not one, the conversion error is shown and nothing returned,
// so the caller changes nothing.
std::optional<double> floatFromText(const QString& text);
std::optional<int> integerFromText(const QString& text);

}  // namespace springtest
