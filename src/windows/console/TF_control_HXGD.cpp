#include "windows/console/TF_control_HXGD.h"

#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "sequencer/PointReadout.h"
#include "sequencer/StartRefusal.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/TestStateText.h"
#include "sequencer/procedures/LateralTest.h"
#include "session/OverloadRecording.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/ConsoleContext.h"
#include "windows/console/ControlResultGrid.h"
#include "windows/console/ControlSpeedRange.h"
#include "windows/console/PanelWidgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace springtest {

namespace {

enum class Page { Manual = 0, Program = 1, Results = 2 };
constexpr int tabOf(Page page) {
    return static_cast<int>(page);
}
constexpr int indexOf(TF_control_HXGD::Drive drive) {
    return static_cast<int>(drive);
}

constexpr int kStartSpeedButton = 7;      // "10" mm/min on the axial and lateral pages
constexpr int kTurntableStartButton = 5;  // "0.2" °/min on the turntable page
constexpr int kSpeedButtonsPerRow = 5;
constexpr int kTurntableButtons = 10;  // none above "5"

// The turntable page writes each speed a tenth of what its button selects.
constexpr std::array<const char*, kTurntableButtons> kTurntableCaptions{
    {"0.005", "0.01", "0.02", "0.05", "0.1", "0.2", "0.5", "1", "2", "5"}};

struct DriveTexts {
    QString page;
    QString upHint;
    QString downHint;
    QString upStatus;
    QString downStatus;
};
const std::array<DriveTexts, TF_control_HXGD::kDrives>& driveTexts() {
    static const std::array<DriveTexts, TF_control_HXGD::kDrives> texts{{
        {QStringLiteral("轴向控制"), QStringLiteral("上升"), QStringLiteral("下降"),
         QStringLiteral("电机状态：上升"), QStringLiteral("电机状态：下降")},
        {QStringLiteral("横向控制"), QStringLiteral("进"), QStringLiteral("出"),
         QStringLiteral("电机状态：推进"), QStringLiteral("电机状态：推出")},
        {QStringLiteral("旋转控制"), QStringLiteral("顺时针"), QStringLiteral("逆时针"),
         QStringLiteral("电机状态：正转"), QStringLiteral("电机状态：反转")},
    }};
    return texts;
}

const QString kMotorStopped = QStringLiteral("电机状态：停止");

// Beside the look every control panel shares.
const char* const kOwnStyle = R"(
QLabel[role="speed"] { background: #0b1a0b; color: #32ff5a; font-family: "DejaVu Sans Mono"; font-size: 16pt;
                       font-weight: bold; padding: 0 6px; border: 2px inset #5a6b7c; }
QLabel[role="result"] { background: #0b1a0b; color: #32ff5a; font-family: "DejaVu Sans Mono"; font-size: 14pt;
                        font-weight: bold; padding: 0 6px; border: 2px inset #5a6b7c; min-width: 110px; }
)";

QString shortest(double value) {
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

}  // namespace

TF_control_HXGD::TF_control_HXGD(ConsoleContext& ctx, QWidget* parent) : ControlPanel(parent), m_ctx(ctx) {
    m_overloadLog = new OverloadRecorder(
        ctx.applicationFolder,
        [](const QString& error) { prompts().message(error, kPromptCaption, PromptIcon::Stop); }, this);
    buildWindow();
    FormShow();
}

TF_control_HXGD::~TF_control_HXGD() = default;

CardSlot* TF_control_HXGD::card(int index) const {
    if (index < 0 || index >= m_ctx.cards.count) return nullptr;
    return &m_ctx.cards.cards[static_cast<size_t>(index)];
}

TF_control_HXGD::Drive TF_control_HXGD::activeDrive() const {
    return static_cast<Drive>(std::clamp(m_drivePages->currentIndex(), 0, kDrives - 1));
}

ResultGrid* TF_control_HXGD::resultGrid() {
    return m_grid;
}

void TF_control_HXGD::buildWindow() {
    setObjectName(QStringLiteral("F_control_HXGD"));
    setWindowTitle(QStringLiteral("控制面版"));
    setStyleSheet(controlPanelStyle(QStringLiteral("springtest--TF_control_HXGD")) +
                  QString::fromUtf8(kOwnStyle));
    setAttribute(Qt::WA_StyledBackground);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeLabel(this, QStringLiteral("PanelCaption"), QStringLiteral("控制面版")));

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("bsSkinPageControl1"));
    m_pages->addTab(buildManualPage(), QStringLiteral("手动控制 "));
    m_pages->addTab(buildProgramPage(), QStringLiteral("程序控制 "));
    m_pages->addTab(buildResultPage(), QStringLiteral("试验结果显示"));
    column->addWidget(m_pages, 1);

