#include "windows/editor/TFtest_set_HXGD.h"

#include "storage/LateralSchemeKind.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

namespace springtest {

namespace {

const QString kEditorNotes = QStringLiteral(
    "1. "
    "新建方案：输入试验方案名，点击“新建方案”，选择轴向或横向试验，填写基本参数和测试参数后点击“保存”。\n\n"
    "2. 查看方案：选择试验方案名，点击“查看方案”；点击“修改”后可修改方案，修改完成后点击“保存”，"
    "点击“删除”删除该方案。\n\n"
    "3. 新建批次：输入批次号并选择试验方案名，点击“新建批次”，建立按该方案试验的横向刚度批次数据库。");
const QString kSchemeNotes = QStringLiteral(
    "1. 轴向试验只检测进程；横向试验向两个方向推动弹簧，检测进程和回程。\n\n"
    "2. 横向试验只能选择变形-负荷或负荷-变形试验类型。\n\n"
    "3. 位移-负荷的轴向试验，各点位移应依次减小；其他情况下各点检测值应依次增大。\n\n"
    "4. 上限不能小于下限，未填写的上限、下限按0处理。填写完成后可点击“验证”检查输入的数据。");

}  // namespace

TFtest_set_HXGD::TFtest_set_HXGD(const QString& applicationFolder, const QString& loadUnits, QWidget* parent)
    : TFtest_set(
          applicationFolder, loadUnits,
          {BatchKind::Lateral, kEditorNotes, kSchemeNotes, QStringLiteral("试验方式："),
           lateralKindCaption(LateralSchemeKind::Axial), lateralKindCaption(LateralSchemeKind::Lateral)},
          parent) {
    setObjectName(QStringLiteral("TFtest_set_HXGD"));
    // The kind decides both; the operator chooses the kind.
    m_returnStroke->hide();
    m_solidHeight->hide();
    connect(m_compression, &QRadioButton::toggled, this, &TFtest_set_HXGD::setTestKind);
    connect(m_schemeStyle, &QComboBox::currentIndexChanged, this, &TFtest_set_HXGD::offerKindsForStyle);
    setTestKind();
    offerKindsForStyle(m_schemeStyle->currentIndex());
}

TFtest_set_HXGD::~TFtest_set_HXGD() = default;

void TFtest_set_HXGD::setTestKind() {
    if (m_showingStored) return;
    const LateralSchemeKind kind =
        m_compression->isChecked() ? LateralSchemeKind::Axial : LateralSchemeKind::Lateral;
    m_returnStroke->setChecked(lateralKindStrokes(kind) == 2);
}

// A lateral choice the new style does not allow falls back to axial, so what is saved is always what the
// radio pair could offer for the style shown.
void TFtest_set_HXGD::offerKindsForStyle(int style) {
    const bool lateralAllowed = lateralKindAllowsStyle(LateralSchemeKind::Lateral, style);
    if (!lateralAllowed && m_tension->isChecked()) m_compression->setChecked(true);
    m_tension->setEnabled(lateralAllowed);
    m_compression->setEnabled(true);
}

// A stored scheme is shown as it was stored, its strokes included, even where another program chose them
// otherwise than its kind would: selecting the stored kind must not rewrite them.
std::optional<SchemeEditorDialog::ShownScheme> TFtest_set_HXGD::showStoredScheme(const QString& name) {
    m_showingStored = true;
    const std::optional<ShownScheme> shown = TFtest_set::showStoredScheme(name);
    m_showingStored = false;
    return shown;
}

}  // namespace springtest
