#pragma once

#include <QString>

#include <optional>

class QButtonGroup;
class QLabel;
class QToolButton;
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

// The number an operator typed. When the text is not one, the conversion error is shown and nothing returned,
// so the caller changes nothing.
std::optional<double> floatFromText(const QString& text);
std::optional<int> integerFromText(const QString& text);

}  // namespace springtest