    auto* statusBar = new QFrame(this);
    auto* status = new QVBoxLayout(statusBar);
    status->setContentsMargins(2, 2, 2, 2);
    status->setSpacing(2);
    m_motorStatus = makeLabel(statusBar, QStringLiteral("bsSkinStatusPanel1"), kMotorStopped);
    m_testStatus = makeLabel(statusBar, QStringLiteral("bsSkinStatusPanel2"), QString());
    for (QLabel* l : {m_motorStatus, m_testStatus}) {
        l->setProperty("role", QStringLiteral("status"));
        status->addWidget(l);
    }
    column->addWidget(statusBar);
    // Wider than the standard panel for the offset columns, lower so the console fits a 768-line screen.
    setFixedSize(kWidth_px, 600);
}

QWidget* TF_control_HXGD::buildManualPage() {
    auto* page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("bsSkinTabSheet1"));
    auto* column = new QVBoxLayout(page);

    auto* motion = new QHBoxLayout;
    auto* motionGroup = new QButtonGroup(page);
    const DriveTexts& axial = driveTexts()[0];
    m_upButton = bigButton(
        makeGroupButton(page, motionGroup, QStringLiteral("UP_Button"), axial.upHint, axial.upHint));
    m_stopButton = bigButton(makeGroupButton(page, motionGroup, QStringLiteral("Stop_Button"),
                                             QStringLiteral("停止"), QStringLiteral("停止 ")));
    m_downButton = bigButton(
        makeGroupButton(page, motionGroup, QStringLiteral("Down_Button"), axial.downHint, axial.downHint));
    pressButton(m_stopButton);
    for (QToolButton* b : {m_upButton, m_stopButton, m_downButton}) motion->addWidget(b);
    column->addLayout(motion);

    m_drivePages = new QTabWidget(page);
    m_drivePages->setObjectName(QStringLiteral("bsSkinPageControl2"));
    for (Drive drive : {Drive::Axial, Drive::Lateral, Drive::Turntable})
        m_drivePages->addTab(buildDrivePage(drive), driveTexts()[static_cast<size_t>(drive)].page);
    column->addWidget(m_drivePages, 1);

    connect(m_upButton, &QToolButton::clicked, this, &TF_control_HXGD::onUp);
    connect(m_downButton, &QToolButton::clicked, this, &TF_control_HXGD::onDown);
    connect(m_stopButton, &QToolButton::clicked, this, &TF_control_HXGD::onStop);
    connect(m_drivePages, &QTabWidget::currentChanged, this, &TF_control_HXGD::onDrivePage);
    return page;
}

