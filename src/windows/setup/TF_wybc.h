#pragma once

#include <QDialog>

class QLineEdit;

namespace springtest {

struct CardSlot;

// "位移补偿": measures the frame's deflection under load once and stores it as the displacement channel's
// compensation coefficient (millimetres per load unit).
class TF_wybc : public QDialog {
    Q_OBJECT
public:
    TF_wybc(CardSlot& card, int cardIndex, QWidget* parent = nullptr);

    // "自动计算".
    void compute();

private:
    CardSlot& m_card;
    int m_cardIndex;
    QLineEdit* m_load = nullptr;
    QLineEdit* m_deformation = nullptr;
};

}  // namespace springtest
