#include "windows/setup/TFpid_view.h"

#include "measurement/CardSlot.h"
#include "measurement/TMotor.h"
#include "platform/NumberFormat.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTimer>

#include <cmath>

namespace springtest {

namespace {

const char* const kFieldNames[] = {
    "P",       "I",       "D",       "P_ERR",           "I_ERR",      "D_ERR",     "P_LOAD_ERR", "P_LAST_ERR",
    "P_VALUE", "I_VALUE", "D_VALUE", "pid_output_load", "pid_output", "pid_value", "PID_ERR"};

QString twoDecimals(double value) {
    return FormatByDecimals(2, value);
}

QString upToThreeDecimals(double value) {
    return QString::number(std::round(value * 1000.0) / 1000.0, 'g', QLocale::FloatingPointShortest);
}

}  // namespace

TFpid_view::TFpid_view(CardSlot& card, int cardIndex, QWidget* parent) : QDialog(parent), m_card(card) {
    setObjectName(QStringLiteral("TFpid_view"));
    setWindowTitle(QStringLiteral("PID状态观察"));
    setAttribute(Qt::WA_DeleteOnClose);
    (void)cardIndex;  // the slot is the card; the index only names it to the main window

    auto* grid = new QGridLayout(this);
    int row = 0;
    for (const char* name : kFieldNames) {
        const QString text = QLatin1String(name);
        auto* field = new QLineEdit(this);
        field->setObjectName(text);
        field->setReadOnly(true);
        field->setAlignment(Qt::AlignRight);
        field->setFixedWidth(120);
        grid->addWidget(new QLabel(text, this), row % 8, 2 * (row / 8));
        grid->addWidget(field, row % 8, 2 * (row / 8) + 1);
        m_fields.insert(text, field);
        ++row;
    }

    m_timer = new QTimer(this);
    m_timer->setInterval(kRefresh_ms);
    connect(m_timer, &QTimer::timeout, this, &TFpid_view::refresh);
}

void TFpid_view::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_timer->start();
}

void TFpid_view::setField(const char* name, const QString& text) {
    if (QLineEdit* field = m_fields.value(QLatin1String(name))) field->setText(text);
}

void TFpid_view::refresh() {
    const TMotor* motor = m_card.motor.get();
    if (!motor) return;
    const ServoBlock servo = motor->servo();
    setField("P_ERR", twoDecimals(servo.e0));
    setField("I_ERR", twoDecimals(servo.de));
    setField("D_ERR", twoDecimals(servo.d2e));
    setField("P_LOAD_ERR", twoDecimals(servo.e1));
    setField("P_LAST_ERR", twoDecimals(servo.e2));
    setField("P_VALUE", upToThreeDecimals(servo.p));
    setField("I_VALUE", upToThreeDecimals(servo.i));
    setField("D_VALUE", upToThreeDecimals(servo.d));
    setField("pid_output_load", QString::number(servo.accumulator));
    setField("pid_value", QString::number(servo.output));

    // The set point is in hundredths of a millimetre when the servo works on displacement, in load units
    // when it holds a load; the gains shown are the ones at work.
    const bool displacement = servo.pidMode == 1 || servo.pidMode == 3;
    const bool load = servo.pidMode == 2;
    if (!displacement && !load) return;
    setField("PID_ERR", upToThreeDecimals(displacement ? servo.setPoint / 100.0 : servo.setPoint));
    setField("P", upToThreeDecimals(displacement ? servo.dispKp : servo.loadKp));
    setField("I", upToThreeDecimals(displacement ? servo.dispKi : servo.loadKi));
    setField("D", upToThreeDecimals(displacement ? servo.dispKd : servo.loadKd));
}

}  // namespace springtest