QWidget* TF_control_HXGD::buildDrivePage(Drive drive) {
    const int tag = indexOf(drive);
    const bool turntable = drive == Drive::Turntable;
    DrivePage& controls = m_drives[static_cast<size_t>(tag)];
    auto* page = new QWidget(m_drivePages);
    page->setObjectName(QStringLiteral("DrivePage%1").arg(tag));
    auto* column = new QVBoxLayout(page);

    auto* speedRow = new QHBoxLayout;
    speedRow->addWidget(new QLabel(QStringLiteral("当前速度："), page));
    controls.speedShow =
        makeLabel(page, QStringLiteral("Label_speedshow%1").arg(tag), QStringLiteral("0.00"));
    controls.speedShow->setProperty("role", QStringLiteral("speed"));
    controls.speedShow->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    speedRow->addWidget(controls.speedShow, 1);
    speedRow->addWidget(new QLabel(turntable ? QStringLiteral("(°/min)") : QStringLiteral("(mm/min)"), page));
    column->addLayout(speedRow);

    controls.speedBar = new QScrollBar(Qt::Horizontal, page);
    controls.speedBar->setObjectName(QStringLiteral("Speed_ScrollBar%1").arg(tag));
    controls.speedBar->setMinimumHeight(20);
    column->addWidget(controls.speedBar);
    auto* ends = new QHBoxLayout;
    const QString suffix = tag == 0 ? QString() : QString::number(tag);
    controls.speedMin = makeLabel(page, QStringLiteral("min") + suffix, QString());
    controls.speedMax = makeLabel(page, QStringLiteral("max") + suffix, QString());
    ends->addWidget(controls.speedMin);
    ends->addStretch();
    ends->addWidget(controls.speedMax);
    column->addLayout(ends);

    auto* choice = new QGroupBox(
        turntable ? QStringLiteral("速度选择(°/min)") : QStringLiteral("速度选择(mm/min)"), page);
    auto* grid = new QGridLayout(choice);
    grid->setSpacing(4);
    auto* speedGroup = new QButtonGroup(page);
    for (int i = 0; i < static_cast<int>(kSpeedButtonRanges.size()); ++i) {
        const QString caption = turntable && i < kTurntableButtons
                                    ? QString::fromLatin1(kTurntableCaptions[static_cast<size_t>(i)])
                                    : QString::fromLatin1(kSpeedButtonRanges[static_cast<size_t>(i)].caption);
        QToolButton* button = makeGroupButton(
            choice, speedGroup, QStringLiteral("Speed%1_Button%2").arg(tag).arg(i + 1), caption);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumHeight(30);
        controls.speedButtons[static_cast<size_t>(i)] = button;
        grid->addWidget(button, i / kSpeedButtonsPerRow, i % kSpeedButtonsPerRow);
        connect(button, &QToolButton::clicked, this, [this, drive, i] { onSpeedButton(drive, i); });
        // The lateral drive never runs faster than 200 mm/min; the turntable neither slower than 0.02 nor
        // faster than 5 °/min.
        const bool offered = drive == Drive::Axial || (drive == Drive::Lateral && i < 12) ||
                             (turntable && i >= 2 && i < kTurntableButtons);
        button->setVisible(offered);
    }
    column->addWidget(choice);
    column->addStretch();
    connect(controls.speedBar, &QScrollBar::valueChanged, this, [this, drive] { onSpeedBar(drive); });
    return page;
}

QWidget* TF_control_HXGD::buildProgramPage() {
    auto* page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("bsSkinTabSheet2"));
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(6, 6, 6, 6);

    const TestButtons test = addTestButtons(page, column, QStringLiteral("bsSkinSpeedButton25"),
                                            QStringLiteral("bsSkinSpeedButton29"));
    m_testStart = test.start;
    m_testStop = test.stop;

    auto* results = new QGroupBox(QStringLiteral("测试数据及结果"), page);
    auto* resultColumn = new QVBoxLayout(results);
    resultColumn->setContentsMargins(4, 4, 4, 4);
    m_grid = new ControlResultGrid(m_ctx.sequencer, results, ControlResultGrid::kLateralShownColumns);
    resultColumn->addWidget(m_grid, 1);
    column->addWidget(results, 1);

    m_kindGroup = new QGroupBox(QStringLiteral("试验类型"), page);
    m_kindGroup->setObjectName(QStringLiteral("bsSkinRadioGroup1"));
    auto* items = new QHBoxLayout(m_kindGroup);
    m_kindItems[kLateralItem] = new QRadioButton(QStringLiteral("横向"), m_kindGroup);
    m_kindItems[kAxialItem] = new QRadioButton(QStringLiteral("轴向"), m_kindGroup);
    m_kindItems[kAxialItem]->setChecked(true);
    for (QRadioButton* item : m_kindItems) {
        items->addWidget(item);
        connect(item, &QRadioButton::clicked, this, &TF_control_HXGD::onKindItem);
    }
    column->addWidget(m_kindGroup);

    connect(m_testStart, &QToolButton::clicked, this, &TF_control_HXGD::onTestStart);
    connect(m_testStop, &QToolButton::clicked, this, &TF_control_HXGD::onTestStop);
    return page;
}

