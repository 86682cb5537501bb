#include "windows/common/WindowTexts.h"
#include "windows/editor/TFtest_set.h"

#include "windows/common/TypingFilters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

// How the scheme editor is laid out: the name panel on the left, the scheme panel on the right.
namespace springtest {

namespace {

constexpr int kNamePanelWidth_px = TFtest_set::kNarrowWidth_px - 16;
constexpr int kRowHeight_px = 22;
const QStringList kStyles{QStringLiteral("位移-负荷"), QStringLiteral("变形-负荷"),
                          QStringLiteral("负荷-位移"), QStringLiteral("负荷-变形")};

const QString kEditorNotes = QStringLiteral(
    "1. 新建方案：输入试验方案名，点击“新建方案”，填写基本参数和测试参数后点击“保存”。\n\n"
    "2. 查看方案：选择试验方案名，点击“查看方案”；点击“修改”后可修改方案，修改完成后点击“保存”，"
    "点击“删除”删除该方案。\n\n"
    "3. 新建批次：输入批次号并选择试验方案名，点击“新建批次”，建立按该方案试验的批次数据库。");
const QString kSchemeNotes = QStringLiteral(
    "1. 选择检测点数后，在表格中依次填写各点的检测值及其上限、下限。\n\n"
    "2. 位移-负荷试验的压簧，各点位移应依次减小；其他情况下各点检测值应依次增大。\n\n"
    "3. 上限不能小于下限，未填写的上限、下限按0处理。\n\n"
    "4. 填写完成后可点击“验证”检查输入的数据。");

QLabel* caption(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    // Enter in a name box must never press a button by itself.
    b->setAutoDefault(false);
    return b;
}

QComboBox* nameBox(const QString& name, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumWidth(220);
    return box;
}

QGroupBox* notesGroup(const QString& name, const QString& title, const QString& text, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    group->setObjectName(name);
    group->setAlignment(Qt::AlignHCenter);
    auto* label = new QLabel(text, group);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(label);
    layout->addStretch(1);
    return group;
}

}  // namespace

QWidget* TFtest_set::buildNamePanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("bsSkinPanel1"));
    panel->setFixedWidth(kNamePanelWidth_px);

    m_batchName = nameBox(QStringLiteral("batch_name_Combo"), panel);
    m_schemeName = nameBox(QStringLiteral("scheme_name_com"), panel);
    auto* names = new QGridLayout;
    names->addWidget(caption(QStringLiteral("批次号："), panel), 0, 0);
    names->addWidget(m_batchName, 0, 1);
    names->addWidget(caption(QStringLiteral("试验方案名："), panel), 1, 0);
    names->addWidget(m_schemeName, 1, 1);
    names->setColumnStretch(1, 1);

    m_newScheme = button(QStringLiteral("New_scheme_button"), QStringLiteral("新建方案"), panel);
    m_viewScheme = button(QStringLiteral("view_scheme_button"), QStringLiteral("查看方案"), panel);
    m_newBatch = button(QStringLiteral("New_batch_button"), QStringLiteral("新建批次"), panel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {m_newScheme, m_viewScheme, m_newBatch}) buttons->addWidget(b);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(names);
    layout->addLayout(buttons);
    // Both explanations stay readable whatever the scheme panel locks.
    layout->addWidget(notesGroup(QStringLiteral("bsSkinGroupBox1"), QStringLiteral("试 验 设 置 说 明"),
                                 kEditorNotes, panel));
    layout->addWidget(notesGroup(QStringLiteral("bsSkinGroupBox5"), QStringLiteral("方 案 设 置 说 明"),
                                 kSchemeNotes, panel));
    layout->addStretch(1);

    connect(m_newScheme, &QPushButton::clicked, this, &TFtest_set::newScheme);
    connect(m_viewScheme, &QPushButton::clicked, this, &TFtest_set::viewScheme);
    connect(m_newBatch, &QPushButton::clicked, this, &TFtest_set::newBatchDatabase);
    // Viewing becomes possible once a name has been typed or chosen, and stays so.
    connect(m_schemeName, &QComboBox::currentTextChanged, this, &TFtest_set::schemeNameEdited);
    return panel;
}

