#include "windows/console/PanelWidgets.h"

#include "platform/NumberEntry.h"
#include "platform/Prompts.h"
#include "windows/common/WindowTexts.h"

#include <QButtonGroup>
#include <QLabel>
#include <QToolButton>

namespace springtest {

QToolButton* makeSpeedButton(QWidget* parent, const QString& name, const QString& caption,
                             const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setAutoRaise(false);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QToolButton* makeGroupButton(QWidget* parent, QButtonGroup* group, const QString& name,
                             const QString& caption, const QString& hint) {
    QToolButton* button = makeSpeedButton(parent, name, caption, hint);
    button->setCheckable(true);
    group->addButton(button);
    return button;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

void pressButton(QToolButton* button) {
    if (button) button->setChecked(true);
}

std::optional<double> floatFromText(const QString& text) {
    QString error;
    const std::optional<double> value = readFloat(text, &error);
    if (!value) prompts().message(error, kErrorCaption, PromptIcon::Critical);
    return value;
}

std::optional<int> integerFromText(const QString& text) {
    QString error;
    const std::optional<int> value = readInteger(text, &error);
    if (!value) prompts().message(error, kErrorCaption, PromptIcon::Critical);
    return value;
}

}  // namespace springtest
