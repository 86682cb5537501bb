#include "windows/browser/TF_ReportSet.h"

#include "platform/Prompts.h"
#include "windows/common/WindowTexts.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace springtest {

namespace {

// The labels of bsSkinEdit1 … bsSkinEdit8.
const std::array<QString, 8> kDescriptionLabels{
    QStringLiteral("样品名称："),      QStringLiteral("样品编号："), QStringLiteral("样品图号："),
    QStringLiteral("样品批号："),      QStringLiteral("样品序号："), QStringLiteral("验证负荷(kN)："),
    QStringLiteral("U型栓夹距(mm)："), QStringLiteral("检验标准："),
};
// The labels of the four nominal values (bsSkinEdit9, 11, 13, 15); each tolerance beside it reads "+".
const std::array<QString, 4> kJudgedLabels{
    QStringLiteral("自由孤高(mm)："),
    QStringLiteral("静载孤高(mm)："),
    QStringLiteral("刚度(N/mm)："),
    QStringLiteral("永久变形(mm)："),
};
const std::array<QString, 3> kStiffnessMethods{QStringLiteral("单点刚度"), QStringLiteral("双点刚度"),
                                               QStringLiteral("不计算刚度")};

}  // namespace

TF_ReportSet::TF_ReportSet(QString applicationFolder, QWidget* parent)
    : QDialog(parent), m_applicationFolder(std::move(applicationFolder)) {
    setObjectName(QStringLiteral("TF_ReportSet"));
    setWindowTitle(kReportNamesTitle);

    for (int k = 0; k < kReportFieldCount; ++k) {
        m_edits[static_cast<size_t>(k)] = new QLineEdit(this);
        m_edits[static_cast<size_t>(k)]->setObjectName(QStringLiteral("bsSkinEdit%1").arg(k + 1));
    }

    auto* description = new QGroupBox(QStringLiteral("样品信息"), this);
    auto* descriptionGrid = new QGridLayout(description);
    for (int k = 0; k < 8; ++k) {
        descriptionGrid->addWidget(new QLabel(kDescriptionLabels[static_cast<size_t>(k)], description), k / 2,
                                   (k % 2) * 2, Qt::AlignRight);
        descriptionGrid->addWidget(m_edits[static_cast<size_t>(k)], k / 2, (k % 2) * 2 + 1);
    }

    auto* judged = new QGroupBox(QStringLiteral("判定标准"), this);
    auto* judgedGrid = new QGridLayout(judged);
    for (int q = 0; q < 4; ++q) {
        judgedGrid->addWidget(new QLabel(kJudgedLabels[static_cast<size_t>(q)], judged), q, 0,
                              Qt::AlignRight);
        judgedGrid->addWidget(m_edits[static_cast<size_t>(8 + 2 * q)], q, 1);
        judgedGrid->addWidget(new QLabel(QStringLiteral("+"), judged), q, 2, Qt::AlignCenter);
        judgedGrid->addWidget(m_edits[static_cast<size_t>(9 + 2 * q)], q, 3);
    }

    auto* method = new QGroupBox(QStringLiteral("刚度计算方式"), this);
    method->setObjectName(QStringLiteral("bsSkinRadioGroup1"));
    m_stiffnessMethod = new QButtonGroup(method);
    auto* methodRow = new QHBoxLayout(method);
    for (int m = 0; m < 3; ++m) {
        auto* choice = new QRadioButton(kStiffnessMethods[static_cast<size_t>(m)], method);
        m_stiffnessMethod->addButton(choice, m);
        methodRow->addWidget(choice);
    }

    auto* save = new QPushButton(kSaveButton, this);
    save->setObjectName(QStringLiteral("bsSkinSpeedButton1"));
    save->setAutoDefault(false);
    connect(save, &QPushButton::clicked, this, &TF_ReportSet::save);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(description);
    layout->addWidget(judged);
    layout->addWidget(method);
    layout->addLayout(buttons);

    const LeafReportSettings stored = readLeafReportSettings(m_applicationFolder);
    for (int k = 0; k < kReportFieldCount; ++k)
        m_edits[static_cast<size_t>(k)]->setText(stored.texts[static_cast<size_t>(k)]);
    m_loadedMethod = stored.stiffnessMethod;
    if (QAbstractButton* choice = m_stiffnessMethod->button(stored.stiffnessMethod)) choice->setChecked(true);
}

LeafReportSettings TF_ReportSet::fields() const {
    LeafReportSettings settings;
    for (int k = 0; k < kReportFieldCount; ++k)
        settings.texts[static_cast<size_t>(k)] = m_edits[static_cast<size_t>(k)]->text();
    const int chosen = m_stiffnessMethod->checkedId();
    settings.stiffnessMethod = chosen >= 0 ? chosen : m_loadedMethod;
    return settings;
}

void TF_ReportSet::save() {
    QString error;
    if (!writeLeafReportSettings(m_applicationFolder, fields(), &error)) prompts().message(error);
}

}  // namespace springtest
