#include "windows/editor/SchemeEditorDialog.h"

#include "platform/OperatorTexts.h"
#include "platform/Prompts.h"
#include "storage/Schema.h"
#include "windows/common/TypingFilters.h"
#include "windows/common/WindowTexts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace springtest {

namespace {

constexpr int kDefaultHeight_px = 560;

// What the run-time library says when a stored number is no integer.
QString notAnInteger(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

}  // namespace

SchemeEditorDialog::SchemeEditorDialog(const QString& applicationFolder, const SchemeEditorMachine& machine,
                                       QWidget* parent)
    : QDialog(parent), m_applicationFolder(applicationFolder), m_machine(machine) {
    setWindowTitle(kTestSettingsTitle);
}

SchemeEditorDialog::~SchemeEditorDialog() = default;

void SchemeEditorDialog::buildWindow(const QString& editorNotes, const QString& schemeNotes) {
    auto* wheelGuard = new WheelGuard(this);
    QWidget* namePanel = buildNamePanel(editorNotes, schemeNotes);
    m_schemePanel = buildSchemePanel();
    for (QComboBox* box : {m_batchName, m_schemeName, m_pointCount, m_schemeStyle}) wheelGuard->guard(box);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(10);
    layout->addWidget(namePanel, 0, Qt::AlignTop);
    layout->addWidget(m_schemePanel, 1);

    m_schemePanel->hide();
    setFixedWidth(kNarrowWidth_px);
    resize(kNarrowWidth_px, kDefaultHeight_px);

    QString error;
    const QStringList names = schemeNames(schemeDatabase(), m_machine.table, &error);
    if (!error.isEmpty()) prompts().message(error);
    m_schemeName->addItems(names);
    m_schemeName->setCurrentIndex(-1);
    m_schemeName->setEditText(QString());
    // Filling the list is no name of the operator's.
    m_viewScheme->setEnabled(false);
}

QString SchemeEditorDialog::schemeDatabase() const {
    return schemeDatabasePath(m_applicationFolder);
}

QString SchemeEditorDialog::cell(int row, int column) const {
    const QTableWidgetItem* item = m_points->item(row, column);
    return item ? item->text() : QString();
}

void SchemeEditorDialog::setCell(int row, int column, const QString& text) {
    QTableWidgetItem* item = m_points->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        m_points->setItem(row, column, item);
    }
    item->setText(text);
}

// The first row and the first column are headers: shown like one and never edited.
void SchemeEditorDialog::setHeaderCell(int row, int column, const QString& text, bool shaded) {
    setCell(row, column, text);
    QTableWidgetItem* item = m_points->item(row, column);
    item->setFlags(Qt::ItemIsEnabled);
    item->setTextAlignment(Qt::AlignCenter);
    if (shaded) item->setBackground(palette().color(QPalette::Button));
}

QList<SchemePointText> SchemeEditorDialog::pointRows() const {
    QList<SchemePointText> rows;
    for (int row = 1; row < m_points->rowCount(); ++row)
        rows.append({cell(row, 1), cell(row, 2), cell(row, 3)});
    return rows;
}

void SchemeEditorDialog::schemeNameEdited(const QString& text) {
    if (!text.isEmpty()) m_viewScheme->setEnabled(true);
}

void SchemeEditorDialog::setPointCount(const QString& text) {
    bool ok = false;
    const int count = std::clamp(text.trimmed().toInt(&ok), 0, m_machine.pointRowsCap);
    const int oldRows = m_points->rowCount();
    m_points->setRowCount((ok ? count : 0) + 1);
    for (int row = oldRows; row < m_points->rowCount(); ++row) {
        for (int column = 1; column < 4; ++column) setCell(row, column, QString());
    }
    for (int row = 1; row < m_points->rowCount(); ++row)
        setHeaderCell(row, 0, QString::number(row), m_machine.shadedPointNumbers);
}

void SchemeEditorDialog::setSchemeStyle(int style) {
    const QStringList headers = pointTableHeaders(style);
    for (int column = 0; column < 4; ++column)
        setHeaderCell(0, column, column < headers.size() ? headers[column] : QString());
}

void SchemeEditorDialog::setTableEditable(bool editable) {
    m_points->setEditTriggers(editable
                                  ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                        QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked
                                  : QAbstractItemView::NoEditTriggers);
}

void SchemeEditorDialog::openSchemePanel() {
    if (!m_schemePanel->isHidden()) return;
    setFixedWidth(kWideWidth_px);
    m_schemePanel->show();
    move(10, y());
}

