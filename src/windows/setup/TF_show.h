#pragma once

#include <QDialog>
#include <QHash>

class QLabel;
class QTimer;

namespace springtest {

struct CardSlot;

// "信号监视": the raw readings of one card's channels ten times a second, for service work. Stays on top of
// the other windows. Every value is one the acquisition thread keeps as an atomic, so nothing here waits
// for it or reads half a value.
class TF_show : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRefresh_ms = 100;

    TF_show(CardSlot& card, int cardIndex, QWidget* parent = nullptr);

    int cardIndex() const { return m_cardIndex; }
    // One refresh, as the timer does it.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setValue(const QString& row, qint64 value);

    CardSlot& m_card;
    int m_cardIndex;
    QHash<QString, QLabel*> m_values;  // by the row's label
    QTimer* m_timer = nullptr;
};

}  // namespace springtest