QWidget* TF_control_HXGD::buildResultPage() {
    auto* page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("bsSkinTabSheet3"));
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(8, 8, 8, 8);

    auto* finals = new QGroupBox(QStringLiteral("试验结果"), page);
    auto* grid = new QGridLayout(finals);
    struct Row {
        const char* name;
        QString title;
        QString unit;
        QLabel** label;
    };
    const Row rows[] = {
        {"X_Label", QStringLiteral("X轴位移："), QStringLiteral("(mm)"), &m_x},
        {"Y_Label", QStringLiteral("Y轴位移："), QStringLiteral("(mm)"), &m_y},
        {"PIANYILIANG_Label", QStringLiteral("偏移量："), QStringLiteral("(mm)"), &m_offset},
        {"PIANYIJIAODU_Label", QStringLiteral("偏移角度："), QStringLiteral("(°)"), &m_angle}};
    for (int r = 0; r < 4; ++r) {
        *rows[r].label = makeLabel(finals, QString::fromLatin1(rows[r].name), QString());
        (*rows[r].label)->setProperty("role", QStringLiteral("result"));
        (*rows[r].label)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(new QLabel(rows[r].title, finals), r, 0);
        grid->addWidget(*rows[r].label, r, 1);
        grid->addWidget(new QLabel(rows[r].unit, finals), r, 2);
    }
    grid->setColumnStretch(1, 1);
    column->addWidget(finals);

    auto* turntable = new QGroupBox(QStringLiteral(" 转盘控制"), page);
    auto* turntableColumn = new QVBoxLayout(turntable);
    m_positionTurntable = bigButton(makeSpeedButton(turntable, QStringLiteral("bsSkinSpeedButton35"),
                                                    QStringLiteral("手动旋转"), QStringLiteral("手动旋转")));
    m_autoRotate = new QCheckBox(QStringLiteral("轴向试验完成后自动旋转"), turntable);
    m_autoRotate->setObjectName(QStringLiteral("bsSkinCheckRadioBox1"));
    turntableColumn->addWidget(m_positionTurntable);
    turntableColumn->addWidget(m_autoRotate);
    column->addWidget(turntable);
    column->addStretch();

    connect(m_positionTurntable, &QToolButton::clicked, this, &TF_control_HXGD::onTurntablePositioning);
    connect(m_autoRotate, &QCheckBox::toggled, this, &TF_control_HXGD::onAutoRotate);
    return page;
}

void TF_control_HXGD::FormShow() {
    m_drivePages->setCurrentIndex(indexOf(Drive::Axial));
    for (Drive drive : {Drive::Axial, Drive::Lateral, Drive::Turntable}) {
        const int button = drive == Drive::Turntable ? kTurntableStartButton : kStartSpeedButton;
        pressButton(m_drives[static_cast<size_t>(indexOf(drive))].speedButtons[static_cast<size_t>(button)]);
        onSpeedButton(drive, button);
    }
    if (CardSlot* axial = card(indexOf(Drive::Axial)); axial && axial->motor) axial->motor->CommandStop();
    for (Drive drive : {Drive::Axial, Drive::Lateral}) {
        CardSlot* slot = card(indexOf(drive));
        if (slot && slot->motor && slot->motor->manualControl()) slot->motor->StartPendantMonitor();
    }
    pressButton(m_stopButton);
    m_pages->setCurrentIndex(tabOf(Page::Manual));
    setTestStatus(kTestStoppedState);
}

// ---------------------------------------------------------------------------------------------------------
// Manual motion

void TF_control_HXGD::onUp() {
    move(true);
}

void TF_control_HXGD::onDown() {
    move(false);
}

void TF_control_HXGD::move(bool up) {
    const Drive drive = activeDrive();
    if (drive == Drive::Turntable) {
        const CardSlot* axial = card(indexOf(Drive::Axial));
        if (axial && axial->record.load.load(std::memory_order_relaxed) > kMostAxialLoadForTurning) {
            prompts().message(QStringLiteral("轴向负荷在受力状态，转盘不能进行旋转!!"));
            pressButton(m_stopButton);
            return;
        }
    }
    CardSlot* slot = card(indexOf(drive));
    TMotor* motor = slot ? slot->motor.get() : nullptr;
    if (motor && (up ? motor->CommandUp() : motor->CommandDown())) {
        const DriveTexts& texts = driveTexts()[static_cast<size_t>(indexOf(drive))];
        setMotorStatus(up ? texts.upStatus : texts.downStatus);
        return;
    }
    const MotionState state = motor ? motor->state() : MotionState::Stopped;
    if (up && state == MotionState::AtUpperLimit)
        prompts().message(QStringLiteral("上限位停止!!"));
    else if (!up && state == MotionState::AtLowerLimit)
        prompts().message(QStringLiteral("下限位停止!!"));
    else if (state == MotionState::BlockedByOverload)
        prompts().message(QStringLiteral("当前负荷过载！！"));
    else
        // Refused for a reason the motor does not show in its state (a tripped overload in that direction).
        prompts().message(up ? QStringLiteral("当前负荷过载或已达到上限位！！")
                             : QStringLiteral("当前负荷过载或已达到下限位！！"));
    pressButton(m_stopButton);
}

