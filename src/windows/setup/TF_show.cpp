#include "windows/setup/TF_show.h"

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace springtest {

namespace {

const QString kLoadCount = QStringLiteral("负荷AD数：");
// No channel gives a deformation count; the row stays for the layout service staff know, without a value.
const QString kDeformationCount = QStringLiteral("变形AD数：");
const QString kEncoderPulses = QStringLiteral("编码器脉冲数：");
const QString kPressSaved = QStringLiteral("压向相对零点：");
const QString kPressNow = QStringLiteral("压向绝对零点：");
const QString kPullSaved = QStringLiteral("拉向相对零点：");
const QString kPullNow = QStringLiteral("拉向绝对零点：");
const QString kSwitchInput = QStringLiteral("开关量输入：");

}  // namespace

TF_show::TF_show(CardSlot& card, int cardIndex, QWidget* parent)
    : QDialog(parent), m_card(card), m_cardIndex(cardIndex) {
    setObjectName(QStringLiteral("TF_show"));
    setWindowTitle(QStringLiteral("信号监视"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(false);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    int row = 0;
    for (const QString& text : {kLoadCount, kDeformationCount, kEncoderPulses, kPressSaved, kPressNow,
                                kPullSaved, kPullNow, kSwitchInput}) {
        auto* value = new QLabel(this);
        value->setObjectName(QStringLiteral("Label_value%1").arg(row + 1));
        value->setMinimumWidth(100);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(new QLabel(text, this), row, 0);
        grid->addWidget(value, row, 1);
        m_values.insert(text, value);
        ++row;
    }
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_timer = new QTimer(this);
    m_timer->setInterval(kRefresh_ms);
    connect(m_timer, &QTimer::timeout, this, &TF_show::refresh);
}

void TF_show::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_timer->start();
}

void TF_show::setValue(const QString& row, qint64 value) {
    if (QLabel* label = m_values.value(row)) label->setText(QString::number(value));
}

void TF_show::refresh() {
    if (const Tload* load = m_card.load.get()) setValue(kLoadCount, load->currentCount());
    if (const TDisplacement* displacement = m_card.displacement.get()) {
        setValue(kEncoderPulses, displacement->pulseCount());
        setValue(kPressSaved, displacement->savedPressPulses());
        setValue(kPressNow, displacement->pressPulsesNow());
        setValue(kPullSaved, displacement->savedPullPulses());
        setValue(kPullNow, displacement->pullPulsesNow());
    }
    if (const TMotor* motor = m_card.motor.get()) setValue(kSwitchInput, motor->lastInput());
}

}  // namespace springtest
