#include "windows/console/PanelWidgets.h"

#include "platform/NumberEntry.h"
#include "platform/Prompts.h"
#include "windows/common/WindowTexts.h"

#include <QBoxLayout>
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

QToolButton* bigButton(QToolButton* button) {
    button->setMinimumHeight(36);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

TestButtons addTestButtons(QWidget* page, QVBoxLayout* column, const QString& startName,
                           const QString& stopName) {
    auto* row = new QHBoxLayout;
    auto* group = new QButtonGroup(page);
    TestButtons buttons;
    buttons.start = bigButton(makeGroupButton(page, group, startName, kStartTestButton, kStartTestButton));
    buttons.stop = bigButton(makeGroupButton(page, group, stopName, kStopTestButton, kStopTestButton));
    pressButton(buttons.stop);
    row->addWidget(buttons.start);
    row->addWidget(buttons.stop);
    column->addLayout(row);
    return buttons;
}

QString controlPanelStyle(const QString& panelSelector) {
    return panelSelector + QStringLiteral(R"( { background: #dfe7ef; }
QLabel#PanelCaption { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #4f86bf, stop:1 #2c5d90);
                      color: white; font-size: 11pt; font-weight: bold; padding: 3px 8px; }
QTabBar::tab { padding: 4px 8px; color: black; text-decoration: underline; }
QTabBar::tab:selected { font-weight: bold; text-decoration: none; }
QToolButton { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #fdfdfd, stop:1 #d6dee7);
              border: 1px solid #7d93aa; border-radius: 3px; padding: 3px 6px; color: #12263c; }
QToolButton:hover { background: #e8f2fc; }
QToolButton:checked, QToolButton:pressed { background: #2f6fb0; color: white; border-color: #1d4a78; }
QToolButton:disabled { color: #8a96a3; }
QLabel[role="status"] { border: 1px solid #8da2b8; background: #f4f7fa; padding: 2px 4px; }
)");
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
