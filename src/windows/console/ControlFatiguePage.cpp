#include "windows/console/ControlFatiguePage.h"

#include "platform/NumberFormat.h"
#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "windows/common/WindowTexts.h"
#include "windows/console/ConsoleContext.h"
#include "windows/console/PanelWidgets.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace springtest {

namespace {

constexpr int kTickInterval_ms = 100;

QLabel* valueLabel(QWidget* parent, const char* name, const char* text) {
    QLabel* label = makeLabel(parent, QString::fromLatin1(name), QString::fromUtf8(text));
    label->setMinimumWidth(80);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

}  // namespace

ControlFatiguePage::ControlFatiguePage(ConsoleContext& ctx, int card, StatusSink testStatus, QWidget* parent)
    : QWidget(parent), m_test(ctx.applicationFolder, ctx.cards, card), m_testStatus(std::move(testStatus)) {
    setObjectName(QStringLiteral("bsSkinTabSheet6"));
    auto* column = new QVBoxLayout(this);

    auto* buttons = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    m_start = makeGroupButton(this, group, QStringLiteral("bsSkinSpeedButton6"), kStartTestButton,
                              kStartTestButton);
    m_stop =
        makeGroupButton(this, group, QStringLiteral("bsSkinSpeedButton7"), kStopTestButton, kStopTestButton);
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
    grid->addWidget(new QLabel(kTimesUnit, this), 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("当前频率："), this), 1, 0);
    grid->addWidget(m_frequency, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Hz"), this), 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("疲劳次数："), this), 2, 0);
    grid->addWidget(m_targetEdit, 2, 1);
    grid->addWidget(new QLabel(kTimesUnit, this), 2, 2);
    column->addLayout(grid);

    auto* breakStop = new QHBoxLayout;
    breakStop->addWidget(new QLabel(QStringLiteral("是否启动断裂停机："), this));
    m_breakStop = new QRadioButton(kYes, this);
    m_breakStop->setObjectName(QStringLiteral("bsSkinCheckRadioBox1"));
    m_breakStop->setChecked(true);
    auto* noBreakStop = new QRadioButton(kNo, this);
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
    connect(m_servoBar, &QScrollBar::valueChanged, this, [this](int value) { m_test.setServoOutput(value); });
}

void ControlFatiguePage::loadCounterFile() {
    m_test.loadCounterFile();
    m_targetEdit->setText(m_test.keptTarget());
    m_count->setText(QString::number(m_test.keptCount()));
}

void ControlFatiguePage::onStart() {
    if (const auto refusal = m_test.startRefusal()) {
        if (*refusal == FatigueTest::StartRefusal::BreakWireOpen)
            prompts().message(QStringLiteral("请先把断裂停机导线进行正确连接！！"));
        else
            prompts().message(QStringLiteral("请先闭合软件界面上的电路开关，并给系统上电！"), kPromptCaption,
                              PromptIcon::Warning);
        pressButton(m_stop);
        return;
    }
    const std::optional<int> target = integerFromText(m_targetEdit->text());
    if (!target) {
        pressButton(m_stop);
        return;
    }
    m_test.start(*target);
    m_timer->start();
    m_testStatus(QStringLiteral("试验状态：正在疲劳试验"));
}

void ControlFatiguePage::fatigueTick() {
    const FatigueTest::Progress progress = m_test.tick(m_breakStop->isChecked());
    if (progress.ended) {
        onStop();
        pressButton(m_stop);
        return;
    }
    m_count->setText(QString::number(progress.done));
    if (progress.frequency_hz) m_frequency->setText(FormatByDecimals(2, *progress.frequency_hz));
}

void ControlFatiguePage::onStop() {
    m_timer->stop();
    if (m_test.stop()) {
        if (!prompts().question(QStringLiteral("该试验尚未完成，是否保存当前次数！！"))) return;
        if (const QString error = m_test.keepCount(m_targetEdit->text()); !error.isEmpty())
            prompts().message(error);
    }
    m_testStatus(kTestStoppedState);
}

void ControlFatiguePage::onClearCount() {
    if (!prompts().question(QStringLiteral("是否当前次数清零！！"))) return;
    const QString error = m_test.clearCount();
    m_count->setText(QString::number(m_test.keptCount()));
    if (!error.isEmpty()) prompts().message(error);
}

}  // namespace springtest
