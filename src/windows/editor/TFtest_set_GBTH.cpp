#include "windows/editor/TFtest_set_GBTH.h"

#include "platform/NumberEntry.h"
#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "storage/Batch.h"
#include "storage/Schema.h"
#include "windows/common/TypingFilters.h"
#include "windows/common/WindowTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace springtest {

namespace {

constexpr int kDefaultHeight_px = 560;
constexpr int kNewPointCount = 3;

}  // namespace

TFtest_set_GBTH::TFtest_set_GBTH(const QString& applicationFolder, const QString& loadUnits, QWidget* parent)
    : QDialog(parent), m_applicationFolder(applicationFolder) {
    setObjectName(QStringLiteral("TFtest_set_GBTH"));
    setWindowTitle(kTestSettingsTitle);

    auto* wheelGuard = new WheelGuard(this);
    QWidget* namePanel = buildNamePanel();
    m_schemePanel = buildSchemePanel();
    for (QComboBox* box : {m_batchName, m_schemeName, m_pointCount, m_schemeStyle}) wheelGuard->guard(box);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(10);
    layout->addWidget(namePanel, 0, Qt::AlignTop);
    layout->addWidget(m_schemePanel, 1);

    for (QLabel* unit : m_loadUnitLabels) unit->setText(loadUnits);
    m_schemePanel->hide();
    setFixedWidth(kNarrowWidth_px);
    resize(kNarrowWidth_px, kDefaultHeight_px);

    QString error;
    const QStringList names = schemeNames(schemeDatabase(), SchemeTable::LeafSpring, &error);
    if (!error.isEmpty()) prompts().message(error);
    m_schemeName->addItems(names);
    m_schemeName->setCurrentIndex(-1);
    m_schemeName->setEditText(QString());
    m_viewScheme->setEnabled(false);
}

TFtest_set_GBTH::~TFtest_set_GBTH() = default;

QString TFtest_set_GBTH::schemeDatabase() const {
    return schemeDatabasePath(m_applicationFolder);
}

QString TFtest_set_GBTH::cell(int row, int column) const {
    const QTableWidgetItem* item = m_points->item(row, column);
    return item ? item->text() : QString();
}

void TFtest_set_GBTH::setCell(int row, int column, const QString& text) {
    QTableWidgetItem* item = m_points->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        m_points->setItem(row, column, item);
    }
    item->setText(text);
}

// The first row and the first column are headers: shown like one and never edited.
void TFtest_set_GBTH::setHeaderCell(int row, int column, const QString& text) {
    setCell(row, column, text);
    QTableWidgetItem* item = m_points->item(row, column);
    item->setFlags(Qt::ItemIsEnabled);
    item->setTextAlignment(Qt::AlignCenter);
    item->setBackground(palette().color(QPalette::Button));
}

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

void TFtest_set_GBTH::setPointCount(const QString& text) {
    bool ok = false;
    const int count = std::clamp(text.trimmed().toInt(&ok), 0, kSchemePoints);
    const int oldRows = m_points->rowCount();
    m_points->setRowCount((ok ? count : 0) + 1);
    for (int row = oldRows; row < m_points->rowCount(); ++row) {
        for (int column = 1; column < 4; ++column) setCell(row, column, QString());
    }
    for (int row = 1; row < m_points->rowCount(); ++row) setHeaderCell(row, 0, QString::number(row));
}

void TFtest_set_GBTH::setSchemeStyle(int style) {
    const QStringList headers = pointTableHeaders(style);
    for (int column = 0; column < 4; ++column)
        setHeaderCell(0, column, column < headers.size() ? headers[column] : QString());
}

void TFtest_set_GBTH::setTableEditable(bool editable) {
    m_points->setEditTriggers(editable
                                  ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                        QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                                  : QAbstractItemView::NoEditTriggers);
}

void TFtest_set_GBTH::openSchemePanel() {
    if (!m_schemePanel->isHidden()) return;
    setFixedWidth(kWideWidth_px);
    m_schemePanel->show();
    move(10, y());
}

void TFtest_set_GBTH::enter(EditorState state) {
    m_state = state;
    switch (state) {
        case EditorState::Idle:
            m_schemeName->setEnabled(true);
            break;
        case EditorState::New:
            m_schemeName->setEnabled(false);
            m_change->setEnabled(false);
            m_basicGroup->setEnabled(true);
            m_pointGroup->setEnabled(true);
            setTableEditable(true);
            m_save->setEnabled(true);
            break;
        case EditorState::Viewing:
            m_schemeName->setEnabled(true);
            m_save->setEnabled(false);
            m_change->setEnabled(true);
            m_basicGroup->setEnabled(false);
            m_pointGroup->setEnabled(false);
            setTableEditable(false);
            break;
        case EditorState::Changing:
            m_schemePanel->setEnabled(true);
            m_basicGroup->setEnabled(true);
            m_pointGroup->setEnabled(true);
            m_change->setEnabled(false);
            m_save->setEnabled(true);
            setTableEditable(true);
            break;
        case EditorState::Saved:
            m_change->setEnabled(true);
            m_save->setEnabled(false);
            setTableEditable(false);
            m_schemeName->setEnabled(true);
            m_basicGroup->setEnabled(false);
            break;
    }
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
    for (int row = 1; row < m_points->rowCount(); ++row)
        f.rows.append({cell(row, 1), cell(row, 2), cell(row, 3)});
    return f;
}

