#include "windows/console/TF_control.h"

#include "measurement/TMotor.h"
#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "sequencer/PointReadout.h"
#include "sequencer/StartRefusal.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/TestStateText.h"
#include "session/OverloadRecording.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/ConsoleContext.h"
#include "windows/console/ControlFatiguePage.h"
#include "windows/console/ControlHydraulicsPage.h"
#include "windows/console/ControlPidPage.h"
#include "windows/console/ControlResultGrid.h"
#include "windows/console/ControlSpeedRange.h"
#include "windows/console/PanelWidgets.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace springtest {

namespace {

// The panel's pages in their tab order; some are shown only on the machine types that have them.
enum class ControlPage { Manual, Program, Solid, Hydraulics, Pid, Fatigue };
constexpr int tabOf(ControlPage page) {
    return static_cast<int>(page);
}
constexpr int kStartSpeedButton = 7;  // "10" mm/min
constexpr int kSpeedButtonsPerRow = 5;
constexpr int kTensionItem = 0;
constexpr int kCompressionItem = 1;

// Beside the look every control panel shares.
const char* const kOwnStyle = R"(
QLabel#Label_speedshow { background: #0b1a0b; color: #32ff5a; font-family: "DejaVu Sans Mono"; font-size: 16pt;
                         font-weight: bold; padding: 0 6px; border: 2px inset #5a6b7c; }
)";

}  // namespace

TF_control::TF_control(ConsoleContext& ctx, int card, QWidget* parent)
    : ControlPanel(parent), m_ctx(ctx), m_card(card) {
    m_overloadLog = new OverloadRecorder(
        ctx.applicationFolder,
        [](const QString& error) { prompts().message(error, kPromptCaption, PromptIcon::Stop); }, this);
    buildWindow();
    FormShow();
}

TF_control::~TF_control() = default;

CardSlot& TF_control::slot() const {
    return m_ctx.cards.cards[static_cast<size_t>(m_card)];
}

ResultGrid* TF_control::resultGrid() {
    return m_grid;
}

void TF_control::buildWindow() {
    setObjectName(QStringLiteral("F_control"));
    setWindowTitle(QStringLiteral("控制面版"));
    setStyleSheet(controlPanelStyle(QStringLiteral("springtest--TF_control")) + QString::fromUtf8(kOwnStyle));
    setAttribute(Qt::WA_StyledBackground);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    QLabel* caption = makeLabel(this, QStringLiteral("PanelCaption"), QStringLiteral("控制面版"));
    column->addWidget(caption);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("bsSkinPageControl1"));
    m_pages->addTab(buildManualPage(), QStringLiteral("手动控制"));
    m_pages->addTab(buildProgramPage(), QStringLiteral("程序控制"));
    auto* solid = new QWidget(m_pages);
    solid->setObjectName(QStringLiteral("bsSkinTabSheet3"));
    m_pages->addTab(solid, QStringLiteral("压并试验"));
    m_hydraulics = new ControlHydraulicsPage(slot(), m_pages);
    m_pages->addTab(m_hydraulics, QStringLiteral("油源控制部分"));
    m_pid = new ControlPidPage(m_ctx, m_card, m_pages);
    m_pages->addTab(m_pid, QStringLiteral("PID控制"));
    m_fatigue = new ControlFatiguePage(
        m_ctx, m_card, [this](const QString& text) { setTestStatus(text); }, m_pages);
    m_pages->addTab(m_fatigue, QStringLiteral("疲劳控制"));
    for (ControlPage page :
         {ControlPage::Solid, ControlPage::Hydraulics, ControlPage::Pid, ControlPage::Fatigue})
        m_pages->setTabVisible(tabOf(page), false);
    column->addWidget(m_pages, 1);

    auto* statusBar = new QFrame(this);
    auto* status = new QVBoxLayout(statusBar);
    status->setContentsMargins(2, 2, 2, 2);
    status->setSpacing(2);
    m_motorStatus =
        makeLabel(statusBar, QStringLiteral("bsSkinStatusPanel1"), QStringLiteral("电机状态：停止"));
    m_testStatus = makeLabel(statusBar, QStringLiteral("bsSkinStatusPanel2"), QString());
    for (QLabel* l : {m_motorStatus, m_testStatus}) {
        l->setProperty("role", QStringLiteral("status"));
        status->addWidget(l);
    }
    column->addWidget(statusBar);
    setFixedSize(380, 640);
}

