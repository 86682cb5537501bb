#include "PanelWidgets.h"

#include "platform/Prompts.h"

#include <QButtonGroup>
#include <QLabel>
#include <QToolButton>

namespace springtest {

QToolButton* makeSpeedButton(QWidget* parent, const QString& name, const QString& caption, const QString& hint) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setAutoRaise(false);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QToolButton* makeGroupButton(QWidget* parent, QButtonGroup* group, const QString& name, const QString& caption,
                             const QString& hint) {
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
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (ok) return value;
    prompts().message(QStringLiteral("'%1' is not a valid floating point value").arg(text), QStringLiteral("错误"),
                      PromptIcon::Critical);
    return std::nullopt;
}

std::optional<int> integerFromText(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok) return value;
    prompts().message(QStringLiteral("'%1' is not a valid integer value").arg(text), QStringLiteral("错误"),
                      PromptIcon::Critical);
    return std::nullopt;
}

}  // namespace springtest
