#include "windows/setup/TF_wybc.h"

#include "calibration/CompensationRun.h"
#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "session/SettingsAuditing.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace springtest {

TF_wybc::TF_wybc(CardSlot& card, int cardIndex, QWidget* parent)
    : QDialog(parent), m_card(card), m_cardIndex(cardIndex) {
    setObjectName(QStringLiteral("TF_wybc"));
    setWindowTitle(QStringLiteral("位移补偿"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* instructions = new QGroupBox(QStringLiteral(" 补偿说明"), this);
    auto* lines = new QVBoxLayout(instructions);
    for (const QString& line :
         {QStringLiteral("补偿主要是为了弥补传感器受力变形而引起的系统位移误差。第一步，可将试验机"),
          QStringLiteral("慢速并盘，并压到满量程的5%，位移清零，第二步，慢速压到满量程，记住此时的"),
          QStringLiteral("位移值，单位为mm,第三步  输入下面相应栏，然后点击【自动计算】;")})
        lines->addWidget(new QLabel(line, instructions));

    auto* compensation = new QGroupBox(QStringLiteral("位移补偿"), this);
    m_load = new QLineEdit(compensation);
    m_load->setObjectName(QStringLiteral("bsSkinEdit1"));
    m_deformation = new QLineEdit(compensation);
    m_deformation->setObjectName(QStringLiteral("bsSkinEdit2"));
    auto* compute = new QPushButton(QStringLiteral("自动计算"), compensation);
    compute->setObjectName(QStringLiteral("bsSkinButton1"));
    compute->setAutoDefault(false);
    auto* grid = new QGridLayout(compensation);
    grid->addWidget(new QLabel(QStringLiteral("当前负荷："), compensation), 0, 0);
    grid->addWidget(m_load, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("传感器变形量："), compensation), 1, 0);
    grid->addWidget(m_deformation, 1, 1);
    grid->addWidget(compute, 0, 2, 2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(instructions);
    layout->addWidget(compensation);

    // The window opens at full load with the deflection on the display: both values are already there.
    const CompensationReadings readings = compensationReadings(m_card);
    m_load->setText(readings.loadText);
    m_deformation->setText(readings.deformationText);

    connect(compute, &QPushButton::clicked, this, &TF_wybc::compute);
}

void TF_wybc::compute() {
    const auto apply = [&] { applyCompensation(m_card, m_load->text(), m_deformation->text()); };
    if (const TDisplacement* channel = m_card.displacement.get())
        auditedSave(channel->applicationFolder(), channel->channelConfigPath(), apply);
    else
        apply();
}

}  // namespace springtest
