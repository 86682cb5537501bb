#pragma once

#include "storage/SchemeEdits.h"
#include "windows/editor/SchemeForm.h"

#include <QDialog>

#include <array>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QWidget;

namespace springtest {

// The scheme editor ("试验设置"): creates, shows, changes, checks and deletes the standard schemes of the
// scheme database, and makes a batch database for a scheme. The main window opens it modally.
class TFtest_set : public QDialog {
    Q_OBJECT
public:
    static constexpr int kNarrowWidth_px = 511;  // only the name panel
    static constexpr int kWideWidth_px = 1040;   // with the scheme panel
    // Point number, point value, upper limit, lower limit.
    static constexpr std::array<int, 4> kPointColumnWidths_px{30, 75, 75, 75};

    enum class EditorState { Idle, New, Viewing, Changing, Saved };

    // `loadUnits` is the unit of card 0's load channel, shown beside the initial force.
    TFtest_set(const QString& applicationFolder, const QString& loadUnits, QWidget* parent = nullptr);
    ~TFtest_set() override;

    EditorState state() const { return m_state; }

    // The buttons' commands.
    void newScheme();         // "新建方案"
    void newBatchDatabase();  // "新建批次"
    void viewScheme();        // "查看方案"
    void changeScheme();      // "修改"
    void saveScheme();        // "保存"
    void cancelScheme();      // "取消"
    void deleteScheme();      // "删除"
    void checkScheme();       // "验证"

private:
    // Where the form's row stands: nothing yet, a row to append on saving, or the stored row being changed.
    enum class RowMode { None, Appending, Editing };

    QWidget* buildNamePanel();
    QWidget* buildSchemePanel();
    QGroupBox* buildBasicGroup();
    QGroupBox* buildPointGroup();
    void schemeNameEdited(const QString& text);
    void setPointCount(const QString& text);
    void setSchemeStyle(int style);
    void setSpringKind();
    void openSchemePanel();
    void setTableEditable(bool editable);
    void enter(EditorState state);
    SchemeForm form() const;
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    bool fillForm(const StandardScheme& scheme);
    QString schemeDatabase() const;

    QString m_applicationFolder;
    EditorState m_state = EditorState::Idle;
    RowMode m_rowMode = RowMode::None;
    std::optional<qint64> m_rowId;  // the stored row shown
    QString m_rowName;              // its scheme name as stored

    QComboBox* m_batchName = nullptr;
    QComboBox* m_schemeName = nullptr;
    QPushButton* m_newScheme = nullptr;
    QPushButton* m_newBatch = nullptr;
    QPushButton* m_viewScheme = nullptr;
    QWidget* m_schemePanel = nullptr;
    QGroupBox* m_basicGroup = nullptr;
    QGroupBox* m_pointGroup = nullptr;
    QCheckBox* m_returnStroke = nullptr;
    QComboBox* m_pointCount = nullptr;
    QComboBox* m_schemeStyle = nullptr;
    QLineEdit* m_initialForce = nullptr;
    QLabel* m_forceUnit = nullptr;
    QRadioButton* m_compression = nullptr;
    QRadioButton* m_tension = nullptr;
    QCheckBox* m_solidHeight = nullptr;
    QTableWidget* m_points = nullptr;
    QLineEdit* m_stiffnessMax = nullptr;
    QLineEdit* m_stiffnessMin = nullptr;
    QPushButton* m_check = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_delete = nullptr;
};

}  // namespace springtest
