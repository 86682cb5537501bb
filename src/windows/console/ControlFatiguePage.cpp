#include "windows/console/ControlFatiguePage.h"

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "platform/NumberFormat.h"
#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "windows/console/ConsoleContext.h"
#include "windows/console/PanelWidgets.h"

#include <QButtonGroup>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace springtest {

namespace {

constexpr int kTickInterval_ms = 100;
constexpr int kTicksPerFrequency = 10;
constexpr int kCounterCard = 1;
constexpr float kDisplacementPerCycle_mm = 10.0f;
constexpr int kMainsRelay = 1;
constexpr int kDriveRelay = 2;
constexpr uint8_t kRelayOn = 8;
constexpr uint8_t kBreakWireBit = 0x04;

const QString kSection = QStringLiteral("稳定杆疲劳试验");
const QString kStoredCountKey = QStringLiteral("当前试验次数");
const QString kTargetKey = QStringLiteral("试验次数");
const QString kStopped = QStringLiteral("试验状态：试验停止");

QLabel* valueLabel(QWidget* parent, const char* name, const char* text) {
    QLabel* label = makeLabel(parent, QString::fromLatin1(name), QString::fromUtf8(text));
    label->setMinimumWidth(80);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

QString ControlFatiguePage::counterFilePath(const QString& applicationFolder) {
    return QDir(applicationFolder).filePath(QStringLiteral("ini.init"));
}

ControlFatiguePage::ControlFatiguePage(ConsoleContext& ctx, int card, StatusSink testStatus, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_card(card), m_testStatus(std::move(testStatus)) {
    setObjectName(QStringLiteral("bsSkinTabSheet6"));
    auto* column = new QVBoxLayout(this);

    auto* buttons = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    m_start = makeGroupButton(this, group, QStringLiteral("bsSkinSpeedButton6"), QStringLiteral("试验开始"),
                              QStringLiteral("试验开始"));
    m_stop = makeGroupButton(this, group, QStringLiteral("bsSkinSpeedButton7"), QStringLiteral("试验停止"),
                             QStringLiteral("试验停止"));
    pressButton(m_stop);
    QToolButton* clear =
        makeSpeedButton(this, QStringLiteral("bsSkinSpeedButton5"), QStringLiteral("当前次数清零"));
    for (QToolButton* b : {m_start, m_stop, clear}) {
        b->setMinimumHeight(32);
        buttons->addWidget(b);
    }
    column->addLayout(buttons);

    auto* grid = new QGridLayout;
    m_count = valueLabel(this, "test_Views_Label", "0");
    m_frequency = valueLabel(this, "test_HZ_Label", "0");
    m_targetEdit = new QLineEdit(QStringLiteral("1000"), this);
    m_targetEdit->setObjectName(QStringLiteral("Fatigue_Viewsf_Edit"));
    grid->addWidget(new QLabel(QStringLiteral("当前次数："), this), 0, 0);
    grid->addWidget(m_count, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("次"), this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("当前频率："), this), 1, 0);
    grid->addWidget(m_frequency, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Hz"), this), 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("疲劳次数："), this), 2, 0);
    grid->addWidget(m_targetEdit, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("次"), this), 2, 2);
    column->addLayout(grid);

    auto* breakStop = new QHBoxLayout;
    breakStop->addWidget(new QLabel(QStringLiteral("是否启动断裂停机："), this));
    m_breakStop = new QRadioButton(QStringLiteral("是"), this);
    m_breakStop->setObjectName(QStringLiteral("bsSkinCheckRadioBox1"));
    m_breakStop->setChecked(true);
    auto* noBreakStop = new QRadioButton(QStringLiteral("否"), this);
    noBreakStop->setObjectName(QStringLiteral("bsSkinCheckRadioBox2"));
    breakStop->addWidget(m_breakStop);
    breakStop->addWidget(noBreakStop);
    breakStop->addStretch();
    column->addLayout(breakStop);

    auto* speed = new QHBoxLayout;
    speed->addWidget(new QLabel(QStringLiteral("速度调整："), this));
    m_servoBar = new QScrollBar(Qt::Horizontal, this);
    m_servoBar->setObjectName(QStringLiteral("bsSkinScrollBar4"));
    m_servoBar->setRange(2048, 4095);
    m_servoBar->setValue(2048);
    speed->addWidget(m_servoBar, 1);
    column->addLayout(speed);
    column->addStretch();

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("FatigueTimer"));
    m_timer->setInterval(kTickInterval_ms);
    connect(m_timer, &QTimer::timeout, this, &ControlFatiguePage::fatigueTick);

    connect(m_start, &QToolButton::clicked, this, &ControlFatiguePage::onStart);
    connect(m_stop, &QToolButton::clicked, this, &ControlFatiguePage::onStop);
    connect(clear, &QToolButton::clicked, this, &ControlFatiguePage::onClearCount);
    connect(m_servoBar, &QScrollBar::valueChanged, this, &ControlFatiguePage::onServoOutput);
}

CardSlot& ControlFatiguePage::card() const {
    return m_ctx.cards.cards[static_cast<size_t>(m_card)];
}

CardSlot* ControlFatiguePage::counterCard() const {
    return kCounterCard < m_ctx.cards.count ? &m_ctx.cards.cards[kCounterCard] : nullptr;
}

float ControlFatiguePage::counterDisplacement() const {
    const CardSlot* counter = counterCard();
    return counter ? counter->record.displacement.load(std::memory_order_relaxed) : 0.0f;
}

int ControlFatiguePage::cycles() const {
    return static_cast<int>(std::trunc(std::round(counterDisplacement()) / kDisplacementPerCycle_mm));
}

bool ControlFatiguePage::breakWireConnected() const {
    const TMotor* motor = card().motor.get();
    return motor && (motor->lastInput() & kBreakWireBit) != 0;
}

void ControlFatiguePage::setDriveRelay(bool on) {
    if (TMotor* motor = card().motor.get()) motor->SetRelay(kDriveRelay, on ? kRelayOn : 0);
}

void ControlFatiguePage::loadCounterFile() {
    const ProfileSnapshot file = ProfileFile(counterFilePath(m_ctx.applicationFolder)).snapshot();
    m_storedCount = file.readInt(kSection, kStoredCountKey, 0);
    m_targetEdit->setText(file.readString(kSection, kTargetKey, QStringLiteral("1000")));
    m_count->setText(QString::number(m_storedCount));
}

void ControlFatiguePage::onStart() {
    if (!breakWireConnected()) {
        prompts().message(QStringLiteral("请先把断裂停机导线进行正确连接！！"));
        pressButton(m_stop);
        return;
    }
    const TMotor* motor = card().motor.get();
    if (!motor || motor->GetRelay(kMainsRelay) != kRelayOn) {
        prompts().message(QStringLiteral("请先闭合软件界面上的电路开关，并给系统上电！"),
                          QStringLiteral("提示"), PromptIcon::Warning);
        pressButton(m_stop);
        return;
    }
    const std::optional<int> target = integerFromText(m_targetEdit->text());
    if (!target) {
        pressButton(m_stop);
        return;
    }
    m_target = *target;
    if (CardSlot* counter = counterCard(); counter && counter->displacement)
        counter->displacement->ClearDisplacement();
    m_lastCounter = 0.0f;
    m_ticks = 0;
    m_timer->start();
    setDriveRelay(true);
    m_testStatus(QStringLiteral("试验状态：正在疲劳试验"));
}

void ControlFatiguePage::fatigueTick() {
    const int done = cycles() + m_storedCount;
    const bool broken = m_breakStop->isChecked() && !breakWireConnected();
    if (broken || m_target < done) {
        setDriveRelay(false);
        onStop();
        pressButton(m_stop);
        return;
    }
    ++m_ticks;
    m_count->setText(QString::number(done));
    if (m_ticks >= kTicksPerFrequency) {
        // Ten ticks make a second: the counter's travel in that second, in cycles.
        const float now = counterDisplacement();
        m_frequency->setText(FormatByDecimals(2, (now - m_lastCounter) / kDisplacementPerCycle_mm));
        m_lastCounter = now;
        m_ticks = 0;
    }
}

void ControlFatiguePage::onStop() {
    m_timer->stop();
    setDriveRelay(false);
    if (cycles() + m_storedCount >= m_target) {
        m_testStatus(kStopped);
        return;
    }
    if (!prompts().question(QStringLiteral("该试验尚未完成，是否保存当前次数！！"))) return;
    m_storedCount = m_count->text().toInt();
    ProfileFile file(counterFilePath(m_ctx.applicationFolder));
    file.writeString(kSection, kStoredCountKey, m_count->text());
    file.writeString(kSection, kTargetKey, m_targetEdit->text());
    m_testStatus(kStopped);
}

void ControlFatiguePage::onClearCount() {
    if (!prompts().question(QStringLiteral("是否当前次数清零！！"))) return;
    m_storedCount = 0;
    m_count->setText(QStringLiteral("0"));
    if (CardSlot* counter = counterCard(); counter && counter->displacement)
        counter->displacement->ClearDisplacement();
    ProfileFile(counterFilePath(m_ctx.applicationFolder))
        .writeString(kSection, kStoredCountKey, QStringLiteral("0"));
}

void ControlFatiguePage::onServoOutput(int value) {
    if (TMotor* motor = card().motor.get()) motor->SetServoOutput(value);
}

}  // namespace springtest
