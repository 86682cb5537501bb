#include "windows/mainwindow/Tfmain.h"

#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "platform/WindowTarget.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/TTestStyle.h"
#include "windows/common/FindByName.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/ConsoleContext.h"
#include "windows/console/TF_chart.h"
#include "windows/console/TF_control.h"
#include "windows/console/TF_datashow.h"
#include "windows/mainwindow/Skins.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolButton>

namespace springtest {

namespace {

// Start-up's two questions, as message boxes.
class WindowStartupPrompts : public StartupPrompts {
public:
    void driverMissing(const QString& message) override { prompts().message(message); }
    bool continueWithUnopenedCard(const QString& message) override {
        return prompts().question(message, kPromptCaption, PromptIcon::Stop);
    }
};

const QColor kPowerOffColour(0, 255, 0);  // lime: the button switches the mains on
const QColor kPowerOnColour(255, 0, 0);

void setCaptionColour(QToolButton* button, const QColor& colour) {
    QPalette palette = button->palette();
    palette.setColor(QPalette::ButtonText, colour);
    palette.setColor(QPalette::WindowText, colour);
    button->setPalette(palette);
}

// Commands that act on the machine: they stay disabled while start-up has not brought the channels up.
const char* const kMachineCommands[] = {"N33", "N24", "N29", "PID1", "N10", "N12", "N17",
                                        "N13", "N28", "N6",  "N8",   "N26", "PID2"};

}  // namespace

Tfmain::Tfmain(QString applicationFolder, QWidget* parent, Splash splash)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint),
      m_applicationFolder(std::move(applicationFolder)),
      m_session(m_applicationFolder) {
    if (splash == Splash::Shown) showSplash();
    setObjectName(QStringLiteral("fmain"));
    setWindowTitle(QStringLiteral("微机控制弹簧测试系统"));
    buildStrip();
    connectCommands();
    enableMachineCommands(false);
    // The service items wait for a login even when start-up never gets as far as the machine.
    SetOperatorRights(false);
}

Tfmain::~Tfmain() {
    shutDown();
}

// ---------------------------------------------------------------------------------------------------------
// The strip

QMenu* Tfmain::addMenuButton(const QString& name, const QString& caption) {
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(caption);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto* menu = new QMenu(button);
    menu->setObjectName(name + QStringLiteral("Menu"));
    button->setMenu(menu);
    layout()->addWidget(button);
    if (name == QLatin1String("bsSkinMenuSpeedButton3")) m_parameterMenuButton = button;
    return menu;
}

QAction* Tfmain::addItem(QMenu* menu, const QString& name, const QString& caption, bool visible) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setVisible(visible);
    return item;
}

