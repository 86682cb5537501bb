#include "windows/editor/TFtest_set_GBTH.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

// How the leaf-spring scheme editor lays out its parameters: the loads and the arc-height geometry.
namespace springtest {

namespace {

const QString kMillimetres = QStringLiteral("mm");

QLabel* unitLabel(QWidget* parent, const char* name = nullptr, const QString& text = {}) {
    auto* label = new QLabel(text, parent);
    if (name) label->setObjectName(QString::fromLatin1(name));
    label->setMinimumWidth(28);
    return label;
}

QHBoxLayout* withUnit(QLineEdit* edit, QLabel* unit) {
    auto* row = new QHBoxLayout;
    row->addWidget(edit, 1);
    row->addWidget(unit);
    return row;
}

}  // namespace

QGroupBox* TFtest_set_GBTH::buildBasicGroup() {
    auto* group = new QGroupBox(QStringLiteral("基本参数设置"), this);
    group->setObjectName(QStringLiteral("bsSkinGroupBox4"));

    pointCountBox(group);

    // Stroke and style are fixed for a leaf spring; they stay in the form, out of sight.
    schemeStyleBox(group);
    m_schemeStyle->setCurrentIndex(kLoadStyle);
    m_schemeStyle->hide();
    caption(QStringLiteral("试验类型："), group, "bsSkinLabel18")->hide();
    returnStrokeBox(group);
    m_returnStroke->setChecked(true);
    m_returnStroke->hide();
    caption(QStringLiteral("回程选择："), group, "bsSkinLabel11")->hide();
    m_returnHeight = numberEdit("scheme_height_edit", QStringLiteral("0.5"), group);
    m_returnHeight->hide();
    caption(QStringLiteral("返回高度"), group, "bsSkinLabel21")->hide();

    m_initialForce = numberEdit("scheme_load_edit", QStringLiteral("0.5"), group);
    m_setLoad = numberEdit("scheme_SDLOAD_edit", QStringLiteral("0"), group);
    m_leafThickness = numberEdit("scheme_th_height_Edit", QStringLiteral("0.5"), group);
    m_carriageHeight = numberEdit("scheme_xc_height_Edit", QStringLiteral("0.5"), group);
    m_mandrelRadius = numberEdit("scheme_xbbj_Edit", QStringLiteral("0.5"), group);
    m_proofLoad = numberEdit("scheme_yyLOAD_edit", QStringLiteral("0"), group);
    m_maxTestLoad = numberEdit("scheme_returnLOAD_edit", QStringLiteral("0"), group);
    for (const char* name : {"bsSkinLabel20", "bsSkinLabel24", "bsSkinLabel32", "bsSkinLabel34"})
        m_loadUnitLabels.append(unitLabel(group, name));

    auto* grid = new QGridLayout(group);
    grid->addWidget(caption(QStringLiteral("检测点数"), group), 0, 0);
    grid->addWidget(m_pointCount, 0, 1);
    grid->addWidget(caption(QStringLiteral("初始力"), group), 0, 2);
    grid->addLayout(withUnit(m_initialForce, m_loadUnitLabels[0]), 0, 3);
    grid->addWidget(caption(QStringLiteral("设定负荷"), group), 1, 0);
    grid->addLayout(withUnit(m_setLoad, m_loadUnitLabels[1]), 1, 1);
    grid->addWidget(caption(QStringLiteral("弹簧总片厚"), group), 1, 2);
    grid->addLayout(withUnit(m_leafThickness, unitLabel(group, nullptr, kMillimetres)), 1, 3);
    grid->addWidget(caption(QStringLiteral("小车中心高"), group), 2, 0);
    grid->addLayout(withUnit(m_carriageHeight, unitLabel(group, nullptr, kMillimetres)), 2, 1);
    grid->addWidget(caption(QStringLiteral("芯棒半径"), group), 2, 2);
    grid->addLayout(withUnit(m_mandrelRadius, unitLabel(group, nullptr, kMillimetres)), 2, 3);
    grid->addWidget(caption(QStringLiteral("验证负荷"), group), 3, 0);
    grid->addLayout(withUnit(m_proofLoad, m_loadUnitLabels[2]), 3, 1);
    grid->addWidget(caption(QStringLiteral("最大试验负荷"), group), 3, 2);
    grid->addLayout(withUnit(m_maxTestLoad, m_loadUnitLabels[3]), 3, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    connect(m_setLoad, &QLineEdit::textChanged, this, &TFtest_set_GBTH::setLoadEdited);
    return group;
}

QGroupBox* TFtest_set_GBTH::buildPointGroup() {
    auto* group = new QGroupBox(QStringLiteral(" 测试参数设置"), this);
    group->setObjectName(QStringLiteral("bsSkinGroupBox6"));

    buildPointTable(group);

    m_check = button(QStringLiteral("bsSkinButton1"), QStringLiteral("验证"), group);
    auto* side = new QVBoxLayout;
    side->addWidget(m_check, 0, Qt::AlignLeft);
    side->addStretch(1);

    auto* layout = new QHBoxLayout(group);
    layout->addWidget(m_points);
    layout->addSpacing(12);
    layout->addLayout(side, 1);

    connect(m_check, &QPushButton::clicked, this, &TFtest_set_GBTH::checkScheme);
    return group;
}

}  // namespace springtest
