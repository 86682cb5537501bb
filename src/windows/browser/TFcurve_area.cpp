#include "windows/browser/TFcurve_area.h"

#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Prompts.h"
#include "windows/common/WindowTexts.h"

namespace springtest {

namespace {

QString axisText(double value) {
    return QString::number(value, 'f', 3);
}

}  // namespace

TFcurve_area::TFcurve_area(QString applicationFolder, ResultChart& chart, AxisSteps& steps, QWidget* parent)
    : QDialog(parent), m_applicationFolder(std::move(applicationFolder)), m_chart(chart), m_steps(steps) {
    setObjectName(QStringLiteral("TFcurve_area"));
    setWindowTitle(QStringLiteral("曲线范围"));

    auto* group = new QGroupBox(QStringLiteral("曲线坐标范围"), this);
    group->setObjectName(QStringLiteral("bsSkinGroupBox1"));
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(10);
    grid->addWidget(new QLabel(QStringLiteral("最小值"), group), 0, 1, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("最大值 "), group), 0, 2, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("按钮调节量"), group), 0, 3, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("X轴"), group), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Y轴"), group), 2, 0);

    const QStringList rangeItems{"0.1", "0.5", "1", "10", "100", "200"};
    const QStringList stepItems{"0.1", "0.5", "1", "2", "5"};
    m_fields[0] = addField(grid, 1, 1, "ComboBox1", rangeItems);
    m_fields[1] = addField(grid, 1, 2, "ComboBox2", rangeItems);
    m_fields[2] = addField(grid, 1, 3, "ComboBox3", stepItems);
    m_fields[3] = addField(grid, 2, 1, "ComboBox4", rangeItems);
    m_fields[4] = addField(grid, 2, 2, "ComboBox5", rangeItems);
    m_fields[5] = addField(grid, 2, 3, "ComboBox6", stepItems);

    // The ranges as the chart has them now; the steps as stored, which is what every browser starts with.
    m_fields[0]->setEditText(axisText(m_chart.bottom.min));
    m_fields[1]->setEditText(axisText(m_chart.bottom.max));
    m_fields[2]->setEditText(storedStepText(m_applicationFolder, true));
    m_fields[3]->setEditText(axisText(m_chart.left.min));
    m_fields[4]->setEditText(axisText(m_chart.left.max));
    m_fields[5]->setEditText(storedStepText(m_applicationFolder, false));

    auto* ok = new QPushButton(kOkButton, this);
    ok->setObjectName(QStringLiteral("bsSkinButton1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &TFcurve_area::confirm);
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("bsSkinButton2"));
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());
}

QComboBox* TFcurve_area::addField(QGridLayout* grid, int row, int column, const char* name,
                                  const QStringList& items) {
    auto* field = new QComboBox(grid->parentWidget());
    field->setObjectName(QString::fromLatin1(name));
    field->setEditable(true);
    field->setInsertPolicy(QComboBox::NoInsert);
    field->addItems(items);
    field->setMinimumWidth(90);
    grid->addWidget(field, row, column);
    return field;
}

void TFcurve_area::confirm() {
    const CurveAreaFields fields{m_fields[0]->currentText(), m_fields[1]->currentText(),
                                 m_fields[2]->currentText(), m_fields[3]->currentText(),
                                 m_fields[4]->currentText(), m_fields[5]->currentText()};
    const CurveAreaOutcome outcome = applyCurveArea(m_applicationFolder, fields, m_chart, m_steps);
    for (const QString& message : outcome.messages) prompts().message(message);
    accept();  // the window closes whatever was refused
}

}  // namespace springtest