void SchemeEditorDialog::enter(EditorState state) {
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

void SchemeEditorDialog::reportMissingScheme(const QString& error) const {
    prompts().message(error.isEmpty() ? kNoSuchScheme : error);
}

bool SchemeEditorDialog::fillCommonFields(const QString& countText, const QString& styleText,
                                          int returnStrokes, const QString& initialForce,
                                          const std::array<SchemePoint, kSchemePoints>& points) {
    // The stored count and style are read as integers; a row that holds anything else cannot be shown.
    for (const QString& number : {countText, styleText}) {
        bool ok = false;
        number.trimmed().toInt(&ok);
        if (!ok) {
            prompts().message(notAnInteger(number));
            return false;
        }
    }
    const int count = countText.trimmed().toInt();
    const int style = styleText.trimmed().toInt();
    if (count < 1 || count > kSchemePoints || style < 0 || style >= m_schemeStyle->count()) {
        prompts().message(kSchemeReadFailed);
        return false;
    }
    m_returnStroke->setChecked(returnStrokes == 2);
    m_pointCount->setCurrentIndex(count - 1);
    m_pointCount->setEditText(QString::number(count));
    m_schemeStyle->setCurrentIndex(style);
    setSchemeStyle(style);
    m_initialForce->setText(initialForce);
    for (int k = 1; k <= count; ++k) {
        const SchemePoint& p = points[static_cast<size_t>(k - 1)];
        setCell(k, 1, p.value);
        setCell(k, 2, p.max);
        setCell(k, 3, p.min);
    }
    return true;
}

void SchemeEditorDialog::newScheme() {
    const QString name = m_schemeName->currentText();
    if (name.isEmpty()) {
        prompts().message(kNoSchemeName);
        return;
    }
    QString error;
    if (schemeExists(schemeDatabase(), m_machine.table, name, &error)) {
        prompts().message(kSchemeNameTaken);
        return;
    }
    if (!error.isEmpty()) {
        prompts().message(error);
        return;
    }
    openSchemePanel();
    prepareNewScheme();
    m_rowMode = RowMode::Appending;
    m_rowId.reset();
    enter(EditorState::New);
}

void SchemeEditorDialog::viewScheme() {
    const QString name = m_schemeName->currentText();
    if (name.isEmpty()) {
        prompts().message(kNoSchemeName);
        return;
    }
    const std::optional<ShownScheme> shown = showStoredScheme(name);
    if (!shown) return;
    m_rowMode = RowMode::None;
    m_rowId = shown->rowId;
    m_rowName = shown->name;
    openSchemePanel();
    enter(EditorState::Viewing);
}

void SchemeEditorDialog::changeScheme() {
    if (m_rowId) m_rowMode = RowMode::Editing;
    enter(EditorState::Changing);
}

void SchemeEditorDialog::saveScheme() {
    const QString name = m_schemeName->currentText();
    const std::optional<QVariantMap> values = saveValues();
    bool stored = false;
    if (values && m_rowMode == RowMode::Appending) {
        const std::optional<qint64> id = appendSchemeRow(schemeDatabase(), m_machine.table, *values);
        if (id) m_rowId = id;
        stored = id.has_value();
    } else if (values && m_rowMode == RowMode::Editing && m_rowId) {
        stored = updateSchemeRow(schemeDatabase(), m_machine.table, *m_rowId, *values);
    }
    if (!stored) {
        prompts().message(kSchemeNotSaved);
        return;
    }
    m_rowMode = RowMode::None;
    m_rowName = name;
    enter(EditorState::Saved);
    prompts().message(kSchemeSaved);
}

void SchemeEditorDialog::cancelScheme() {
    // A new scheme that was never saved simply goes: nothing was written for it.
    if (m_rowMode == RowMode::Appending) m_rowMode = RowMode::None;
    setFixedWidth(kNarrowWidth_px);
    m_schemePanel->hide();
    enter(EditorState::Idle);
}

void SchemeEditorDialog::deleteScheme() {
    if (m_rowMode != RowMode::Appending && m_rowId) {
        QString error;
        if (!deleteSchemeRow(schemeDatabase(), m_machine.table, *m_rowId, &error)) {
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

void SchemeEditorDialog::newBatchDatabase() {
    const BatchOutcome outcome =
        newBatch(m_applicationFolder, m_machine.batchKind, m_batchName->currentText(),
                 m_schemeName->currentText(), [](const QString& caption, const QString& question) {
                     return prompts().question(question, caption, PromptIcon::Stop);
                 });
    for (const QString& message : outcome.messages) prompts().message(message);
}

}  // namespace springtest
