#pragma once

#include "windows/editor/LeafSchemeForm.h"
#include "windows/editor/SchemeEditorDialog.h"

class QLabel;

namespace springtest {

// The leaf-spring machine's scheme editor ("试验设置"): the standard editor's flows on the leaf-spring
// schemes, whose points are loads, with the geometry that turns a displacement into an arc height (total
// leaf thickness, carriage centre height), the set load and the loads of the pressing. Its batches are
// leaf-spring batches.
class TFtest_set_GBTH : public SchemeEditorDialog {
    Q_OBJECT
public:
    static constexpr int kLoadStyle = 3;  // "负荷-变形": the points are loads, the results deformations

    // `loadUnits` is the unit of card 0's load channel, shown beside every load of the scheme.
    TFtest_set_GBTH(const QString& applicationFolder, const QString& loadUnits, QWidget* parent = nullptr);
    ~TFtest_set_GBTH() override;

    void checkScheme();  // "验证"

private:
    QGroupBox* buildBasicGroup() override;
    QGroupBox* buildPointGroup() override;
    std::optional<ShownScheme> showStoredScheme(const QString& name) override;
    std::optional<QVariantMap> saveValues() const override;
    void prepareNewScheme() override;
    void schemeNameEdited(const QString& text) override;
    void setLoadEdited(const QString& text);
    LeafSchemeForm form() const;

    QLineEdit* m_returnHeight = nullptr;
    QLineEdit* m_setLoad = nullptr;
    QLineEdit* m_leafThickness = nullptr;
    QLineEdit* m_carriageHeight = nullptr;
    QLineEdit* m_mandrelRadius = nullptr;
    QLineEdit* m_proofLoad = nullptr;
    QLineEdit* m_maxTestLoad = nullptr;
    QList<QLabel*> m_loadUnitLabels;
};

}  // namespace springtest
