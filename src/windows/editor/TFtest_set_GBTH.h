#pragma once

#include "storage/SchemeEdits.h"
#include "windows/editor/LeafSchemeForm.h"

#include <QDialog>

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

// The leaf-spring machine's scheme editor ("试验设置"): the standard editor's flows on the leaf-spring
// schemes, whose points are loads, with the geometry that turns a displacement into an arc height (total
// leaf thickness, carriage centre height), the set load and the loads of the pressing. Its batches are
// leaf-spring batches.
class TFtest_set_GBTH : public QDialog {
    Q_OBJECT
public:
    static constexpr int kNarrowWidth_px = 511;
    static constexpr int kWideWidth_px = 1040;
    static constexpr int kLoadStyle = 3;  // "负荷-变形": the points are loads, the results deformations

    enum class EditorState { Idle, New, Viewing, Changing, Saved };

    // `loadUnits` is the unit of card 0's load channel, shown beside every load of the scheme.
    TFtest_set_GBTH(const QString& applicationFolder, const QString& loadUnits, QWidget* parent = nullptr);
    ~TFtest_set_GBTH() override;

    EditorState state() const { return m_state; }

    void newScheme();         // "新建方案"
    void newBatchDatabase();  // "新建批次"
    void viewScheme();        // "查看方案"
    void changeScheme();      // "修改"
    void saveScheme();        // "保存"
    void cancelScheme();      // "取消"
    void deleteScheme();      // "删除"
    void checkScheme();       // "验证"

private:
    enum class RowMode { None, Appending, Editing };

    QWidget* buildNamePanel();
    QWidget* buildSchemePanel();
    QGroupBox* buildBasicGroup();
    QGroupBox* buildPointGroup();
    QLineEdit* numberEdit(const char* name, const QString& text, QWidget* parent);
    void schemeNameEdited(const QString& text);
    void setLoadEdited(const QString& text);
    void setPointCount(const QString& text);
    void setSchemeStyle(int style);
    void openSchemePanel();
    void setTableEditable(bool editable);
    void enter(EditorState state);
    LeafSchemeForm form() const;
    QString cell(int row, int column) const;
    void setCell(int row, int column, const QString& text);
    void setHeaderCell(int row, int column, const QString& text);
    bool fillForm(const LeafSpringScheme& scheme);
    QString schemeDatabase() const;

    QString m_applicationFolder;
    EditorState m_state = EditorState::Idle;
    RowMode m_rowMode = RowMode::None;
    std::optional<qint64> m_rowId;
    QString m_rowName;

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
    QLineEdit* m_returnHeight = nullptr;
    QLineEdit* m_setLoad = nullptr;
    QLineEdit* m_leafThickness = nullptr;
    QLineEdit* m_carriageHeight = nullptr;
    QLineEdit* m_mandrelRadius = nullptr;
    QLineEdit* m_proofLoad = nullptr;
    QLineEdit* m_maxTestLoad = nullptr;
    QList<QLabel*> m_loadUnitLabels;
    QTableWidget* m_points = nullptr;
    QPushButton* m_check = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_change = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_delete = nullptr;
};

}  // namespace springtest