void TF_control_HXGD::onStop() {
    CardSlot* slot = card(indexOf(activeDrive()));
    if (slot && slot->motor) slot->motor->CommandStop();
    setMotorStatus(kMotorStopped);
}

void TF_control_HXGD::onDrivePage(int page) {
    const DriveTexts& texts = driveTexts()[static_cast<size_t>(std::clamp(page, 0, kDrives - 1))];
    m_upButton->setToolTip(texts.upHint);
    m_upButton->setText(texts.upHint);
    m_downButton->setToolTip(texts.downHint);
    m_downButton->setText(texts.downHint);
}

void TF_control_HXGD::onSpeedButton(Drive drive, int index) {
    DrivePage& controls = m_drives[static_cast<size_t>(indexOf(drive))];
    const SpeedButtonRange& range = kSpeedButtonRanges[static_cast<size_t>(index)];
    const int before = controls.speedBar->value();
    {
        // The bar is applied once, below, whether or not its position changes.
        const QSignalBlocker quiet(controls.speedBar);
        controls.speedBar->setRange(range.low, range.high);
        const int step = speedBarStep(range.high);
        controls.speedBar->setSingleStep(step);
        controls.speedBar->setPageStep(step);
        controls.speedBar->setValue(range.position);
    }
    controls.speedMin->setText(speedRangeText(range.low));
    controls.speedMax->setText(speedRangeText(range.high));
    // The top speed sits on the range of the one below it: pressed again it changes nothing.
    const bool topSpeed = index == static_cast<int>(kSpeedButtonRanges.size()) - 1;
    if (!topSpeed || controls.speedBar->value() != before) onSpeedBar(drive);
}

void TF_control_HXGD::onSpeedBar(Drive drive) {
    const int tag = indexOf(drive);
    DrivePage& controls = m_drives[static_cast<size_t>(tag)];
    const double speed = speedFromBar(controls.speedBar->value());
    controls.speedShow->setText(
        drive == Drive::Turntable ? shortest(std::round(speed / 10.0 * 1000.0) / 1000.0) : shortest(speed));
    CardSlot* slot = card(tag);
    if (slot && slot->motor) slot->motor->SetSpeed(static_cast<float>(speed));
}

// ---------------------------------------------------------------------------------------------------------
// Tests

void TF_control_HXGD::onTestStart() {
    TTestStyle& sequencer = m_ctx.sequencer;
    const bool axial = sequencer.scheme().scheme_type;
    const int testCard = axial ? indexOf(Drive::Axial) : indexOf(Drive::Lateral);
    QString refusal;
    if (sequencer.running() || sequencer.seriesInProgress())
        refusal = testStartRefusal(sequencer, testCard);
    else if (!sequencer.hasProcedure() || !sequencer.hasBatch())
        refusal = QStringLiteral("请选择试验方案!!");
    else if (sequencer.speedMode() == SpeedMode::NotSet)
        refusal = QStringLiteral("试验速度尚未设置！！！！");
    else if (m_kindItems[kLateralItem]->isChecked() && !(m_lateralPanelOpen && m_lateralPanelOpen()))
        refusal = QStringLiteral("横向显示窗口尚未打开！！！！");
    else
        refusal = testStartRefusal(sequencer, testCard);
    if (!refusal.isEmpty()) {
        prompts().message(refusal);
        // A test under way goes on; otherwise the panel shows that none runs.
        if (!sequencer.running() && !sequencer.seriesInProgress()) pressButton(m_testStop);
        return;
    }
    sequencer.SetCurveChart(m_ctx.liveCurve);
    sequencer.SetLateralChart(m_ctx.livePath);
    sequencer.StartTest(testCard);
}

