#include "windows/editor/TFtest_set.h"

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
#include <QRadioButton>
#include <QTableWidget>

namespace springtest {

namespace {

constexpr int kDefaultHeight_px = 560;

// What the run-time library says when a stored number is no integer.
QString notAnInteger(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

}  // namespace

TFtest_set::TFtest_set(const QString& applicationFolder, const QString& loadUnits, QWidget* parent)
    : QDialog(parent), m_applicationFolder(applicationFolder) {
    setObjectName(QStringLiteral("TFtest_set"));
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

    m_forceUnit->setText(loadUnits);
    m_schemePanel->hide();
    setFixedWidth(kNarrowWidth_px);
    resize(kNarrowWidth_px, kDefaultHeight_px);

    QString error;
    const QStringList names = schemeNames(schemeDatabase(), SchemeTable::Standard, &error);
    if (!error.isEmpty()) prompts().message(error);
    m_schemeName->addItems(names);
    m_schemeName->setCurrentIndex(-1);
    m_schemeName->setEditText(QString());
    // Filling the list is no name of the operator's.
    m_viewScheme->setEnabled(false);
}

TFtest_set::~TFtest_set() = default;

QString TFtest_set::schemeDatabase() const {
    return schemeDatabasePath(m_applicationFolder);
}

QString TFtest_set::cell(int row, int column) const {
    const QTableWidgetItem* item = m_points->item(row, column);
    return item ? item->text() : QString();
}

void TFtest_set::setCell(int row, int column, const QString& text) {
    QTableWidgetItem* item = m_points->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        m_points->setItem(row, column, item);
    }
    item->setText(text);
}

void TFtest_set::schemeNameEdited(const QString& text) {
    if (!text.isEmpty()) m_viewScheme->setEnabled(true);
}

void TFtest_set::setPointCount(const QString& text) {
    bool ok = false;
    const int count = std::max(0, text.trimmed().toInt(&ok));
    const int oldRows = m_points->rowCount();
    m_points->setRowCount((ok ? count : 0) + 1);
    for (int row = oldRows; row < m_points->rowCount(); ++row) {
        for (int column = 1; column < 4; ++column) setCell(row, column, QString());
    }
    for (int row = 1; row < m_points->rowCount(); ++row) {
        setCell(row, 0, QString::number(row));
        m_points->item(row, 0)->setFlags(Qt::ItemIsEnabled);
        m_points->item(row, 0)->setTextAlignment(Qt::AlignCenter);
    }
}

void TFtest_set::setSchemeStyle(int style) {
    for (int column = 0; column < 4; ++column)
        m_points->setColumnWidth(column, kPointColumnWidths_px[static_cast<size_t>(column)]);
    const QStringList headers = pointTableHeaders(style);
    for (int column = 0; column < 4; ++column) {
        setCell(0, column, column < headers.size() ? headers[column] : QString());
        QTableWidgetItem* item = m_points->item(0, column);
        item->setFlags(Qt::ItemIsEnabled);
        item->setTextAlignment(Qt::AlignCenter);
        item->setBackground(palette().color(QPalette::Button));
    }
}

void TFtest_set::setSpringKind() {
    const bool compression = m_compression->isChecked();
    m_solidHeight->setEnabled(compression);
    if (!compression) m_solidHeight->setChecked(false);
}

void TFtest_set::setTableEditable(bool editable) {
    m_points->setEditTriggers(editable
                                  ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                        QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                                  : QAbstractItemView::NoEditTriggers);
}

void TFtest_set::openSchemePanel() {
    if (!m_schemePanel->isHidden()) return;
    setFixedWidth(kWideWidth_px);
    m_schemePanel->show();
    move(10, y());
}

void TFtest_set::enter(EditorState state) {
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
    for (int row = 1; row < m_points->rowCount(); ++row)
        f.rows.append({cell(row, 1), cell(row, 2), cell(row, 3)});
    return f;
}

bool TFtest_set::fillForm(const StandardScheme& scheme) {
    const int count = scheme.scheme_sum.trimmed().toInt();
    const int style = scheme.scheme_style.trimmed().toInt();
    if (count < 1 || count > kSchemePoints || style < 0 || style >= m_schemeStyle->count()) return false;
    m_returnStroke->setChecked(scheme.scheme_jh == 2);
    m_pointCount->setCurrentIndex(count - 1);
    m_pointCount->setEditText(QString::number(count));
    m_schemeStyle->setCurrentIndex(style);
    setSchemeStyle(style);
    m_initialForce->setText(scheme.scheme_load);
    m_stiffnessMax->setText(scheme.scheme_gangdu_max);
    m_stiffnessMin->setText(scheme.scheme_gangdu_min);
    (scheme.scheme_type ? m_compression : m_tension)->setChecked(true);
    m_solidHeight->setChecked(scheme.scheme_yb);
    for (int k = 1; k <= count; ++k) {
        const SchemePoint& p = scheme.points[static_cast<size_t>(k - 1)];
        setCell(k, 1, p.value);
        setCell(k, 2, p.max);
        setCell(k, 3, p.min);
    }
    return true;
}

void TFtest_set::newScheme() {
    const QString name = m_schemeName->currentText();
    if (name.isEmpty()) {
        prompts().message(kNoSchemeName);
        return;
    }
    QString error;
    if (schemeExists(schemeDatabase(), SchemeTable::Standard, name, &error)) {
        prompts().message(kSchemeNameTaken);
        return;
    }
    if (!error.isEmpty()) {
        prompts().message(error);
        return;
    }
    openSchemePanel();
    m_rowMode = RowMode::Appending;
    m_rowId.reset();
    enter(EditorState::New);
}

void TFtest_set::viewScheme() {
    const QString name = m_schemeName->currentText();
    if (name.isEmpty()) {
        prompts().message(kNoSchemeName);
        return;
    }
    QString error;
    const std::optional<StoredScheme> found = findStandardScheme(schemeDatabase(), name, &error);
    if (!found) {
        prompts().message(error.isEmpty() ? kNoSuchScheme : error);
        return;
    }
    // The stored count and style are read as integers; a row that holds anything else cannot be shown.
    for (const QString& number : {found->scheme.scheme_sum, found->scheme.scheme_style}) {
        bool ok = false;
        number.trimmed().toInt(&ok);
        if (!ok) {
            prompts().message(notAnInteger(number));
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

void TFtest_set::changeScheme() {
    if (m_rowId) m_rowMode = RowMode::Editing;
    enter(EditorState::Changing);
}

void TFtest_set::saveScheme() {
    const SchemeForm f = form();
    const std::optional<QVariantMap> values = schemeSaveValues(f);
    bool stored = false;
    if (values && m_rowMode == RowMode::Appending) {
        const std::optional<qint64> id = appendSchemeRow(schemeDatabase(), SchemeTable::Standard, *values);
        if (id) m_rowId = id;
        stored = id.has_value();
    } else if (values && m_rowMode == RowMode::Editing && m_rowId) {
        stored = updateSchemeRow(schemeDatabase(), SchemeTable::Standard, *m_rowId, *values);
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

void TFtest_set::cancelScheme() {
    // A new scheme that was never saved simply goes: nothing was written for it.
    if (m_rowMode == RowMode::Appending) m_rowMode = RowMode::None;
    setFixedWidth(kNarrowWidth_px);
    m_schemePanel->hide();
    enter(EditorState::Idle);
}

void TFtest_set::deleteScheme() {
    if (m_rowMode != RowMode::Appending && m_rowId) {
        QString error;
        if (!deleteSchemeRow(schemeDatabase(), SchemeTable::Standard, *m_rowId, &error)) {
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

void TFtest_set::checkScheme() {
    const SchemeForm f = form();
    const SchemeCheckResult result =
        checkSchemePoints(f.style < 0 ? QString() : QString::number(f.style), f.count, f.compression, f.rows);
    prompts().message(result.message);
}

void TFtest_set::newBatchDatabase() {
    const BatchOutcome outcome =
        newBatch(m_applicationFolder, BatchKind::Standard, m_batchName->currentText(),
                 m_schemeName->currentText(), [](const QString& caption, const QString& question) {
                     return prompts().question(question, caption, PromptIcon::Stop);
                 });
    for (const QString& message : outcome.messages) prompts().message(message);
}

}  // namespace springtest
