#include "windows/setup/TF_testspeed.h"

#include "platform/NumberEntry.h"
#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "sequencer/TTestStyle.h"
#include "windows/common/DialogButtons.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace springtest {

namespace {

QLineEdit* speedEdit(const QString& name, QWidget* parent) {
    auto* edit = new QLineEdit(QStringLiteral("100"), parent);
    edit->setObjectName(name);
    edit->setAlignment(Qt::AlignRight);
    edit->setFixedWidth(90);
    return edit;
}

}  // namespace

TF_testspeed::TF_testspeed(TTestStyle& sequencer, QWidget* parent) : QDialog(parent), m_sequencer(sequencer) {
    setObjectName(QStringLiteral("TF_testspeed"));
    setWindowTitle(QStringLiteral("速度设置"));

    auto* group = new QGroupBox(this);
    m_constant = new QRadioButton(QStringLiteral("匀速"), group);
    m_constant->setObjectName(QStringLiteral("bsR1"));
    m_constant->setChecked(true);
    m_variable = new QRadioButton(QStringLiteral("变速"), group);
    m_variable->setObjectName(QStringLiteral("bsCR2"));
    m_constantSpeed = speedEdit(QStringLiteral("bsSkinEdit1"), group);
    m_variableSpeed = speedEdit(QStringLiteral("bsSkinEdit2"), group);

    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(10);
    grid->addWidget(m_constant, 0, 0);
    grid->addWidget(m_constantSpeed, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("(mm/min)"), group), 0, 2);
    grid->addWidget(m_variable, 1, 0);
    grid->addWidget(m_variableSpeed, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("(mm/min)"), group), 1, 2);

    const DialogButtons buttons = layOutWithOkCancel(*this, group);
    m_ok = buttons.ok;
    m_cancel = buttons.cancel;

    connect(m_ok, &QPushButton::clicked, this, &TF_testspeed::confirm);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TF_testspeed::confirm() {
    const bool constant = m_constant->isChecked();
    if (!constant && !m_variable->isChecked()) return;
    QString error;
    const std::optional<double> speed_mm_per_min =
        readFloat((constant ? m_constantSpeed : m_variableSpeed)->text(), &error);
    if (!speed_mm_per_min) {
        prompts().message(error, kPromptCaption, PromptIcon::Stop);
        return;
    }
    m_sequencer.SetTestSpeed(static_cast<float>(*speed_mm_per_min));
    m_sequencer.SetSpeedMode(constant ? SpeedMode::Constant : SpeedMode::Variable);
    accept();
}

}  // namespace springtest
