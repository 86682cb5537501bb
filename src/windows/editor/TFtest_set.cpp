#include "windows/editor/TFtest_set.h"

#include "platform/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace springtest {

namespace {

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

}  // namespace

TFtest_set::TFtest_set(const QString& applicationFolder, const QString& loadUnits, QWidget* parent)
    : TFtest_set(applicationFolder, loadUnits,
                 {BatchKind::Standard, kEditorNotes, kSchemeNotes, QStringLiteral("弹簧类型："),
                  QStringLiteral("压簧"), QStringLiteral("拉簧")},
                 parent) {
    setObjectName(QStringLiteral("TFtest_set"));
}

TFtest_set::TFtest_set(const QString& applicationFolder, const QString& loadUnits, const Variant& variant,
                       QWidget* parent)
    : SchemeEditorDialog(applicationFolder, {SchemeTable::Standard, variant.batchKind}, parent),
      m_variant(variant) {
    buildWindow(m_variant.editorNotes, m_variant.schemeNotes);
    m_forceUnit->setText(loadUnits);
}

TFtest_set::~TFtest_set() = default;

void TFtest_set::setSpringKind() {
    const bool compression = m_compression->isChecked();
    m_solidHeight->setEnabled(compression);
    if (!compression) m_solidHeight->setChecked(false);
}

SchemeForm TFtest_set::form() const {
    SchemeForm f;
    f.name = m_schemeName->currentText();
    f.style = m_schemeStyle->currentIndex();
    f.returnStroke = m_returnStroke->isChecked();
    f.count = m_pointCount->currentText();
    f.initialForce = m_initialForce->text();
    f.stiffnessMax = m_stiffnessMax->text();
    f.stiffnessMin = m_stiffnessMin->text();
    f.compression = m_compression->isChecked();
    f.solidHeight = m_solidHeight->isChecked();
    f.rows = pointRows();
    return f;
}

std::optional<SchemeEditorDialog::ShownScheme> TFtest_set::showStoredScheme(const QString& name) {
    QString error;
    const std::optional<StoredScheme> found = findStandardScheme(schemeDatabase(), name, &error);
    const std::optional<ShownScheme> shown = showCommonFields(found, error);
    if (shown) {
        m_stiffnessMax->setText(found->scheme.scheme_gangdu_max);
        m_stiffnessMin->setText(found->scheme.scheme_gangdu_min);
        (found->scheme.scheme_type ? m_compression : m_tension)->setChecked(true);
        m_solidHeight->setChecked(found->scheme.scheme_yb);
    }
    return shown;
}

std::optional<QVariantMap> TFtest_set::saveValues() const {
    return schemeSaveValues(form());
}

void TFtest_set::checkScheme() {
    const SchemeForm f = form();
    const SchemeCheckResult result =
        checkSchemePoints(f.style < 0 ? QString() : QString::number(f.style), f.count, f.compression, f.rows);
    prompts().message(result.message);
}

}  // namespace springtest