QWidget* TF_control::buildManualPage() {
    auto* page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("bsSkinTabSheet1"));
    auto* column = new QVBoxLayout(page);

    auto* motion = new QHBoxLayout;
    auto* motionGroup = new QButtonGroup(page);
    m_upButton = bigButton(makeGroupButton(page, motionGroup, QStringLiteral("UP_Button"),
                                           QStringLiteral("上升"), QStringLiteral("上升")));
    m_stopButton = bigButton(makeGroupButton(page, motionGroup, QStringLiteral("Stop_Button"),
                                             QStringLiteral("停止"), QStringLiteral("停止 ")));
    m_downButton = bigButton(makeGroupButton(page, motionGroup, QStringLiteral("Down_Button"),
                                             QStringLiteral("下降"), QStringLiteral("下降")));
    pressButton(m_stopButton);
    for (QToolButton* b : {m_upButton, m_stopButton, m_downButton}) motion->addWidget(b);
    column->addLayout(motion);

    auto* speedRow = new QHBoxLayout;
    speedRow->addWidget(new QLabel(QStringLiteral("当前速度："), page));
    m_speedShow = makeLabel(page, QStringLiteral("Label_speedshow"), QStringLiteral("10"));
    m_speedShow->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    speedRow->addWidget(m_speedShow, 1);
    speedRow->addWidget(new QLabel(QStringLiteral("(mm/min)"), page));
    column->addLayout(speedRow);

    m_speedBar = new QScrollBar(Qt::Horizontal, page);
    m_speedBar->setObjectName(QStringLiteral("bsSkinScrollBar1"));
    m_speedBar->setMinimumHeight(20);
    column->addWidget(m_speedBar);
    auto* ends = new QHBoxLayout;
    m_speedMin = makeLabel(page, QStringLiteral("min"), QString());
    m_speedMax = makeLabel(page, QStringLiteral("max"), QString());
    ends->addWidget(m_speedMin);
    ends->addStretch();
    ends->addWidget(m_speedMax);
    column->addLayout(ends);

    auto* choice = new QGroupBox(QStringLiteral("速度选择(mm/min)"), page);
    auto* grid = new QGridLayout(choice);
    grid->setSpacing(4);
    auto* speedGroup = new QButtonGroup(page);
    for (int i = 0; i < static_cast<int>(kSpeedButtonRanges.size()); ++i) {
        QToolButton* button =
            makeGroupButton(choice, speedGroup, QStringLiteral("Speed_Button%1").arg(i + 1),
                            QString::fromLatin1(kSpeedButtonRanges[static_cast<size_t>(i)].caption));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        button->setMinimumHeight(30);
        m_speedButtons[static_cast<size_t>(i)] = button;
        grid->addWidget(button, i / kSpeedButtonsPerRow, i % kSpeedButtonsPerRow);
        connect(button, &QToolButton::clicked, this, [this, i] { onSpeedButton(i); });
    }
    column->addWidget(choice);
    column->addStretch();

    connect(m_upButton, &QToolButton::clicked, this, &TF_control::onUp);
    connect(m_downButton, &QToolButton::clicked, this, &TF_control::onDown);
    connect(m_stopButton, &QToolButton::clicked, this, &TF_control::onStop);
    connect(m_speedBar, &QScrollBar::valueChanged, this, &TF_control::onSpeedBar);
    return page;
}