void Tfmain::buildStrip() {
    auto* strip = new QHBoxLayout(this);
    strip->setContentsMargins(4, 2, 4, 2);
    strip->setSpacing(2);
    setAttribute(Qt::WA_StyledBackground);  // a plain widget paints no sheet background without it
    setStyleSheet(stripStyleSheet(skins()[m_skin]));

    QMenu* system = addMenuButton(QStringLiteral("bsSkinMenuSpeedButton1"), QStringLiteral("系统参数"));
    addItem(system, QStringLiteral("N1"), kLoginTitle);
    addItem(system, QStringLiteral("N33"), QStringLiteral("横向窗口显示"), false);
    addItem(system, QStringLiteral("N3"), QStringLiteral("硬件设置"), false);
    addItem(system, QStringLiteral("N9"), QStringLiteral("硬件调零"), false);
    addItem(system, QStringLiteral("N22"), QStringLiteral("过载记录查询.."));
    addItem(system, QStringLiteral("AuditTrail"), QStringLiteral("审计记录"));
    addItem(system, QStringLiteral("N24"), QStringLiteral("硬件状态观察"));
    addItem(system, QStringLiteral("N29"), QStringLiteral("窗口自动调整"));
    addItem(system, QStringLiteral("PID1"), QStringLiteral("PID状态观察"), false);
    addItem(system, QStringLiteral("N16"), QStringLiteral("皮肤选择..."));
    addItem(system, QStringLiteral("N5"), QStringLiteral("退出"));

    QMenu* file = addMenuButton(QStringLiteral("bsSkinMenuSpeedButton2"), kFileMenu);
    addItem(file, QStringLiteral("N10"), kOpenFileCommand);
    addItem(file, QStringLiteral("N11"), kDeleteFileCommand);

    QMenu* test = addMenuButton(QStringLiteral("bsSkinMenuSpeedButton4"), kTestSettingsTitle);
    addItem(test, QStringLiteral("N12"), QStringLiteral("建立方案"));
    addItem(test, QStringLiteral("N17"), QStringLiteral("试验速度设置"));
    addItem(test, QStringLiteral("N13"), kAutoRepeatTitle);
    addItem(test, QStringLiteral("N35"), kReportNamesTitle, false);
    addItem(test, QStringLiteral("N28"), QStringLiteral("自动对盘 "));

    QMenu* parameters = addMenuButton(QStringLiteral("bsSkinMenuSpeedButton3"), QStringLiteral("参数设置"));
    addItem(parameters, QStringLiteral("N6"), QStringLiteral("负荷标定"));
    addItem(parameters, QStringLiteral("N8"), QStringLiteral("位移补偿"));
    addItem(parameters, QStringLiteral("N26"), QStringLiteral("位移绝对零点设置"));
    addItem(parameters, QStringLiteral("PID2"), QStringLiteral("PID调整"), false);

    const auto addButton = [&](const QString& name, const QString& caption) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setText(caption);
        strip->addWidget(button);
        return button;
    };
    addButton(QStringLiteral("bsSkinSpeedButton4"), kResultBrowserTitle);
    addButton(QStringLiteral("bsSkinSpeedButton1"), QStringLiteral("关于"));
    addButton(QStringLiteral("bsSkinSpeedButton2"), QStringLiteral("退出"));
    m_verificationReminder = new QLabel(this);
    m_verificationReminder->setObjectName(QStringLiteral("VerificationReminder"));
    m_verificationReminder->setVisible(false);
    strip->addWidget(m_verificationReminder);
    strip->addStretch(1);
    m_powerButton = addButton(QStringLiteral("OpenPowerSpeedButton"), QStringLiteral("电源开"));
    m_powerButton->setStyleSheet(QStringLiteral("QToolButton { font-weight: bold; }"));
    setCaptionColour(m_powerButton, kPowerOffColour);
    m_powerButton->setVisible(false);

    setFixedSize(sizeHint());
}

void Tfmain::connectCommands() {
    const auto on = [this](const char* name, void (Tfmain::*command)()) {
        if (auto* item = findByName<QAction>(this, QString::fromLatin1(name)))
            connect(item, &QAction::triggered, this, command);
        else if (auto* button = findByName<QToolButton>(this, QString::fromLatin1(name)))
            connect(button, &QToolButton::clicked, this, command);
    };
    if (auto* quit = findByName<QAction>(this, QStringLiteral("N5")))
        connect(quit, &QAction::triggered, this, [this] { close(); });  // without asking
    on("N1", &Tfmain::login);
    on("N29", &Tfmain::LayoutWindows);
    on("N10", &Tfmain::openBatch);
    on("N11", &Tfmain::deleteBatch);
    on("N12", &Tfmain::createScheme);
    on("bsSkinSpeedButton4", &Tfmain::processResults);
    on("N17", &Tfmain::setTestSpeed);
    on("N13", &Tfmain::setAutomaticSeries);
    on("bsSkinSpeedButton2", &Tfmain::askExit);
    on("OpenPowerSpeedButton", &Tfmain::togglePower);
    on("N16", &Tfmain::chooseSkin);
    on("bsSkinSpeedButton1", &Tfmain::showAbout);
    on("N33", &Tfmain::showLateralWindow);
    on("N3", &Tfmain::setHardware);
    on("N9", &Tfmain::zeroHardware);
    on("N22", &Tfmain::showOverloadLog);
    on("AuditTrail", &Tfmain::showAuditTrail);
    on("N35", &Tfmain::setReports);
    on("N28", &Tfmain::alignPlatens);
    on("N26", &Tfmain::setDisplacementZero);
    connectCardWindow("N6", CardWindow::LoadCalibration);
    connectCardWindow("N8", CardWindow::Compensation);
    connectCardWindow("N24", CardWindow::SignalMonitor);
    connectCardWindow("PID1", CardWindow::PidView);
    connectCardWindow("PID2", CardWindow::PidTuning);
}