bool TFtest_set_GBTH::fillForm(const LeafSpringScheme& scheme) {
    const int count = scheme.scheme_sum.trimmed().toInt();
    const int style = scheme.scheme_style.trimmed().toInt();
    if (count < 1 || count > kSchemePoints || style < 0 || style >= m_schemeStyle->count()) return false;
    m_returnStroke->setChecked(scheme.scheme_jh == 2);
    m_pointCount->setCurrentIndex(count - 1);
    m_pointCount->setEditText(QString::number(count));
    m_schemeStyle->setCurrentIndex(style);
    setSchemeStyle(style);
    m_initialForce->setText(scheme.scheme_load);
    m_returnHeight->setText(scheme.scheme_height);
    m_setLoad->setText(scheme.scheme_sdload);
    m_leafThickness->setText(scheme.scheme_th_height);
    m_carriageHeight->setText(scheme.scheme_xc_height);
    m_mandrelRadius->setText(scheme.scheme_xbbj);
    m_proofLoad->setText(scheme.scheme_yyload);
    m_maxTestLoad->setText(scheme.scheme_returnLOAD);
    for (int k = 1; k <= count; ++k) {
        const SchemePoint& p = scheme.points[static_cast<size_t>(k - 1)];
        setCell(k, 1, p.value);
        setCell(k, 2, p.max);
        setCell(k, 3, p.min);
    }
    return true;
}

void TFtest_set_GBTH::newScheme() {
    const QString name = m_schemeName->currentText();
    if (name.isEmpty()) {
        prompts().message(kNoSchemeName);
        return;
    }
    QString error;
    if (schemeExists(schemeDatabase(), SchemeTable::LeafSpring, name, &error)) {
        prompts().message(kSchemeNameTaken);
        return;
    }
    if (!error.isEmpty()) {
        prompts().message(error);
        return;
    }
    openSchemePanel();
    m_schemeStyle->setCurrentIndex(kLoadStyle);
    setSchemeStyle(kLoadStyle);
    m_pointCount->setCurrentIndex(kNewPointCount - 1);
    m_pointCount->setEditText(QString::number(kNewPointCount));
    m_returnStroke->setChecked(true);
    m_rowMode = RowMode::Appending;
    m_rowId.reset();
    enter(EditorState::New);
}

void TFtest_set_GBTH::viewScheme() {
    const QString name = m_schemeName->currentText();
    if (name.isEmpty()) {
        prompts().message(kNoSchemeName);
        return;
    }
    QString error;
    const std::optional<StoredLeafSpringScheme> found = findLeafSpringScheme(schemeDatabase(), name, &error);
    if (!found) {
        prompts().message(error.isEmpty() ? kNoSuchScheme : error);
        return;
    }
    // The stored count and style are read as integers; a row that holds anything else cannot be shown.
    for (const QString& number : {found->scheme.scheme_sum, found->scheme.scheme_style}) {
        if (QString why; !readInteger(number, &why)) {
            prompts().message(why);
            return;
        }
    }
    if (!fillForm(found->scheme)) {
        prompts().message(kSchemeReadFailed);
        return;
    }
    m_rowMode = RowMode::None;
    m_rowId = found->rowId;
    m_rowName = found->scheme.scheme_name;
    openSchemePanel();
    enter(EditorState::Viewing);
}

void TFtest_set_GBTH::changeScheme() {
    if (m_rowId) m_rowMode = RowMode::Editing;
    enter(EditorState::Changing);
}

void TFtest_set_GBTH::saveScheme() {
    const LeafSchemeForm f = form();
    const std::optional<QVariantMap> values = leafSchemeSaveValues(f);
    bool stored = false;
    if (values && m_rowMode == RowMode::Appending) {
        const std::optional<qint64> id = appendSchemeRow(schemeDatabase(), SchemeTable::LeafSpring, *values);
        if (id) m_rowId = id;
        stored = id.has_value();
    } else if (values && m_rowMode == RowMode::Editing && m_rowId) {
        stored = updateSchemeRow(schemeDatabase(), SchemeTable::LeafSpring, *m_rowId, *values);
    }
    if (!stored) {
        prompts().message(kSchemeNotSaved);
        return;
    }
    m_rowMode = RowMode::None;
    m_rowName = f.name;
    enter(EditorState::Saved);
    prompts().message(kSchemeSaved);
}

void TFtest_set_GBTH::cancelScheme() {
    if (m_rowMode == RowMode::Appending) m_rowMode = RowMode::None;
    setFixedWidth(kNarrowWidth_px);
    m_schemePanel->hide();
    enter(EditorState::Idle);
}

void TFtest_set_GBTH::deleteScheme() {
    if (m_rowMode != RowMode::Appending && m_rowId) {
        QString error;
        if (!deleteSchemeRow(schemeDatabase(), SchemeTable::LeafSpring, *m_rowId, &error)) {
            prompts().message(error);
            return;
        }
        const QString typed = m_schemeName->currentText();
        const int index = m_schemeName->findText(m_rowName, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0) {
            m_schemeName->removeItem(index);
            m_schemeName->setCurrentIndex(-1);
            m_schemeName->setEditText(typed);
        }
    }
    m_rowId.reset();
    m_rowMode = RowMode::None;
    cancelScheme();
}

// A leaf spring has no spring kind: style 0 takes decreasing heights, every other style increasing values,
// which is the standard rule for a compression spring.
void TFtest_set_GBTH::checkScheme() {
    const LeafSchemeForm f = form();
    const SchemeCheckResult result =
        checkSchemePoints(f.style < 0 ? QString() : QString::number(f.style), f.count, true, f.rows);
    prompts().message(result.message);
}

void TFtest_set_GBTH::newBatchDatabase() {
    const BatchOutcome outcome =
        newBatch(m_applicationFolder, BatchKind::LeafSpring, m_batchName->currentText(),
                 m_schemeName->currentText(), [](const QString& caption, const QString& question) {
                     return prompts().question(question, caption, PromptIcon::Stop);
                 });
    for (const QString& message : outcome.messages) prompts().message(message);
}

}  // namespace springtest
