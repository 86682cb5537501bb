#pragma once

#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;
class QTimer;

namespace springtest {

struct CardSlot;

// "参数标定": the load calibration of one card in its current gear. Each point takes the live raw count
// for a typed reference load; coefficients can be nudged by one in the seventh decimal. Every result is
// written to the card's channel configuration file at once and used by the channel at once.
class TF_bd : public QDialog {
    Q_OBJECT
public:
    TF_bd(CardSlot& card, int cardIndex, QWidget* parent = nullptr);

    // Kinds 1…3 are the compression points, 4…6 the tension points.
    void takePoint(int kind);
    void stepCoefficient(int kind, int step);

private:
    void fillFromChannelFile();
    void showLiveLoad();
    // The edits belong to the gear they were filled for; after a gear change on the data panel they are
    // refilled, and a press that came before the refill is refused (it would mix two gears' values).
    bool showsCurrentGear();

    CardSlot& m_card;
    int m_cardIndex;
    int m_gear = 0;                             // whose values the edits show
    std::array<QLineEdit*, 6> m_reference{};    // by kind − 1
    std::array<QLineEdit*, 6> m_coefficient{};  // by kind − 1
    QLineEdit* m_liveLoad = nullptr;
    QTimer* m_liveLoadTimer = nullptr;
};

}  // namespace springtest