QWidget* TF_control::buildProgramPage() {
    auto* page = new QWidget(m_pages);
    page->setObjectName(QStringLiteral("bsSkinTabSheet2"));
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(6, 6, 6, 6);

    const TestButtons test = addTestButtons(page, column, QStringLiteral("TestStart_SpeedButton"),
                                            QStringLiteral("TestStop_SpeedButton"));
    m_testStart = test.start;
    m_testStop = test.stop;

    auto* results = new QGroupBox(QStringLiteral("测试数据及结果"), page);
    auto* resultColumn = new QVBoxLayout(results);
    resultColumn->setContentsMargins(4, 4, 4, 4);
    m_grid = new ControlResultGrid(m_ctx.sequencer, results);
    resultColumn->addWidget(m_grid, 1);

    auto* height = new QHBoxLayout;
    auto* heightTitle = new QLabel(QStringLiteral("弹簧高度:"), results);
    m_springHeight = makeLabel(results, QStringLiteral("SpringHeight_Label"), QString());
    m_springHeight->setMinimumWidth(80);
    auto* heightUnit = new QLabel(QStringLiteral("(mm)"), results);
    m_springHeightRow = {heightTitle, m_springHeight, heightUnit};
    auto* precompressTitle = new QLabel(QStringLiteral("预压次数选择:"), results);
    m_precompress = new QComboBox(results);
    m_precompress->setObjectName(QStringLiteral("test_Cycle_ComboBox"));
    for (int n = 0; n <= kMostPrecompressionsOffered; ++n) m_precompress->addItem(QString::number(n));
    m_precompress->setCurrentIndex(-1);
    auto* precompressUnit = new QLabel(kTimesUnit, results);
    m_precompressRow = {precompressTitle, m_precompress, precompressUnit};
    for (QWidget* w : m_springHeightRow + m_precompressRow) height->addWidget(w);
    height->addStretch();
    for (QWidget* w : m_precompressRow) w->hide();
    resultColumn->addLayout(height);
    column->addWidget(results, 1);

    m_directionGroup = new QGroupBox(QStringLiteral("试验方向"), page);
    m_directionGroup->setObjectName(QStringLiteral("bsSkinRadioGroup1"));
    auto* items = new QHBoxLayout(m_directionGroup);
    m_directionItems[kTensionItem] = new QRadioButton(kTensionDirection, m_directionGroup);
    m_directionItems[kCompressionItem] = new QRadioButton(kCompressionDirection, m_directionGroup);
    m_directionItems[kCompressionItem]->setChecked(true);
    for (QRadioButton* item : m_directionItems) {
        items->addWidget(item);
        connect(item, &QRadioButton::clicked, this, &TF_control::onDirectionItem);
    }
    column->addWidget(m_directionGroup);

    connect(m_testStart, &QToolButton::clicked, this, &TF_control::onTestStart);
    connect(m_testStop, &QToolButton::clicked, this, &TF_control::onTestStop);
    return page;
}