void TF_control_HXGD::onTestStop() {
    m_ctx.sequencer.StopTest();
}

void TF_control_HXGD::onKindItem() {
    // The kind follows the opened scheme; the operator cannot pick the other one.
    const TTestStyle& sequencer = m_ctx.sequencer;
    if (!sequencer.hasProcedure()) return;
    m_kindItems[sequencer.scheme().scheme_type ? kAxialItem : kLateralItem]->setChecked(true);
}

void TF_control_HXGD::onAutoRotate(bool on) {
    m_positionTurntable->setEnabled(!on);
    m_ctx.sequencer.SetAutoRotate(on);
}

void TF_control_HXGD::onTurntablePositioning() {
    TTestStyle& sequencer = m_ctx.sequencer;
    if (sequencer.hasProcedure() && !sequencer.scheme().scheme_type) {
        prompts().message(QStringLiteral("横向测试不支持角度定位!!"));
        return;
    }
    if (sequencer.state() == TestState::TurntablePositioned) {
        prompts().message(QStringLiteral("角度定位已经完成!!"));
        return;
    }
    sequencer.StartTurntablePositioning();
}

// ---------------------------------------------------------------------------------------------------------
// Messages

void TF_control_HXGD::onOverload() {
    // The message does not say which card tripped: every card whose load tripped is logged.
    for (int i = 0; i < m_ctx.cards.count; ++i)
        m_overloadLog->onTrip(m_ctx.cards.cards[static_cast<size_t>(i)]);
    TTestStyle& sequencer = m_ctx.sequencer;
    if (sequencer.running()) {
        sequencer.StopTest();
        pressButton(m_testStop);
    }
    pressButton(m_stopButton);
    setMotorStatus(QStringLiteral("电机状态：负荷过载"));
    tellLater(QStringLiteral("负荷过载!!"));
}

void TF_control_HXGD::onMotorState() {
    const CardSlot* axialCard = card(indexOf(Drive::Axial));
    const TMotor* axial = axialCard ? axialCard->motor.get() : nullptr;
    if (axial && axial->pendantLatch() != PendantLatch::KeyTaken) {
        // While the operator box holds the axial drive, only the lateral drive's limits are told.
        const CardSlot* lateralCard = card(indexOf(Drive::Lateral));
        const TMotor* lateral = lateralCard ? lateralCard->motor.get() : nullptr;
        if (!lateral || activeDrive() != Drive::Lateral) return;
        const MotionState state = lateral->state();
        if (state != MotionState::AtUpperLimit && state != MotionState::AtLowerLimit) return;
        tellLater(state == MotionState::AtUpperLimit ? QStringLiteral("横向推进限位停止!")
                                                     : QStringLiteral("横向推出限位停止!"));
        pressButton(m_stopButton);
        setMotorStatus(kMotorStopped);
        return;
    }
    // Every drive reports here without saying which: the buttons follow the drive they command.
    const Drive drive = activeDrive();
    const CardSlot* slot = card(indexOf(drive));
    const TMotor* motor = slot ? slot->motor.get() : nullptr;
    if (!motor) return;
    const DriveTexts& texts = driveTexts()[static_cast<size_t>(indexOf(drive))];
    switch (motor->state()) {
        case MotionState::Up:
            pressButton(m_upButton);
            setMotorStatus(texts.upStatus);
            break;
        case MotionState::Down:
            pressButton(m_downButton);
            setMotorStatus(texts.downStatus);
            break;
        case MotionState::Stopped:
            pressButton(m_stopButton);
            setMotorStatus(kMotorStopped);
            break;
        case MotionState::BlockedByOverload:
            tellLater(QStringLiteral("负荷过载!!"));
            pressButton(m_stopButton);
            setMotorStatus(kMotorStopped);
            break;
        default:
            break;
    }
}

