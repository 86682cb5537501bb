#include "windows/setup/TF_testspeed.h"

#include "measurement/ChannelConfig.h"
#include "platform/NumberEntry.h"
#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "sequencer/TTestStyle.h"
#include "session/MachineConfig.h"
#include "session/SettingsAuditing.h"
#include "windows/common/DialogButtons.h"

#include <QCheckBox>
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

TF_testspeed::TF_testspeed(TTestStyle& sequencer, QWidget* parent)
    : TF_testspeed(sequencer, QString(), parent) {}

TF_testspeed::TF_testspeed(TTestStyle& sequencer, QString applicationFolder, QWidget* parent)
    : QDialog(parent), m_sequencer(sequencer), m_applicationFolder(std::move(applicationFolder)) {
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
    m_fullRate = new QCheckBox(QStringLiteral("保存全速率曲线（每次采集，约1000点/秒）"), group);
    m_fullRate->setObjectName(QStringLiteral("FullRateCheckBox"));
    m_fullRate->setChecked(m_sequencer.fullRate());
    grid->addWidget(m_fullRate, 2, 0, 1, 3);

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
    const bool fullRate = m_fullRate->isChecked();
    if (fullRate != m_sequencer.fullRate() && !m_applicationFolder.isEmpty()) {
        bool saved = false;
        QString saveError;
        auditedSave(m_applicationFolder, machineConfigFile(m_applicationFolder),
                    [&] { saved = writeFullRateCurve(m_applicationFolder, fullRate, &saveError); });
        if (!saved) {
            prompts().message(saveError, kPromptCaption, PromptIcon::Stop);
            return;
        }
    }
    m_sequencer.SetFullRate(fullRate);
    m_sequencer.SetTestSpeed(static_cast<float>(*speed_mm_per_min));
    m_sequencer.SetSpeedMode(constant ? SpeedMode::Constant : SpeedMode::Variable);
    accept();
}

}  // namespace springtest
