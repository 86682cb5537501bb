#include "windows/console/ControlHydraulicsPage.h"

#include "measurement/CardSlot.h"
#include "measurement/TMotor.h"
#include "windows/console/PanelWidgets.h"

#include <QButtonGroup>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace springtest {

namespace {

constexpr uint8_t kRelayOn = 8;
constexpr uint8_t kRelayOff = 0;
constexpr int kPumpRelay = 1;
constexpr int kReliefValveRelay = 4;
constexpr int kFillingInterval_ms = 100;
// Oil filling turns the cylinders round at these displacements (mm).
constexpr float kFillingLow_mm = 200.0f;
constexpr float kFillingHigh_mm = 400.0f;

}  // namespace

ControlHydraulicsPage::ControlHydraulicsPage(CardSlot& slot, QWidget* parent)
    : QWidget(parent), m_slot(slot) {
    setObjectName(QStringLiteral("bsSkinTabSheet4"));
    auto* column = new QVBoxLayout(this);

    auto* source = new QGroupBox(QStringLiteral("油源控制"), this);
    auto* sourceGrid = new QGridLayout(source);
    m_pump = makeSpeedButton(source, QStringLiteral("START_SpeedButton"), QStringLiteral("油泵开"));
    m_reliefValve = makeSpeedButton(source, QStringLiteral("YLF_SpeedButton"), QStringLiteral("溢流阀开"));
    m_filling = makeSpeedButton(source, QStringLiteral("bsSkinSpeedButton15"), QStringLiteral("冲油开"));
    buildTrio(m_cylinder, source, "YG_UP_SpeedButton", "油缸上", "YG_STOP_SpeedButton", "油缸停止",
              "YG_DOWN_SpeedButton", "油缸下", 2, 3);
    sourceGrid->addWidget(m_pump, 0, 0);
    sourceGrid->addWidget(m_filling, 0, 1);
    sourceGrid->addWidget(m_reliefValve, 0, 2);
    sourceGrid->addWidget(m_cylinder.up, 1, 0);
    sourceGrid->addWidget(m_cylinder.stop, 1, 1);
    sourceGrid->addWidget(m_cylinder.down, 1, 2);
    column->addWidget(source);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setObjectName(QStringLiteral("bsSkinPanel4"));
    auto* panelGrid = new QGridLayout(panel);
    buildTrio(m_crossbeam, panel, "HL_UP_SpeedButton", "横梁上", "HL_STOP_SpeedButton", "横梁停止",
              "HL_DOWN_SpeedButton", "横梁下", 5, 6);
    buildTrio(m_lowerCylinder, panel, "XC_UP_SpeedButton", "下油缸出", "XC_STOP_SpeedButton", "停止",
              "XC_DOWN_SpeedButton", "下油缸进", 7, 8);
    panelGrid->addWidget(m_crossbeam.up, 0, 0);
    panelGrid->addWidget(m_crossbeam.stop, 0, 1);
    panelGrid->addWidget(m_crossbeam.down, 0, 2);
    panelGrid->addWidget(m_lowerCylinder.down, 1, 0);
    panelGrid->addWidget(m_lowerCylinder.stop, 1, 1);
    panelGrid->addWidget(m_lowerCylinder.up, 1, 2);
    column->addWidget(panel);
    column->addStretch();

    for (QToolButton* b : findChildren<QToolButton*>()) {
        b->setMinimumHeight(30);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    m_fillingTimer = new QTimer(this);
    m_fillingTimer->setObjectName(QStringLiteral("Timer_CONGYOU"));
    m_fillingTimer->setInterval(kFillingInterval_ms);
    connect(m_fillingTimer, &QTimer::timeout, this, &ControlHydraulicsPage::fillingTick);

    connect(m_pump, &QToolButton::clicked, this,
            [this] { toggle(m_pump, QStringLiteral("油泵开"), QStringLiteral("油泵关"), kPumpRelay); });
    connect(m_reliefValve, &QToolButton::clicked, this, [this] {
        toggle(m_reliefValve, QStringLiteral("溢流阀开"), QStringLiteral("溢流阀关"), kReliefValveRelay);
    });
    connect(m_filling, &QToolButton::clicked, this, &ControlHydraulicsPage::onFilling);
}

void ControlHydraulicsPage::buildTrio(Trio& trio, QWidget* parent, const char* up, const char* upCaption,
                                      const char* stop, const char* stopCaption, const char* down,
                                      const char* downCaption, int upRelay, int downRelay) {
    auto* group = new QButtonGroup(this);
    trio.up = makeGroupButton(parent, group, QString::fromLatin1(up), QString::fromUtf8(upCaption));
    trio.stop = makeGroupButton(parent, group, QString::fromLatin1(stop), QString::fromUtf8(stopCaption));
    trio.down = makeGroupButton(parent, group, QString::fromLatin1(down), QString::fromUtf8(downCaption));
    trio.upRelay = upRelay;
    trio.downRelay = downRelay;
    pressButton(trio.stop);
    trio.stop->setEnabled(false);
    connect(trio.up, &QToolButton::clicked, this, [this, &trio] { run(trio, Motion::Up); });
    connect(trio.stop, &QToolButton::clicked, this, [this, &trio] { run(trio, Motion::Stop); });
    connect(trio.down, &QToolButton::clicked, this, [this, &trio] { run(trio, Motion::Down); });
}

void ControlHydraulicsPage::setRelay(int position, bool on) {
    if (TMotor* motor = m_slot.motor.get()) motor->SetRelay(position, on ? kRelayOn : kRelayOff);
}

void ControlHydraulicsPage::run(Trio& trio, Motion motion) {
    // While it moves only the stop button is offered; once stopped, both directions are.
    trio.up->setEnabled(motion == Motion::Stop);
    trio.down->setEnabled(motion == Motion::Stop);
    trio.stop->setEnabled(motion != Motion::Stop);
    setRelay(trio.upRelay, motion == Motion::Up);
    setRelay(trio.downRelay, motion == Motion::Down);
}

void ControlHydraulicsPage::runAndPress(Trio& trio, Motion motion) {
    run(trio, motion);
    pressButton(motion == Motion::Up ? trio.up : motion == Motion::Down ? trio.down : trio.stop);
}

void ControlHydraulicsPage::toggle(QToolButton* button, const QString& offCaption, const QString& onCaption,
                                   int relay) {
    const bool switchOn = button->text() == offCaption;
    button->setText(switchOn ? onCaption : offCaption);
    setRelay(relay, switchOn);
}

void ControlHydraulicsPage::onFilling() {
    if (m_filling->text() == QStringLiteral("冲油开")) {
        m_filling->setText(QStringLiteral("冲油关"));
        m_fillingTimer->start();
        runAndPress(m_cylinder, Motion::Up);
        runAndPress(m_lowerCylinder, Motion::Up);
    } else {
        m_filling->setText(QStringLiteral("冲油开"));
        m_fillingTimer->stop();
        runAndPress(m_cylinder, Motion::Stop);
        runAndPress(m_lowerCylinder, Motion::Stop);
    }
}

void ControlHydraulicsPage::fillingTick() {
    const float displacement = m_slot.record.displacement.load(std::memory_order_relaxed);
    if (m_cylinder.down->isChecked() && displacement <= kFillingLow_mm) {
        runAndPress(m_cylinder, Motion::Up);
        runAndPress(m_lowerCylinder, Motion::Up);
    } else if (m_cylinder.up->isChecked() && displacement >= kFillingHigh_mm) {
        runAndPress(m_cylinder, Motion::Down);
        runAndPress(m_lowerCylinder, Motion::Down);
    }
}

}  // namespace springtest
