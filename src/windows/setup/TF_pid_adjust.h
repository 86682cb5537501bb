#pragma once

#include <QDialog>

#include <utility>

class QLabel;
class QScrollBar;
class QWidget;

namespace springtest {

struct CardSlot;
enum class PidGain : uint8_t;
class SettingsChangeWatch;

// "PID调节": the six gains of one card's servo, one slider each (position = gain × 1000). A moved slider
// acts from the controller's next step and is saved at once; there is no OK button to forget.
class TF_pid_adjust : public QDialog {
    Q_OBJECT
public:
    TF_pid_adjust(CardSlot& card, int cardIndex, QWidget* parent = nullptr);

private:
    struct Slider {
        const char* name;  // the slider's; its label is "Label_" + what follows "ScrollBar_"
        const char* key;   // in section PID of the channel file
        PidGain gain;
        int maximum;
    };
    // The slider and the label that shows its gain.
    std::pair<QScrollBar*, QLabel*> addSlider(const Slider& slider, QWidget* page, int row);
    void applyGain(const Slider& slider, QLabel& label, int position);

    CardSlot& m_card;
    QString m_channelFile;
    SettingsChangeWatch* m_changes = nullptr;
    bool m_writeFailed = false;  // one message per opening, not one per step of a dragged slider
};

}  // namespace springtest
