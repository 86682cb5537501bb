#include "windows/common/WindowTexts.h"
#include "windows/editor/SchemeEditorDialog.h"

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

// How every scheme editor is laid out: the name panel on the left, the scheme panel on the right.
namespace springtest {

namespace {

constexpr int kNamePanelWidth_px = SchemeEditorDialog::kNarrowWidth_px - 16;
constexpr int kRowHeight_px = 22;
const QStringList kStyles{QStringLiteral("位移-负荷"), QStringLiteral("变形-负荷"),
                          QStringLiteral("负荷-位移"), QStringLiteral("负荷-变形")};

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

QLabel* SchemeEditorDialog::caption(const QString& text, QWidget* parent, const char* name) {
    auto* label = new QLabel(text, parent);
    if (name) label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

QPushButton* SchemeEditorDialog::button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    // Enter in a name box must never press a button by itself.
    b->setAutoDefault(false);
    return b;
}

QLineEdit* SchemeEditorDialog::numberEdit(const char* name, const QString& text, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(QString::fromLatin1(name));
    filterNumberKeys(edit, NumberKeys::OneDecimal);
    return edit;
}

QWidget* SchemeEditorDialog::buildNamePanel(const QString& editorNotes, const QString& schemeNotes) {
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
                                 editorNotes, panel));
    QGroupBox* schemeNotesGroup = notesGroup(QStringLiteral("bsSkinGroupBox5"),
                                             QStringLiteral("方 案 设 置 说 明"), schemeNotes, panel);
    if (schemeNotes.isEmpty()) schemeNotesGroup->hide();
    layout->addWidget(schemeNotesGroup);
    layout->addStretch(1);

    connect(m_newScheme, &QPushButton::clicked, this, &SchemeEditorDialog::newScheme);
    connect(m_viewScheme, &QPushButton::clicked, this, &SchemeEditorDialog::viewScheme);
    connect(m_newBatch, &QPushButton::clicked, this, &SchemeEditorDialog::newBatchDatabase);
    connect(m_schemeName, &QComboBox::currentTextChanged, this, &SchemeEditorDialog::schemeNameEdited);
    return panel;
}

QWidget* SchemeEditorDialog::buildSchemePanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("bsSkinPanel2"));
    m_basicGroup = buildBasicGroup();
    m_basicGroup->setParent(panel);
    m_pointGroup = buildPointGroup();
    m_pointGroup->setParent(panel);
    // Connected once the table is there to follow them.
    connect(m_pointCount, &QComboBox::currentTextChanged, this, &SchemeEditorDialog::setPointCount);
    connect(m_schemeStyle, &QComboBox::currentIndexChanged, this, &SchemeEditorDialog::setSchemeStyle);

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

    connect(m_save, &QPushButton::clicked, this, &SchemeEditorDialog::saveScheme);
    connect(m_change, &QPushButton::clicked, this, &SchemeEditorDialog::changeScheme);
    connect(m_cancel, &QPushButton::clicked, this, &SchemeEditorDialog::cancelScheme);
    connect(m_delete, &QPushButton::clicked, this, &SchemeEditorDialog::deleteScheme);
    return panel;
}

void SchemeEditorDialog::pointCountBox(QWidget* parent) {
    m_pointCount = new QComboBox(parent);
    m_pointCount->setObjectName(QStringLiteral("scheme_sum_com"));
    m_pointCount->setEditable(true);
    m_pointCount->setInsertPolicy(QComboBox::NoInsert);
    for (int n = 1; n <= kSchemePoints; ++n) m_pointCount->addItem(QString::number(n));
    m_pointCount->setCurrentIndex(-1);
    filterNumberKeys(m_pointCount, NumberKeys::Count);
}

void SchemeEditorDialog::schemeStyleBox(QWidget* parent) {
    m_schemeStyle = new QComboBox(parent);
    m_schemeStyle->setObjectName(QStringLiteral("scheme_style_com"));
    m_schemeStyle->addItems(kStyles);
}

void SchemeEditorDialog::returnStrokeBox(QWidget* parent) {
    m_returnStroke = new QCheckBox(QStringLiteral("回程检测"), parent);
    m_returnStroke->setObjectName(QStringLiteral("scheme_jh_checkradiobox"));
}

void SchemeEditorDialog::buildPointTable(QWidget* parent) {
    // Row 0 holds the headers as ordinary cells, as the operators know the table.
    m_points = new QTableWidget(1, 4, parent);
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
    for (size_t column = 0; column < kPointColumnWidths_px.size(); ++column) {
        m_points->setColumnWidth(static_cast<int>(column), kPointColumnWidths_px[column]);
        tableWidth += kPointColumnWidths_px[column];
    }
    m_points->setFixedWidth(tableWidth);
    setSchemeStyle(m_schemeStyle->currentIndex());
}

}  // namespace springtest
