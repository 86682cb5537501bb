#pragma once

#include "storage/Batch.h"
#include "storage/SchemeCheck.h"
#include "storage/SchemeEdits.h"

#include <QDialog>
#include <QList>
#include <QVariantMap>

#include <array>
#include <limits>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

namespace springtest {

// Where one machine's scheme editor parts from the others in the flows they share.
struct SchemeEditorMachine {
    SchemeTable table = SchemeTable::Standard;
    BatchKind batchKind = BatchKind::Standard;
    // The most point rows a typed point count opens in the table.
    int pointRowsCap = std::numeric_limits<int>::max();
    // Whether the point-number column is shaded like the header row.
    bool shadedPointNumbers = false;
};

// A scheme editor ("试验设置") whatever the machine: the name panel (batch name, scheme name, notes), the
// scheme panel with the machine's basic parameters and the point table, and the buttons' flows over the
// machine's scheme table: new, view, change, save, cancel, delete and new batch. A machine's editor lays out,
// shows, reads and checks its own parameters.
class SchemeEditorDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kNarrowWidth_px = 511;  // only the name panel
    static constexpr int kWideWidth_px = 1040;   // with the scheme panel
    // Point number, point value, upper limit, lower limit.
    static constexpr std::array<int, 4> kPointColumnWidths_px{30, 75, 75, 75};

    enum class EditorState { Idle, New, Viewing, Changing, Saved };

    ~SchemeEditorDialog() override;

    EditorState state() const { return m_state; }

    // The buttons' commands.
    void newScheme();         // "新建方案"
    void newBatchDatabase();  // "新建批次"
    void viewScheme();        // "查看方案"
    void changeScheme();      // "修改"
    void saveScheme();        // "保存"
    void cancelScheme();      // "取消"
    void deleteScheme();      // "删除"

protected:
    // The stored row a view found and shows.
    struct ShownScheme {
        qint64 rowId = 0;
        QString name;
    };

    SchemeEditorDialog(const QString& applicationFolder, const SchemeEditorMachine& machine, QWidget* parent);

    // Lays out both panels and lists the stored scheme names. The machine's editor calls it once from its
    // constructor, where its own groups can be built; `schemeNotes` empty leaves the scheme notes hidden.
    void buildWindow(const QString& editorNotes, const QString& schemeNotes);

    // The machine's basic parameters (using pointCountBox and schemeStyleBox) and its point group (using
    // buildPointTable and the check button).
    virtual QGroupBox* buildBasicGroup() = 0;
    virtual QGroupBox* buildPointGroup() = 0;
    // Finds the named scheme and fills the form with it (using showCommonFields); nothing, with the operator
    // told why, when it cannot be shown.
    virtual std::optional<ShownScheme> showStoredScheme(const QString& name) = 0;
    // The columns a save writes, or nothing when the form cannot be stored.
    virtual std::optional<QVariantMap> saveValues() const = 0;
    // The form a new scheme starts from, beyond what the last one left in it.
    virtual void prepareNewScheme() {}
    // Viewing becomes possible once a name has been typed or chosen, and stays so.
    virtual void schemeNameEdited(const QString& text);

    static QLabel* caption(const QString& text, QWidget* parent, const char* name = nullptr);
    static QPushButton* button(const QString& name, const QString& text, QWidget* parent);
    static QLineEdit* numberEdit(const char* name, const QString& text, QWidget* parent);
    void pointCountBox(QWidget* parent);
    void schemeStyleBox(QWidget* parent);
    void returnStrokeBox(QWidget* parent);
    // The point table inside `parent`, with the columns' widths and the current style's headers.
    void buildPointTable(QWidget* parent);

    template <class Stored>
    std::optional<ShownScheme> showCommonFields(const std::optional<Stored>& found, const QString& error) {
        if (!found) {
            reportMissingScheme(error);
            return std::nullopt;
        }
        const auto& s = found->scheme;
        if (!fillCommonFields(s.scheme_sum, s.scheme_style, s.scheme_jh, s.scheme_load, s.points))
            return std::nullopt;
        return ShownScheme{found->rowId, s.scheme_name};
    }

    QList<SchemePointText> pointRows() const;
    QString schemeDatabase() const;

    // Shared by the form and the machine's editor.
    QComboBox* m_schemeName = nullptr;
    QPushButton* m_viewScheme = nullptr;
    QComboBox* m_pointCount = nullptr;
    QComboBox* m_schemeStyle = nullptr;
    QCheckBox* m_returnStroke = nullptr;
    QLineEdit* m_initialForce = nullptr;
    QTableWidget* m_points = nullptr;
    QPushButton* m_check = nullptr;

    void setSchemeStyle(int style);

private:
    // Where the form's row stands: nothing yet, a row to append on saving, or the stored row being changed.
    enum class RowMode { None, Appending, Editing };

    QWidget* buildNamePanel(const QString& editorNotes, const QString& schemeNotes);
    QWidget* buildSchemePanel();
    void setPointCount(const QString& text);
    void openSchemePanel();
    void setTableEditable(bool editable);
    void enter(EditorState state);
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    void setHeaderCell(int row, int column, const QString& text, bool shaded = true);
    void reportMissingScheme(const QString& error) const;
    // Count, style, return stroke, initial force and points, as every machine stores them. False, with the
    // operator told why, when the stored count or style cannot be shown.
    bool fillCommonFields(const QString& count, const QString& style, int returnStrokes,
                          const QString& initialForce, const std::array<SchemePoint, kSchemePoints>& points);

    QString m_applicationFolder;
    SchemeEditorMachine m_machine;
    EditorState m_state = EditorState::Idle;
    RowMode m_rowMode = RowMode::None;
    std::optional<qint64> m_rowId;  // the stored row shown
    QString m_rowName;              // its scheme name as stored

    QComboBox* m_batchName = nullptr;
    QPushButton* m_newScheme = nullptr;
    QPushButton* m_newBatch = nullptr;
    QWidget* m_schemePanel = nullptr;
    QGroupBox* m_basicGroup = nullptr;
    QGroupBox* m_pointGroup = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_delete = nullptr;
};

}  // namespace springtest
