#pragma once

#include <QWidget>

class QButtonGroup;
class QTimer;
class QToolButton;

namespace springtest {

struct CardSlot;

// The oil-source page of the hydraulic machines (types 2 and 3): pump, relief valve, main cylinder,
// crossbeam and lower cylinder, each switched through a relay of the card's motor channel, and oil filling,
// which works the cylinders up and down between two displacements until it is switched off.
class ControlHydraulicsPage : public QWidget {
    Q_OBJECT
public:
    ControlHydraulicsPage(CardSlot& slot, QWidget* parent = nullptr);

    // One tick of the oil-filling timer (`Timer_CONGYOU`).
    void fillingTick();

private:
    // An up/stop/down trio driving two relays: up and down never both on.
    struct Trio {
        QToolButton* up = nullptr;
        QToolButton* stop = nullptr;
        QToolButton* down = nullptr;
        int upRelay = 0;
        int downRelay = 0;
    };
    enum class Motion { Up, Stop, Down };

    void buildTrio(Trio& trio, QWidget* parent, const char* up, const char* upCaption, const char* stop,
                   const char* stopCaption, const char* down, const char* downCaption, int upRelay,
                   int downRelay);
    void run(Trio& trio, Motion motion);
    void runAndPress(Trio& trio, Motion motion);
    void toggle(QToolButton* button, const QString& offCaption, const QString& onCaption, int relay);
    void onFilling();
    void setRelay(int position, bool on);

    CardSlot& m_slot;
    Trio m_cylinder, m_crossbeam, m_lowerCylinder;
    QToolButton* m_pump = nullptr;
    QToolButton* m_reliefValve = nullptr;
    QToolButton* m_filling = nullptr;
    QTimer* m_fillingTimer = nullptr;
};

}  // namespace springtest