QWidget* TFtest_set::buildSchemePanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("bsSkinPanel2"));
    m_basicGroup = buildBasicGroup();
    m_basicGroup->setParent(panel);
    m_pointGroup = buildPointGroup();
    m_pointGroup->setParent(panel);

    m_save = button(QStringLiteral("save_scheme_button"), kSaveButton, panel);
    m_change = button(QStringLiteral("edit_scheme_button"), QStringLiteral("修改"), panel);
    m_cancel = button(QStringLiteral("cancel_scheme_button"), kCancelButton, panel);
    m_delete = button(QStringLiteral("bsSkinButton2"), kDeleteButton, panel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {m_save, m_change, m_cancel, m_delete}) buttons->addWidget(b);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_basicGroup);
    layout->addWidget(m_pointGroup, 1);
    layout->addLayout(buttons);

    connect(m_save, &QPushButton::clicked, this, &TFtest_set::saveScheme);
    connect(m_change, &QPushButton::clicked, this, &TFtest_set::changeScheme);
    connect(m_cancel, &QPushButton::clicked, this, &TFtest_set::cancelScheme);
    connect(m_delete, &QPushButton::clicked, this, &TFtest_set::deleteScheme);
    return panel;
}

QGroupBox* TFtest_set::buildBasicGroup() {
    auto* group = new QGroupBox(QStringLiteral("基本参数设置"), this);
    group->setObjectName(QStringLiteral("bsSkinGroupBox4"));

    m_pointCount = new QComboBox(group);
    m_pointCount->setObjectName(QStringLiteral("scheme_sum_com"));
    m_pointCount->setEditable(true);
    m_pointCount->setInsertPolicy(QComboBox::NoInsert);
    for (int n = 1; n <= kSchemePoints; ++n) m_pointCount->addItem(QString::number(n));
    m_pointCount->setCurrentIndex(-1);
    filterNumberKeys(m_pointCount, NumberKeys::Count);

    m_schemeStyle = new QComboBox(group);
    m_schemeStyle->setObjectName(QStringLiteral("scheme_style_com"));
    m_schemeStyle->addItems(kStyles);

    m_initialForce = new QLineEdit(QStringLiteral("0.5"), group);
    m_initialForce->setObjectName(QStringLiteral("scheme_load_edit"));
    filterNumberKeys(m_initialForce, NumberKeys::OneDecimal);
    m_forceUnit = new QLabel(group);
    m_forceUnit->setObjectName(QStringLiteral("bsSkinLabel20"));

    m_returnStroke = new QCheckBox(QStringLiteral("回程检测"), group);
    m_returnStroke->setObjectName(QStringLiteral("scheme_jh_checkradiobox"));
    m_compression = new QRadioButton(QStringLiteral("压簧"), group);
    m_compression->setObjectName(QStringLiteral("yx_RadioBox"));
    m_compression->setChecked(true);
    m_tension = new QRadioButton(QStringLiteral("拉簧"), group);
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
    grid->addWidget(caption(QStringLiteral("弹簧类型："), group), 2, 0);
    grid->addLayout(kind, 2, 1);
    grid->addWidget(m_solidHeight, 2, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    connect(m_pointCount, &QComboBox::currentTextChanged, this, &TFtest_set::setPointCount);
    connect(m_schemeStyle, &QComboBox::currentIndexChanged, this, &TFtest_set::setSchemeStyle);
    connect(m_compression, &QRadioButton::toggled, this, &TFtest_set::setSpringKind);
    return group;
}

QGroupBox* TFtest_set::buildPointGroup() {
    auto* group = new QGroupBox(QStringLiteral(" 测试参数设置"), this);
    group->setObjectName(QStringLiteral("bsSkinGroupBox6"));

    // Row 0 holds the headers as ordinary cells, as the operators know the table.
    m_points = new QTableWidget(1, 4, group);
    m_points->setObjectName(QStringLiteral("schemedata_stringgrid"));
    m_points->horizontalHeader()->hide();
    m_points->verticalHeader()->hide();
    m_points->verticalHeader()->setDefaultSectionSize(kRowHeight_px);
    m_points->setItemDelegate(new NumberCellDelegate(m_points));
    m_points->setSelectionMode(QAbstractItemView::SingleSelection);
    // The narrow point-number column must still show its header whole.
    QFont cellFont = m_points->font();
    cellFont.setPixelSize(12);
    m_points->setFont(cellFont);
    m_points->setTextElideMode(Qt::ElideNone);
    m_points->setWordWrap(false);
    int tableWidth = 2 * m_points->frameWidth() + 20;  // room for the scroll bar
    for (int w : kPointColumnWidths_px) tableWidth += w;
    m_points->setFixedWidth(tableWidth);
    setSchemeStyle(m_schemeStyle->currentIndex());

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
