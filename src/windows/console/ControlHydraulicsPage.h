#pragma once

#include "measurement/HydraulicControls.h"

#include <QWidget>

class QTimer;
class QToolButton;

namespace springtest {

struct CardSlot;

// The oil-source page of the hydraulic machines (types 2 and 3): the buttons of the card's oil source —
// pump, relief valve, main cylinder, crossbeam, lower cylinder and oil filling — over the HydraulicControls
// that switch the relays and turn the cylinders while filling.
class ControlHydraulicsPage : public QWidget {
    Q_OBJECT
public:
    ControlHydraulicsPage(CardSlot& slot, QWidget* parent = nullptr);

    // One tick of the oil-filling timer (`Timer_CONGYOU`).
    void fillingTick();
    const HydraulicControls& controls() const { return m_controls; }

private:
    // The up/stop/down buttons of one drive.
    struct Trio {
        QToolButton* up = nullptr;
        QToolButton* stop = nullptr;
        QToolButton* down = nullptr;
        HydraulicDrive drive = HydraulicDrive::MainCylinder;
    };

    void buildTrio(Trio& trio, QWidget* parent, const char* up, const char* upCaption, const char* stop,
                   const char* stopCaption, const char* down, const char* downCaption, HydraulicDrive drive);
    void move(const Trio& trio, CylinderMotion motion);
    void showTrio(const Trio& trio);
    void showFillingCylinders();
    void onPump();
    void onReliefValve();
    void onFilling();

    CardSlot& m_slot;
    HydraulicControls m_controls;
    Trio m_cylinder, m_crossbeam, m_lowerCylinder;
    QToolButton* m_pump = nullptr;
    QToolButton* m_reliefValve = nullptr;
    QToolButton* m_filling = nullptr;
    QTimer* m_fillingTimer = nullptr;
};

}  // namespace springtest
