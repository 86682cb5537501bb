#include "windows/console/ControlHydraulicsPage.h"

#include "measurement/CardSlot.h"
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

constexpr int kFillingInterval_ms = 100;

const QString kPumpOff = QStringLiteral("油泵开");
const QString kPumpOn = QStringLiteral("油泵关");
const QString kReliefValveOff = QStringLiteral("溢流阀开");
const QString kReliefValveOn = QStringLiteral("溢流阀关");
const QString kFillingOff = QStringLiteral("冲油开");
const QString kFillingOn = QStringLiteral("冲油关");

}  // namespace

ControlHydraulicsPage::ControlHydraulicsPage(CardSlot& slot, QWidget* parent)
    : QWidget(parent), m_slot(slot), m_controls(slot.motor.get()) {
    setObjectName(QStringLiteral("bsSkinTabSheet4"));
    auto* column = new QVBoxLayout(this);

    auto* source = new QGroupBox(QStringLiteral("油源控制"), this);
    auto* sourceGrid = new QGridLayout(source);
    m_pump = makeSpeedButton(source, QStringLiteral("START_SpeedButton"), kPumpOff);
    m_reliefValve = makeSpeedButton(source, QStringLiteral("YLF_SpeedButton"), kReliefValveOff);
    m_filling = makeSpeedButton(source, QStringLiteral("bsSkinSpeedButton15"), kFillingOff);
    buildTrio(m_cylinder, source, "YG_UP_SpeedButton", "油缸上", "YG_STOP_SpeedButton", "油缸停止",
              "YG_DOWN_SpeedButton", "油缸下", HydraulicDrive::MainCylinder);
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
              "HL_DOWN_SpeedButton", "横梁下", HydraulicDrive::Crossbeam);
    buildTrio(m_lowerCylinder, panel, "XC_UP_SpeedButton", "下油缸出", "XC_STOP_SpeedButton", "停止",
              "XC_DOWN_SpeedButton", "下油缸进", HydraulicDrive::LowerCylinder);
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

    connect(m_pump, &QToolButton::clicked, this, &ControlHydraulicsPage::onPump);
    connect(m_reliefValve, &QToolButton::clicked, this, &ControlHydraulicsPage::onReliefValve);
    connect(m_filling, &QToolButton::clicked, this, &ControlHydraulicsPage::onFilling);
}

void ControlHydraulicsPage::buildTrio(Trio& trio, QWidget* parent, const char* up, const char* upCaption,
                                      const char* stop, const char* stopCaption, const char* down,
                                      const char* downCaption, HydraulicDrive drive) {
    auto* group = new QButtonGroup(this);
    trio.up = makeGroupButton(parent, group, QString::fromLatin1(up), QString::fromUtf8(upCaption));
    trio.stop = makeGroupButton(parent, group, QString::fromLatin1(stop), QString::fromUtf8(stopCaption));
    trio.down = makeGroupButton(parent, group, QString::fromLatin1(down), QString::fromUtf8(downCaption));
    trio.drive = drive;
    showTrio(trio);
    connect(trio.up, &QToolButton::clicked, this, [this, &trio] { move(trio, CylinderMotion::Up); });
    connect(trio.stop, &QToolButton::clicked, this, [this, &trio] { move(trio, CylinderMotion::Stop); });
    connect(trio.down, &QToolButton::clicked, this, [this, &trio] { move(trio, CylinderMotion::Down); });
}

void ControlHydraulicsPage::move(const Trio& trio, CylinderMotion motion) {
    m_controls.move(trio.drive, motion);
    showTrio(trio);
}

void ControlHydraulicsPage::showTrio(const Trio& trio) {
    const CylinderMotion motion = m_controls.motion(trio.drive);
    pressButton(motion == CylinderMotion::Up     ? trio.up
                : motion == CylinderMotion::Down ? trio.down
                                                 : trio.stop);
    // While it moves only the stop button is offered; once stopped, both directions are.
    trio.up->setEnabled(motion == CylinderMotion::Stop);
    trio.down->setEnabled(motion == CylinderMotion::Stop);
    trio.stop->setEnabled(motion != CylinderMotion::Stop);
}

void ControlHydraulicsPage::showFillingCylinders() {
    showTrio(m_cylinder);
    showTrio(m_lowerCylinder);
}

void ControlHydraulicsPage::onPump() {
    m_controls.setPump(!m_controls.pumpOn());
    m_pump->setText(m_controls.pumpOn() ? kPumpOn : kPumpOff);
}

void ControlHydraulicsPage::onReliefValve() {
    m_controls.setReliefValve(!m_controls.reliefValveOn());
    m_reliefValve->setText(m_controls.reliefValveOn() ? kReliefValveOn : kReliefValveOff);
}

void ControlHydraulicsPage::onFilling() {
    if (m_controls.filling()) {
        m_controls.stopFilling();
        m_fillingTimer->stop();
    } else {
        m_controls.startFilling();
        m_fillingTimer->start();
    }
    m_filling->setText(m_controls.filling() ? kFillingOn : kFillingOff);
    showFillingCylinders();
}

void ControlHydraulicsPage::fillingTick() {
    if (m_controls.fillingTick(m_slot.record.displacement.load(std::memory_order_relaxed)))
        showFillingCylinders();
}

}  // namespace springtest