void TF_control_HXGD::onTestState() {
    const TTestStyle& sequencer = m_ctx.sequencer;
    const TestState state = sequencer.state();
    const QString text =
        testStateText(state, sequencer.IsAutoRepeat(), sequencer.repeatCount(), sequencer.repeatsDone());
    switch (state) {
        case TestState::Started: {
            // The offset columns go with the measured ones: a point not reached shows nothing of the last
            // test.
            const int points = sequencer.scheme().scheme_sum;
            for (int row = 1; row <= points; ++row)
                for (int column = 4; column < ControlResultGrid::kLateralShownColumns; ++column)
                    m_grid->setCell(row, column, QString());
            setTestStatus(text);
            if (!m_testStart->isChecked()) pressButton(m_testStart);
            break;
        }
        case TestState::PointCaptured:
            showCapturedPoint();
            break;
        case TestState::Storing:
            showStoring();
            break;
        case TestState::Stored:
            showStoredOffset();
            setTestStatus(text);
            break;
        case TestState::StoreFailed:
            setTestStatus(text);
            break;
        case TestState::Stopped:
            pressButton(m_testStop);
            setTestStatus(text);
            break;
        case TestState::TurntableStarted:
            setTestStatus(QStringLiteral("试验状态：定位开始"));
            break;
        case TestState::TurntableRefused:
            setTestStatus(QStringLiteral("试验状态：定位停止"));
            tellLater(QStringLiteral("轴向负荷在受力状态，转盘不能进行旋转！！"));
            break;
        case TestState::TurntablePositioned:
            setTestStatus(QStringLiteral("试验状态：定位停止"));
            break;
    }
}

void TF_control_HXGD::showCapturedPoint() {
    const TTestStyle& sequencer = m_ctx.sequencer;
    const int k = sequencer.pointIndex();
    const CardSlot* testCard = card(sequencer.cardIndex());
    if (!testCard) return;
    const ResultArray results = sequencer.results();
    const PointReadout point =
        readPoint(results, sequencer.scheme(), sequencer.stroke(), k, readoutFormat(*testCard));
    m_grid->setCell(k, 4, point.value);
    m_grid->setCell(k, 5, point.stiffness);
    if (!sequencer.scheme().scheme_type) return;
    const auto decimalsOf = [this](int index) {
        const CardSlot* sensor = card(index);
        return sensor && sensor->displacement ? sensor->displacement->decimals() : 3;
    };
    const int yDecimals = decimalsOf(kLateralDriveCard);
    m_grid->setCell(k, 6, resultText(decimalsOf(kXSensorCard), results[LateralResultIndex::x(k)]));
    m_grid->setCell(k, 7, resultText(yDecimals, results[LateralResultIndex::y(k)]));
    m_grid->setCell(k, 8, resultText(yDecimals, results[LateralResultIndex::offset(k)]));
}

void TF_control_HXGD::showStoring() {
    // The test being stored, which need not be the one running: the next may have started already.
    const int samples = m_ctx.sequencer.storingTest().curve.count;
    prompts().progressStart(QStringLiteral("保存数据"), QStringLiteral("保存数据中....."), samples - 1);
    for (int i = 0; i < samples; ++i) {
        prompts().progressStep(i);
        // The window keeps painting while the count runs; the operator's clicks wait until it is done.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    prompts().progressEnd();
    setTestStatus(testStateText(TestState::Storing, false, 0, 0));
}

void TF_control_HXGD::showStoredOffset() {
    const FinishedTest& test = m_ctx.sequencer.storingTest();
    // A lateral test has no offset: its labels keep the last axial test's.
    if (!test.scheme.scheme_type) return;
    int last = 0;
    for (int k = 1; k <= kMaxPoints; ++k)
        if (!std::isnan(test.results[LateralResultIndex::x(k)])) last = k;
    if (last == 0) {
        for (QLabel* label : {m_x, m_y, m_offset}) label->clear();
    } else {
        m_x->setText(resultText(test.xDecimals, test.results[LateralResultIndex::x(last)]));
        m_y->setText(resultText(test.yDecimals, test.results[LateralResultIndex::y(last)]));
        m_offset->setText(resultText(test.yDecimals, test.results[LateralResultIndex::offset(last)]));
    }
    m_angle->setText(resultText(test.yDecimals, test.results[LateralResultIndex::angle]));
}

void TF_control_HXGD::setMotorStatus(const QString& text) {
    m_motorStatus->setText(text);
}

void TF_control_HXGD::setTestStatus(const QString& text) {
    m_testStatus->setText(text);
}

void TF_control_HXGD::tellLater(const QString& message) {
    QMetaObject::invokeMethod(
        this, [message] { prompts().message(message); }, Qt::QueuedConnection);
}

}  // namespace springtest
