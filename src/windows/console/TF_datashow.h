#pragma once

#include "platform/WindowTarget.h"
#include "windows/console/DataShowGears.h"

#include <QWidget>

#include <array>

class QButtonGroup;
class QLabel;
class QTimer;
class QToolButton;

namespace springtest {

struct CardSlot;
struct ConsoleContext;

// The live data panel of the standard machines: a borderless strip that shows, ten times a second, one
// card's load (averaged over the last four refreshes), its peak, the displacement and the deformation, and
// lets the operator zero them, preset the displacement, pick the load gear, switch automatic gear change
// and set the test direction. It commands the card's channels and keeps nothing of its own but the
// averaging ring.
class TF_datashow : public QWidget {
    Q_OBJECT
public:
    TF_datashow(ConsoleContext& ctx, int card, QWidget* parent = nullptr);
    ~TF_datashow() override;

    // Receives the load channel's gear-changed message.
    WindowTarget* gearTarget() { return &m_gearTarget; }
    int card() const { return m_card; }

    // One refresh of the figures; what the refresh timer (`Timer1`) runs. It also tells the operator when the
    // acquisition loop has ended on an error, since the figures stop with it.
    void refresh();
    // Lays out the gear row for `gearCount` gears of the load channel's full range. Showing the panel runs it
    // with the channel's own count; a count outside 1…6 keeps the designed row.
    void layoutGearButtons(int gearCount);

protected:
    // The lateral machine's panels are this one with parts hidden (its axial panel) or with the displacement
    // of its three sideways axes in place of the one (its lateral panel).
    enum class Variant { Standard, Axial, Lateral };
    TF_datashow(ConsoleContext& ctx, int card, Variant variant, QWidget* parent);

    // The load figure's tooltip is the calibration record of the card's current gear, read when it is
    // asked for: a calibration made meanwhile shows at once.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CardSlot& slot() const;
    void buildWindow();
    QWidget* buildLoadBlock();
    QWidget* buildDeformationBlock();
    QWidget* buildDisplacementBlock();
    QWidget* buildAxesBlock();
    void FormShow();
    void showAxisTitles();
    void reportAcquisitionFailure();

    void onGearChanged();
    void onGearButton(QToolButton* button);
    void onClearLoad();
    void onClearPeak();
    void onClearDeformation();
    void onClearDisplacement();
    void onClearAxis(int card);
    void onPresetDisplacement();
    void onAutoGear();
    void onDirection();

    // One displacement row of the lateral panel: the card whose displacement it shows.
    struct AxisRow {
        int card = 0;
        QLabel* title = nullptr;
        QLabel* figure = nullptr;
    };

    ConsoleContext& m_ctx;
    const int m_card;
    const Variant m_variant;
    LoadRing m_ring;
    WindowTarget m_gearTarget{[this](int) { onGearChanged(); }};

    QWidget* m_gearPanel = nullptr;
    QButtonGroup* m_gearGroup = nullptr;
    std::array<QToolButton*, kGearButtonCount> m_gearButtons{};
    QToolButton* m_autoGearButton = nullptr;
    QToolButton* m_directionButton = nullptr;
    QLabel* m_loadTitle = nullptr;
    QLabel* m_deformationTitle = nullptr;
    QLabel* m_displacementTitle = nullptr;
    QLabel* m_load = nullptr;
    QLabel* m_peak = nullptr;
    QLabel* m_deformation = nullptr;
    QLabel* m_displacement = nullptr;
    std::array<AxisRow, 3> m_axes{};  // lateral panel: Y (card 1), X (card 3), turntable angle (card 2)
    QTimer* m_timer = nullptr;
};

}  // namespace springtest