void TF_control::FormShow() {
    pressButton(m_speedButtons[kStartSpeedButton]);
    onSpeedButton(kStartSpeedButton);
    m_pages->setCurrentIndex(tabOf(ControlPage::Manual));
    setTestStatus(kTestStoppedState);

    TMotor* motor = slot().motor.get();
    switch (m_ctx.machineType) {
        case 0:
        case 7:
            if (motor && motor->manualControl()) motor->StartPendantMonitor();
            break;
        case 2:
        case 3:
            m_pages->setTabVisible(tabOf(ControlPage::Hydraulics), true);
            onStop();
            m_pid->showValveSettings();
            if (m_ctx.machineType == 3) {
                for (QWidget* w : m_precompressRow) w->show();
                for (QWidget* w : m_springHeightRow) w->hide();
            }
            break;
        case 6:
            m_pages->setTabVisible(tabOf(ControlPage::Fatigue), true);
            if (motor) {
                motor->StartOutput();
                if (motor->manualControl()) motor->StartLimitMonitor();
            }
            m_fatigue->loadCounterFile();
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------------------------------------
// Manual motion

void TF_control::onUp() {
    TMotor* motor = slot().motor.get();
    if (motor && motor->CommandUp()) return;
    prompts().message(QStringLiteral("当前负荷过载或已达到上限位！！"));
    pressButton(m_stopButton);
}

void TF_control::onDown() {
    TMotor* motor = slot().motor.get();
    if (motor && motor->CommandDown()) return;
    prompts().message(QStringLiteral("当前负荷过载或已达到下限位！！"));
    pressButton(m_stopButton);
}

void TF_control::onStop() {
    if (TMotor* motor = slot().motor.get()) motor->CommandStop();
}

void TF_control::onSpeedButton(int index) {
    const SpeedButtonRange& range = kSpeedButtonRanges[static_cast<size_t>(index)];
    {
        // The bar is applied once, below, whether or not its position changes.
        const QSignalBlocker quiet(m_speedBar);
        m_speedBar->setRange(range.low, range.high);
        const int step = speedBarStep(range.high);
        m_speedBar->setSingleStep(step);
        m_speedBar->setPageStep(step);
        m_speedBar->setValue(range.position);
    }
    m_speedMin->setText(speedRangeText(range.low));
    m_speedMax->setText(speedRangeText(range.high));
    onSpeedBar();
}

void TF_control::onSpeedBar() {
    const int position = m_speedBar->value();
    m_speedShow->setText(speedText(position));
    if (TMotor* motor = slot().motor.get()) motor->SetSpeed(static_cast<float>(speedFromBar(position)));
}

// ---------------------------------------------------------------------------------------------------------
// Tests

void TF_control::onTestStart() {
    TTestStyle& sequencer = m_ctx.sequencer;
    if (const QString refusal = testStartRefusal(sequencer, m_card); !refusal.isEmpty()) {
        prompts().message(refusal);
        // A test or series under way goes on; otherwise the panel shows that none runs.
        if (!sequencer.running() && !sequencer.seriesInProgress()) {
            sequencer.StopTest();
            pressButton(m_testStop);
        }
        return;
    }
    if (m_ctx.machineType == 3) {
        if (m_precompress->currentText().isEmpty()) {
            prompts().message(kPrecompressionNotSet);
            pressButton(m_testStop);
            return;
        }
        sequencer.SetPrecompressCount(m_precompress->currentText().toInt());
    }
    sequencer.SetCurveChart(m_ctx.liveCurve);
    sequencer.StartTest(m_card);
}

void TF_control::onTestStop() {
    m_ctx.sequencer.StopTest();
}

void TF_control::onDirectionItem() {
    // The direction follows the opened scheme; the operator cannot pick the other one.
    const TTestStyle& sequencer = m_ctx.sequencer;
    if (!sequencer.hasProcedure()) return;
    m_directionItems[sequencer.scheme().scheme_type ? kCompressionItem : kTensionItem]->setChecked(true);
}

// ---------------------------------------------------------------------------------------------------------
// Messages

void TF_control::onOverload() {
    m_overloadLog->onTrip(slot());
    TTestStyle& sequencer = m_ctx.sequencer;
    QString message;
    if (sequencer.running()) {
        sequencer.StopTest();
        pressButton(m_testStop);
        message = kOverloadStoppedTheTest;
    } else {
        if (TMotor* motor = slot().motor.get()) motor->CommandStop();
        pressButton(m_stopButton);
        message = kOverloadTripped;
    }
    setMotorStatus(QStringLiteral("电机状态：负荷过载"));
    // The acquisition thread waits for this handler: it must not wait for the operator's OK as well.
    QMetaObject::invokeMethod(
        this, [message] { prompts().message(message); }, Qt::QueuedConnection);
}

void TF_control::onMotorState() {
    if (const TMotor* motor = slot().motor.get()) {
        switch (motor->state()) {
            case MotionState::Up:
                pressButton(m_upButton);
                setMotorStatus(QStringLiteral("电机状态：上升"));
                break;
            case MotionState::Down:
                pressButton(m_downButton);
                setMotorStatus(QStringLiteral("电机状态：下降"));
                break;
            case MotionState::Stopped:
                pressButton(m_stopButton);
                setMotorStatus(QStringLiteral("电机状态：停止"));
                break;
            case MotionState::AtUpperLimit:
                pressButton(m_stopButton);
                setMotorStatus(QStringLiteral("电机状态：上限位停止"));
                break;
            case MotionState::AtLowerLimit:
                pressButton(m_stopButton);
                setMotorStatus(QStringLiteral("电机状态：下限位停止"));
                break;
            case MotionState::BlockedByOverload:
                prompts().message(kOverloadBlocksTheMove);
                pressButton(m_stopButton);
                setMotorStatus(QStringLiteral("电机状态：停止"));
                break;
            case MotionState::TestRequested:
                // The operator box's test key works like the start button.
                if (!m_testStart->isChecked()) {
                    pressButton(m_testStart);
                    onTestStart();
                }
                break;
        }
    }

    // The lateral drive of a second card has limits of its own.
    if (m_ctx.cards.count < 2) return;
    const TMotor* lateral = m_ctx.cards.cards[1].motor.get();
    if (!lateral) return;
    const MotionState state = lateral->state();
    if (state != MotionState::AtUpperLimit && state != MotionState::AtLowerLimit) return;
    prompts().message(state == MotionState::AtUpperLimit ? QStringLiteral("横向推进限位停止!")
                                                         : QStringLiteral("横向推出限位停止!"));
    pressButton(m_stopButton);
    setMotorStatus(QStringLiteral("电机状态：停止"));
}

void TF_control::onTestState() {
    const TTestStyle& sequencer = m_ctx.sequencer;
    const TestState state = sequencer.state();
    const QString text =
        testStateText(state, sequencer.IsAutoRepeat(), sequencer.repeatCount(), sequencer.repeatsDone());
    switch (state) {
        case TestState::Started: {
            const int points = sequencer.scheme().scheme_sum;
            for (int row = 1; row <= points; ++row)
                for (int column : {4, 5, ControlResultGrid::kVerdictColumn})
                    m_grid->setCell(row, column, QString());
            m_springHeight->clear();
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
        case TestState::StoreFailed:
            setTestStatus(text);
            break;
        case TestState::Stopped:
            pressButton(m_testStop);
            setTestStatus(text);
            break;
        default:
            break;
    }
}

void TF_control::showCapturedPoint() {
    const TTestStyle& sequencer = m_ctx.sequencer;
    const int k = sequencer.pointIndex();
    const PointReadout point =
        readPoint(sequencer.results(), sequencer.scheme(), sequencer.stroke(), k, readoutFormat(slot()));
    m_grid->setCell(k, 4, point.value);
    m_grid->setCell(k, 5, point.stiffness);
    m_grid->setCell(k, ControlResultGrid::kVerdictColumn, verdictText(point.valueVerdict));
}

void TF_control::showStoring() {
    // The test being stored, which need not be the one running: the next may have started already.
    const FinishedTest& test = m_ctx.sequencer.storingTest();
    const int samples = test.curve.count;
    prompts().progressStart(QStringLiteral("保存数据"), QStringLiteral("保存数据中....."), samples - 1);
    for (int i = 0; i < samples; ++i) {
        prompts().progressStep(i);
        // The window keeps painting while the count runs; the operator's clicks wait until it is done.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    prompts().progressEnd();
    setTestStatus(testStateText(TestState::Storing, false, 0, 0));
    m_springHeight->setText(heightText(test.results.height(), test.format));
}

void TF_control::setMotorStatus(const QString& text) {
    m_motorStatus->setText(text);
}
void TF_control::setTestStatus(const QString& text) {
    m_testStatus->setText(text);
}

}  // namespace springtest
