#pragma once

#include "windows/editor/TFtest_set.h"

namespace springtest {

// The lateral-stiffness machine's scheme editor ("试验设置"): the standard editor on the same scheme table,
// whose radio pair chooses the kind of test, "轴向" (pressing the spring, forward stroke only) or "横向"
// (pushing it sideways both ways, both strokes). The kind decides the hidden "回程检测"; a lateral push is
// offered only for the styles that give and measure deformations and loads. Its batches are lateral ones.
class TFtest_set_HXGD : public TFtest_set {
    Q_OBJECT
public:
    // `loadUnits` is the unit of card 0's load channel, shown beside the initial force.
    TFtest_set_HXGD(const QString& applicationFolder, const QString& loadUnits, QWidget* parent = nullptr);
    ~TFtest_set_HXGD() override;

private:
    std::optional<ShownScheme> showStoredScheme(const QString& name) override;
    void setTestKind();
    void offerKindsForStyle(int style);

    bool m_showingStored = false;
};

}  // namespace springtest
