#include "windows/editor/TFtest_set.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

// How the standard scheme editor lays out its parameters: spring kind, solid height and stiffness limits.
namespace springtest {

QGroupBox* TFtest_set::buildBasicGroup() {
    auto* group = new QGroupBox(QStringLiteral("基本参数设置"), this);
    group->setObjectName(QStringLiteral("bsSkinGroupBox4"));

    pointCountBox(group);
    schemeStyleBox(group);

    m_initialForce = numberEdit("scheme_load_edit", QStringLiteral("0.5"), group);
    m_forceUnit = new QLabel(group);
    m_forceUnit->setObjectName(QStringLiteral("bsSkinLabel20"));

    returnStrokeBox(group);
    m_compression = new QRadioButton(m_variant.firstKind, group);
    m_compression->setObjectName(QStringLiteral("yx_RadioBox"));
    m_compression->setChecked(true);
    m_tension = new QRadioButton(m_variant.secondKind, group);
    m_tension->setObjectName(QStringLiteral("lx_RadioBox"));
    m_solidHeight = new QCheckBox(QStringLiteral("是否压并"), group);
    m_solidHeight->setObjectName(QStringLiteral("YB_CheckBox"));

    auto* force = new QHBoxLayout;
    force->addWidget(m_initialForce, 1);
    force->addWidget(m_forceUnit);
    auto* kind = new QHBoxLayout;
    kind->addWidget(m_compression);
    kind->addWidget(m_tension);
    kind->addStretch(1);

    auto* grid = new QGridLayout(group);
    grid->addWidget(caption(QStringLiteral("检测点数："), group), 0, 0);
    grid->addWidget(m_pointCount, 0, 1);
    grid->addWidget(caption(QStringLiteral("试验类型："), group), 0, 2);
    grid->addWidget(m_schemeStyle, 0, 3);
    grid->addWidget(caption(QStringLiteral("初始力："), group), 1, 0);
    grid->addLayout(force, 1, 1);
    grid->addWidget(m_returnStroke, 1, 3);
    grid->addWidget(caption(m_variant.kindCaption, group), 2, 0);
    grid->addLayout(kind, 2, 1);
    grid->addWidget(m_solidHeight, 2, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    connect(m_compression, &QRadioButton::toggled, this, &TFtest_set::setSpringKind);
    return group;
}

QGroupBox* TFtest_set::buildPointGroup() {
    auto* group = new QGroupBox(QStringLiteral(" 测试参数设置"), this);
    group->setObjectName(QStringLiteral("bsSkinGroupBox6"));
    buildPointTable(group);

    m_stiffnessMax = new QLineEdit(QStringLiteral("0"), group);
    m_stiffnessMax->setObjectName(QStringLiteral("scheme_gangdu_max_edit"));
    m_stiffnessMin = new QLineEdit(QStringLiteral("0"), group);
    m_stiffnessMin->setObjectName(QStringLiteral("scheme_gangdu_min_edit"));
    m_check = button(QStringLiteral("bsSkinButton1"), QStringLiteral("验证"), group);

    auto* stiffness = new QGridLayout;
    stiffness->addWidget(caption(QStringLiteral("刚度上限："), group), 0, 0);
    stiffness->addWidget(m_stiffnessMax, 0, 1);
    stiffness->addWidget(caption(QStringLiteral("刚度下限："), group), 1, 0);
    stiffness->addWidget(m_stiffnessMin, 1, 1);
    stiffness->addWidget(m_check, 2, 1, Qt::AlignRight);

    auto* side = new QVBoxLayout;
    side->addLayout(stiffness);
    side->addStretch(1);

    auto* layout = new QHBoxLayout(group);
    layout->addWidget(m_points);
    layout->addSpacing(12);
    layout->addLayout(side, 1);

    connect(m_check, &QPushButton::clicked, this, &TFtest_set::checkScheme);
    return group;
}

}  // namespace springtest