void Tfmain::enableMachineCommands(bool enabled) {
    for (const char* name : kMachineCommands)
        if (auto* item = findByName<QAction>(this, QString::fromLatin1(name))) item->setEnabled(enabled);
    m_powerButton->setEnabled(enabled);
}

// ---------------------------------------------------------------------------------------------------------
// Start-up and shutdown

void Tfmain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_startupRun) startUp();
}

void Tfmain::startUp() {
    if (m_startupRun) return;
    m_startupRun = true;

    WindowStartupPrompts startupPrompts;
    switch (m_session.start(startupPrompts)) {
        case MachineSession::Outcome::DriverMissing:
            m_startup = Startup::DriverMissing;
            return;
        case MachineSession::Outcome::Aborted:
            m_startup = Startup::Aborted;
            // Not from inside the showing itself: the window system finishes showing first.
            QTimer::singleShot(0, this, &Tfmain::close);
            return;
        case MachineSession::Outcome::Running:
            break;
    }

    const int type = m_session.config().machineType;
    m_sequencer = std::make_unique<TTestStyle>(type, m_session.cards());
    installProceduresForMachineType(*m_sequencer);
    m_sequencer->SetFullRate(m_session.config().fullRateCurve);
    m_context = std::make_unique<ConsoleContext>(
        ConsoleContext{m_applicationFolder, type, m_session.cards(), *m_sequencer, nullptr});
    m_startup = Startup::Running;
    enableMachineCommands(true);

    LayoutWindows();
    SetOperatorRights(false);
    remindOfVerification();
    m_session.startAcquisition(&m_sequencer->sampleSlot());
    m_context->acquisition.watch(m_session.acquisition());
}

void Tfmain::shutDown() {
    if (m_shutDown) return;
    m_shutDown = true;
    // The set-up windows read and write the channels that go below.
    closeSetupWindows();

    // The thread first: once it has ended, nothing but this thread touches the channels and the windows.
    if (Tbankhk* thread = m_session.acquisition()) {
        WindowTarget::stopBlocking();  // a message it is sending must not wait for this thread
        thread->stop();
    }
    // A test cut short leaves the curve recording; it reads the channels, so it ends before they go.
    if (m_sequencer) m_sequencer->StopCurveTimerAndWait();
    // The loop's error was shown while it happened; it is not told twice.
    QString reportedError;
    if (m_context) {
        reportedError = m_context->acquisition.reportedError();
        m_context->acquisition.watch(nullptr);
    }
    QStringList problems = m_session.shutdown();  // channels (the displacement saves), then the driver
    if (!reportedError.isEmpty()) problems.removeAll(reportedError);
    m_sequencer.reset();

    delete m_controlPanel;
    delete m_curveWindow;
    delete m_dataPanel;
    delete m_lateralDataPanel.data();
    m_controlPanel = nullptr;
    m_curveWindow = nullptr;
    m_dataPanel = nullptr;
    m_context.reset();

    for (const QString& problem : problems) prompts().message(problem);
}

void Tfmain::closeEvent(QCloseEvent* event) {
    shutDown();
    event->accept();
}

// ---------------------------------------------------------------------------------------------------------
// Buttons

void Tfmain::askExit() {
    if (prompts().question(QStringLiteral("为了确保安全，请先关闭主机电源，是否退出软件"), kPromptCaption,
                           PromptIcon::Warning))
        close();
}

void Tfmain::togglePower() {
    TMotor* motor = m_session.cards().count > 0 ? m_session.cards().cards[0].motor.get() : nullptr;
    if (!motor) return;
    // The button names what it does next: the caption follows the contactor, not the other way round.
    motor->setMainsPower(!motor->mainsPowerOn());
    const bool on = motor->mainsPowerOn();
    setCaptionColour(m_powerButton, on ? kPowerOnColour : kPowerOffColour);
    m_powerButton->setText(on ? QStringLiteral("电源关") : QStringLiteral("电源开"));
}

}  // namespace springtest
