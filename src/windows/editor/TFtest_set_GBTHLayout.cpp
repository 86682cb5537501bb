#include "windows/common/WindowTexts.h"
#include "windows/editor/TFtest_set_GBTH.h"

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
#include <QTableWidget>
#include <QVBoxLayout>

// How the leaf-spring scheme editor is laid out: the name panel on the left, the scheme panel on the right.
namespace springtest {

namespace {

constexpr int kNamePanelWidth_px = TFtest_set_GBTH::kNarrowWidth_px - 16;
constexpr int kRowHeight_px = 22;
constexpr std::array<int, 4> kPointColumnWidths_px{30, 75, 75, 75};
const QStringList kStyles{QStringLiteral("位移-负荷"), QStringLiteral("变形-负荷"),
                          QStringLiteral("负荷-位移"), QStringLiteral("负荷-变形")};
const QString kMillimetres = QStringLiteral("mm");

const QString kEditorNotes = QStringLiteral(
    "1. 新建方案：输入试验方案名，点击“新建方案”，填写基本参数和各检测点的负荷后点击“保存”。\n\n"
    "2. 查看方案：输入已有的试验方案名，点击“查看方案”；点击“修改”后可修改方案，修改完成后点击“保存”，"
    "点击“删除”删除该方案。\n\n"
    "3. 新建批次：输入批次号并选择试验方案名，点击“新建批次”，建立按该方案试验的板簧批次数据库。\n\n"
    "4. 弧高 = 位移 − 弹簧总片厚 − 小车中心高；各检测点的负荷应依次增大。");

QLabel* caption(const QString& text, QWidget* parent, const char* name = nullptr) {
    auto* label = new QLabel(text, parent);
    if (name) label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QLabel* unitLabel(QWidget* parent, const char* name = nullptr, const QString& text = {}) {
    auto* label = new QLabel(text, parent);
    if (name) label->setObjectName(QString::fromLatin1(name));
    label->setMinimumWidth(28);
    return label;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
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

QHBoxLayout* withUnit(QLineEdit* edit, QLabel* unit) {
    auto* row = new QHBoxLayout;
    row->addWidget(edit, 1);
    row->addWidget(unit);
    return row;
}

}  // namespace

QLineEdit* TFtest_set_GBTH::numberEdit(const char* name, const QString& text, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    filterNumberKeys(edit, NumberKeys::OneDecimal);
    return edit;
}

QWidget* TFtest_set_GBTH::buildNamePanel() {
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

    auto* notes = new QGroupBox(QStringLiteral("试 验 设 置 说 明"), panel);
    notes->setObjectName(QStringLiteral("bsSkinGroupBox1"));
    notes->setAlignment(Qt::AlignHCenter);
    auto* notesText = new QLabel(kEditorNotes, notes);
    notesText->setWordWrap(true);
    auto* notesLayout = new QVBoxLayout(notes);
    notesLayout->addWidget(notesText);
    notesLayout->addStretch(1);
    // The standard editor's scheme notes speak of spring kinds, which a leaf spring has not.
    auto* schemeNotes = new QGroupBox(QStringLiteral("方 案 设 置 说 明"), panel);
    schemeNotes->setObjectName(QStringLiteral("bsSkinGroupBox5"));
    schemeNotes->hide();

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(names);
    layout->addLayout(buttons);
    layout->addWidget(notes);
    layout->addWidget(schemeNotes);
    layout->addStretch(1);

    connect(m_newScheme, &QPushButton::clicked, this, &TFtest_set_GBTH::newScheme);
    connect(m_viewScheme, &QPushButton::clicked, this, &TFtest_set_GBTH::viewScheme);
    connect(m_newBatch, &QPushButton::clicked, this, &TFtest_set_GBTH::newBatchDatabase);
    connect(m_schemeName, &QComboBox::currentTextChanged, this, &TFtest_set_GBTH::schemeNameEdited);
    return panel;
}

QWidget* TFtest_set_GBTH::buildSchemePanel() {
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

    connect(m_save, &QPushButton::clicked, this, &TFtest_set_GBTH::saveScheme);
    connect(m_change, &QPushButton::clicked, this, &TFtest_set_GBTH::changeScheme);
    connect(m_cancel, &QPushButton::clicked, this, &TFtest_set_GBTH::cancelScheme);
    connect(m_delete, &QPushButton::clicked, this, &TFtest_set_GBTH::deleteScheme);
    return panel;
}

QGroupBox* TFtest_set_GBTH::buildBasicGroup() {
    auto* group = new QGroupBox(QStringLiteral("基本参数设置"), this);
    group->setObjectName(QStringLiteral("bsSkinGroupBox4"));

    m_pointCount = new QComboBox(group);
    m_pointCount->setObjectName(QStringLiteral("scheme_sum_com"));
    m_pointCount->setEditable(true);
    m_pointCount->setInsertPolicy(QComboBox::NoInsert);
    for (int n = 1; n <= kSchemePoints; ++n) m_pointCount->addItem(QString::number(n));
    m_pointCount->setCurrentIndex(-1);
    filterNumberKeys(m_pointCount, NumberKeys::Count);

    // Stroke and style are fixed for a leaf spring; they stay in the form, out of sight.
    m_schemeStyle = new QComboBox(group);
    m_schemeStyle->setObjectName(QStringLiteral("scheme_style_com"));
    m_schemeStyle->addItems(kStyles);
    m_schemeStyle->setCurrentIndex(kLoadStyle);
    m_schemeStyle->hide();
    caption(QStringLiteral("试验类型："), group, "bsSkinLabel18")->hide();
    m_returnStroke = new QCheckBox(QStringLiteral("回程检测"), group);
    m_returnStroke->setObjectName(QStringLiteral("scheme_jh_checkradiobox"));
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

    connect(m_pointCount, &QComboBox::currentTextChanged, this, &TFtest_set_GBTH::setPointCount);
    connect(m_schemeStyle, &QComboBox::currentIndexChanged, this, &TFtest_set_GBTH::setSchemeStyle);
    connect(m_setLoad, &QLineEdit::textChanged, this, &TFtest_set_GBTH::setLoadEdited);
    return group;
}

QGroupBox* TFtest_set_GBTH::buildPointGroup() {
    auto* group = new QGroupBox(QStringLiteral(" 测试参数设置"), this);
    group->setObjectName(QStringLiteral("bsSkinGroupBox6"));

    m_points = new QTableWidget(1, 4, group);
    m_points->setObjectName(QStringLiteral("schemedata_stringgrid"));
    m_points->horizontalHeader()->hide();
    m_points->verticalHeader()->hide();
    m_points->verticalHeader()->setDefaultSectionSize(kRowHeight_px);
    m_points->setItemDelegate(new NumberCellDelegate(m_points));
    m_points->setSelectionMode(QAbstractItemView::SingleSelection);
    QFont cellFont = m_points->font();
    cellFont.setPixelSize(12);
    m_points->setFont(cellFont);
    m_points->setTextElideMode(Qt::ElideNone);
    m_points->setWordWrap(false);
    int tableWidth = 2 * m_points->frameWidth() + 20;
    for (size_t column = 0; column < kPointColumnWidths_px.size(); ++column) {
        m_points->setColumnWidth(static_cast<int>(column), kPointColumnWidths_px[column]);
        tableWidth += kPointColumnWidths_px[column];
    }
    m_points->setFixedWidth(tableWidth);
    setSchemeStyle(m_schemeStyle->currentIndex());

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
