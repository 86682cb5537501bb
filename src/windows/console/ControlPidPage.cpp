#include "windows/console/ControlPidPage.h"

#include "measurement/ChannelConfig.h"
#include "measurement/TMotor.h"
#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "sequencer/CurveSink.h"
#include "session/SettingsAuditing.h"
#include "windows/common/FindByName.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/ConsoleContext.h"
#include "windows/console/PanelWidgets.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <qcustomplot.h>

namespace springtest {

namespace {

// The live chart's series that only this page uses: the valve's characteristic curve.
constexpr int kCharacteristicSeries = 2;

QLineEdit* makeEdit(QWidget* parent, const char* name, const char* text) {
    auto* edit = new QLineEdit(QString::fromLatin1(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

}  // namespace

ControlPidPage::ControlPidPage(ConsoleContext& ctx, int card, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_card(card) {
    setObjectName(QStringLiteral("bsSkinTabSheet5"));
    auto* column = new QVBoxLayout(this);

    auto* targets = new QGridLayout;
    QToolButton* holdDisplacement =
        makeSpeedButton(this, QStringLiteral("bsSkinSpeedButton3"), QStringLiteral("位移目标值"));
    QToolButton* holdLoad =
        makeSpeedButton(this, QStringLiteral("bsSkinSpeedButton17"), QStringLiteral("负荷目标值"));
    QToolButton* ramp =
        makeSpeedButton(this, QStringLiteral("bsSkinSpeedButton18"), QStringLiteral("等速位移"));
    QToolButton* stop =
        makeSpeedButton(this, QStringLiteral("bsSkinSpeedButton4"), QStringLiteral("停止闭环控制"));
    m_displacementTarget = makeEdit(this, "bsSkinEdit4", "0");
    m_loadTarget = makeEdit(this, "bsSkinEdit5", "0");
    m_rampRate = makeEdit(this, "bsSkinEdit6", "0.5");
    targets->addWidget(holdDisplacement, 0, 0);
    targets->addWidget(m_displacementTarget, 0, 1);
    targets->addWidget(holdLoad, 1, 0);
    targets->addWidget(m_loadTarget, 1, 1);
    targets->addWidget(ramp, 2, 0);
    targets->addWidget(m_rampRate, 2, 1);
    targets->addWidget(stop, 3, 0, 1, 2);
    column->addLayout(targets);

    auto* valve = new QGroupBox(QStringLiteral("阀偏设置"), this);
    auto* valveGrid = new QGridLayout(valve);
    m_valveZero = makeEdit(valve, "fapian_Edit", "2050");
    m_upper = makeEdit(valve, "edit_high", "10");
    m_low = makeEdit(valve, "edit_low", "-10");
    QToolButton* apply =
        makeSpeedButton(valve, QStringLiteral("bsSkinSpeedButton31"), QStringLiteral("设置"));
    valveGrid->addWidget(new QLabel(QStringLiteral("阀偏值："), valve), 0, 0);
    valveGrid->addWidget(m_valveZero, 0, 1);
    valveGrid->addWidget(new QLabel(QStringLiteral("上限值："), valve), 1, 0);
    valveGrid->addWidget(m_upper, 1, 1);
    valveGrid->addWidget(new QLabel(QStringLiteral("下限值："), valve), 2, 0);
    valveGrid->addWidget(m_low, 2, 1);
    valveGrid->addWidget(apply, 3, 0, 1, 2);
    column->addWidget(valve);

    m_characteristicCurve = new QCheckBox(QStringLiteral("打开特征曲线"), this);
    m_characteristicCurve->setObjectName(QStringLiteral("TZQX_CheckRadioBox"));
    column->addWidget(m_characteristicCurve);
    column->addStretch();

    for (QToolButton* b : findChildren<QToolButton*>()) b->setMinimumHeight(28);

    connect(holdDisplacement, &QToolButton::clicked, this, &ControlPidPage::onHoldDisplacement);
    connect(holdLoad, &QToolButton::clicked, this, &ControlPidPage::onHoldLoad);
    connect(ramp, &QToolButton::clicked, this, &ControlPidPage::onRamp);
    connect(stop, &QToolButton::clicked, this, &ControlPidPage::onStop);
    connect(apply, &QToolButton::clicked, this, &ControlPidPage::onValveSettings);
    connect(m_characteristicCurve, &QCheckBox::clicked, this, &ControlPidPage::onCharacteristicCurve);
}

TMotor* ControlPidPage::motor() const {
    return m_ctx.cards.cards[static_cast<size_t>(m_card)].motor.get();
}

QCustomPlot* ControlPidPage::liveChart() const {
    // The live chart is a component of the curve window, a sibling of this panel under the main window.
    auto* chart = findByName<QCustomPlot>(window()->parentWidget(), QStringLiteral("chart1"));
    return chart && chart->plottableCount() > kCharacteristicSeries ? chart : nullptr;
}

void ControlPidPage::showValveSettings() {
    const TMotor* m = motor();
    if (!m) return;
    const ServoBlock servo = m->servo();
    m_valveZero->setText(QString::number(servo.valveZero));
    m_upper->setText(QString::number(servo.upper));
    m_low->setText(QString::number(servo.low));
}

void ControlPidPage::onHoldDisplacement() {
    const std::optional<double> target = floatFromText(m_displacementTarget->text());
    if (!target) return;
    if (TMotor* m = motor()) m->HoldDisplacement(static_cast<float>(*target));
    if (!m_characteristicCurve->isChecked()) return;
    // A new characteristic starts on an empty chart.
    if (CurveSink* curve = m_ctx.liveCurve) {
        curve->clearCurve();
        curve->setAxes(0, 0, 0, 0);
    }
    if (QCustomPlot* chart = liveChart()) {
        if (auto* series = qobject_cast<QCPCurve*>(chart->plottable(kCharacteristicSeries)))
            series->data()->clear();
        chart->replot();
    }
}

void ControlPidPage::onHoldLoad() {
    const std::optional<double> target = floatFromText(m_loadTarget->text());
    if (!target) return;
    if (TMotor* m = motor()) m->HoldLoad(static_cast<float>(*target));
}

void ControlPidPage::onRamp() {
    const std::optional<double> rate = floatFromText(m_rampRate->text());
    if (!rate) return;
    if (TMotor* m = motor()) m->RampDisplacement(static_cast<float>(*rate));
}

void ControlPidPage::onStop() {
    if (TMotor* m = motor()) m->StopPid();
}

void ControlPidPage::onValveSettings() {
    const std::optional<int> valveZero = integerFromText(m_valveZero->text());
    if (!valveZero) return;
    const std::optional<int> upper = integerFromText(m_upper->text());
    if (!upper) return;
    const std::optional<int> low = integerFromText(m_low->text());
    if (!low) return;
    if (TMotor* m = motor()) m->SetValveSettings(*valveZero, *upper, *low);
    const QString pid = QStringLiteral("pid");
    const QString file = channelConfigFile(m_ctx.applicationFolder, m_card);
    QString error;
    bool written = true;
    auditedSave(m_ctx.applicationFolder, file, [&] {
        written =
            ProfileFile(file).writeSettings({{pid, QStringLiteral("fapian"), QString::number(*valveZero)},
                                             {pid, QStringLiteral("upper"), QString::number(*upper)},
                                             {pid, QStringLiteral("low"), QString::number(*low)}},
                                            &error);
    });
    if (!written) prompts().message(error, kErrorCaption, PromptIcon::Critical);
}

void ControlPidPage::onCharacteristicCurve() {
    if (QCustomPlot* chart = liveChart()) {
        if (QCPAbstractPlottable* series = chart->plottable(kCharacteristicSeries))
            series->setVisible(m_characteristicCurve->isChecked());
        chart->replot();
    }
}

}  // namespace springtest
