#include "windows/setup/Tf_auto.h"

#include "platform/NumberEntry.h"
#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "sequencer/TTestStyle.h"
#include "windows/common/DialogButtons.h"
#include "windows/common/WindowTexts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace springtest {

namespace {

QLineEdit* numberEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(QStringLiteral("5"), parent);
    edit->setObjectName(name);
    edit->setAlignment(Qt::AlignRight);
    edit->setFixedWidth(80);
    return edit;
}

}  // namespace

Tf_auto::Tf_auto(TTestStyle& sequencer, QWidget* parent) : QDialog(parent), m_sequencer(sequencer) {
    setObjectName(QStringLiteral("Tf_auto"));
    setWindowTitle(kAutoRepeatTitle);

    auto* group = new QGroupBox(kAutoRepeatTitle, this);
    group->setObjectName(QStringLiteral("bsSkinGroupBox1"));
    m_count = numberEdit(QStringLiteral("bsSkinEdit1"), group);
    m_pause = numberEdit(QStringLiteral("bsSkinEdit2"), group);
    auto* grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("试验次数："), group), 0, 0, Qt::AlignRight);
    grid->addWidget(m_count, 0, 1);
    grid->addWidget(new QLabel(kTimesUnit, group), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("停止时间:"), group), 1, 0, Qt::AlignRight);
    grid->addWidget(m_pause, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("秒"), group), 1, 2);

    const DialogButtons buttons = layOutWithOkCancel(*this, group);
    m_ok = buttons.ok;
    m_cancel = buttons.cancel;

    connect(m_ok, &QPushButton::clicked, this, &Tf_auto::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &Tf_auto::cancel);
}

void Tf_auto::confirm() {
    if (!m_sequencer.hasProcedure()) {
        prompts().message(QStringLiteral("当前无试验方案!!"));
        accept();
        return;
    }
    // The series is on before its numbers are read: a number that fails keeps the previous value.
    m_sequencer.SetAutoRepeat(true);
    QString error;
    const std::optional<int> count = readInteger(m_count->text(), &error);
    if (!count) {
        prompts().message(error, kPromptCaption, PromptIcon::Stop);
        return;
    }
    m_sequencer.SetRepeatCount(*count);
    const std::optional<int> pause_s = readInteger(m_pause->text(), &error);
    if (!pause_s) {
        prompts().message(error, kPromptCaption, PromptIcon::Stop);
        return;
    }
    m_sequencer.SetRepeatPause(*pause_s);
    accept();
}

void Tf_auto::cancel() {
    if (m_sequencer.IsAutoRepeat()) m_sequencer.SetAutoRepeat(false);
    reject();
}

}  // namespace springtest
