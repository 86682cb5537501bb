#pragma once

#include "windows/editor/SchemeEditorDialog.h"
#include "windows/editor/SchemeForm.h"

class QLabel;
class QRadioButton;

namespace springtest {

// The scheme editor ("试验设置"): creates, shows, changes, checks and deletes the standard schemes of the
// scheme database, and makes a batch database for a scheme. The main window opens it modally.
class TFtest_set : public SchemeEditorDialog {
    Q_OBJECT
public:
    // `loadUnits` is the unit of card 0's load channel, shown beside the initial force.
    TFtest_set(const QString& applicationFolder, const QString& loadUnits, QWidget* parent = nullptr);
    ~TFtest_set() override;

    void checkScheme();  // "验证"

protected:
    // Another machine's editor on the standard scheme table: its own batches, notes and the captions of the
    // radio pair, whose first choice is stored as `scheme_type` true and unlocks "是否压并".
    struct Variant {
        BatchKind batchKind = BatchKind::Standard;
        QString editorNotes;
        QString schemeNotes;
        QString kindCaption;
        QString firstKind;
        QString secondKind;
    };
    TFtest_set(const QString& applicationFolder, const QString& loadUnits, const Variant& variant,
               QWidget* parent);

    std::optional<ShownScheme> showStoredScheme(const QString& name) override;

    QRadioButton* m_compression = nullptr;
    QRadioButton* m_tension = nullptr;
    QCheckBox* m_solidHeight = nullptr;

private:
    QGroupBox* buildBasicGroup() override;
    QGroupBox* buildPointGroup() override;
    std::optional<QVariantMap> saveValues() const override;
    void setSpringKind();
    SchemeForm form() const;

    Variant m_variant;
    QLabel* m_forceUnit = nullptr;
    QLineEdit* m_stiffnessMax = nullptr;
    QLineEdit* m_stiffnessMin = nullptr;
};

}  // namespace springtest
