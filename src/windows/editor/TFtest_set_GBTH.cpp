#include "windows/editor/TFtest_set_GBTH.h"

#include "platform/NumberEntry.h"
#include "platform/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace springtest {

namespace {

constexpr int kNewPointCount = 3;

const QString kEditorNotes = QStringLiteral(
    "1. 新建方案：输入试验方案名，点击“新建方案”，填写基本参数和各检测点的负荷后点击“保存”。\n\n"
    "2. 查看方案：输入已有的试验方案名，点击“查看方案”；点击“修改”后可修改方案，修改完成后点击“保存”，"
    "点击“删除”删除该方案。\n\n"
    "3. 新建批次：输入批次号并选择试验方案名，点击“新建批次”，建立按该方案试验的板簧批次数据库。\n\n"
    "4. 弧高 = 位移 − 弹簧总片厚 − 小车中心高；各检测点的负荷应依次增大。");

// A typed count past the scheme's points opens no more rows than a scheme can hold; the point numbers are
// shaded like the header row.
const SchemeEditorMachine kLeafSpringMachine{SchemeTable::LeafSpring, BatchKind::LeafSpring, kSchemePoints,
                                             true};

}  // namespace

TFtest_set_GBTH::TFtest_set_GBTH(const QString& applicationFolder, const QString& loadUnits, QWidget* parent)
    : SchemeEditorDialog(applicationFolder, kLeafSpringMachine, parent) {
    setObjectName(QStringLiteral("TFtest_set_GBTH"));
    // The standard editor's scheme notes speak of spring kinds, which a leaf spring has not.
    buildWindow(kEditorNotes, QString());
    for (QLabel* unit : m_loadUnitLabels) unit->setText(loadUnits);
}

TFtest_set_GBTH::~TFtest_set_GBTH() = default;

// Viewing is offered exactly for a name that is there to be viewed.
void TFtest_set_GBTH::schemeNameEdited(const QString& text) {
    QString error;
    const bool exists =
        !text.isEmpty() && schemeExists(schemeDatabase(), SchemeTable::LeafSpring, text, &error);
    m_viewScheme->setEnabled(exists);
}

// The set load is read as a number as soon as it is typed, so a text that is none is told at once.
void TFtest_set_GBTH::setLoadEdited(const QString& text) {
    if (text.isEmpty()) return;
    QString error;
    if (!readFloat(text, &error)) prompts().message(error);
}

LeafSchemeForm TFtest_set_GBTH::form() const {
    LeafSchemeForm f;
    f.name = m_schemeName->currentText();
    f.style = m_schemeStyle->currentIndex();
    f.count = m_pointCount->currentText();
    f.initialForce = m_initialForce->text();
    f.returnHeight = m_returnHeight->text();
    f.setLoad = m_setLoad->text();
    f.leafThickness_mm = m_leafThickness->text();
    f.carriageHeight_mm = m_carriageHeight->text();
    f.mandrelRadius_mm = m_mandrelRadius->text();
    f.proofLoad = m_proofLoad->text();
    f.maxTestLoad = m_maxTestLoad->text();
    f.rows = pointRows();
    return f;
}

std::optional<SchemeEditorDialog::ShownScheme> TFtest_set_GBTH::showStoredScheme(const QString& name) {
    QString error;
    const std::optional<StoredLeafSpringScheme> found = findLeafSpringScheme(schemeDatabase(), name, &error);
    const std::optional<ShownScheme> shown = showCommonFields(found, error);
    if (shown) {
        const LeafSpringScheme& scheme = found->scheme;
        m_returnHeight->setText(scheme.scheme_height);
        m_setLoad->setText(scheme.scheme_sdload);
        m_leafThickness->setText(scheme.scheme_th_height);
        m_carriageHeight->setText(scheme.scheme_xc_height);
        m_mandrelRadius->setText(scheme.scheme_xbbj);
        m_proofLoad->setText(scheme.scheme_yyload);
        m_maxTestLoad->setText(scheme.scheme_returnLOAD);
    }
    return shown;
}

std::optional<QVariantMap> TFtest_set_GBTH::saveValues() const {
    return leafSchemeSaveValues(form());
}

void TFtest_set_GBTH::prepareNewScheme() {
    m_schemeStyle->setCurrentIndex(kLoadStyle);
    setSchemeStyle(kLoadStyle);
    m_pointCount->setCurrentIndex(kNewPointCount - 1);
    m_pointCount->setEditText(QString::number(kNewPointCount));
    m_returnStroke->setChecked(true);
}

// A leaf spring has no spring kind: style 0 takes decreasing heights, every other style increasing values,
// which is the standard rule for a compression spring.
void TFtest_set_GBTH::checkScheme() {
    const LeafSchemeForm f = form();
    const SchemeCheckResult result =
        checkSchemePoints(f.style < 0 ? QString() : QString::number(f.style), f.count, true, f.rows);
    prompts().message(result.message);
}

}  // namespace springtest
