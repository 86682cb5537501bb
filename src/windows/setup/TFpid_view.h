#pragma once

#include <QDialog>
#include <QHash>

class QLineEdit;
class QTimer;

namespace springtest {

struct CardSlot;

// The servo controller of one card at work: errors, terms, accumulator, output, set point and gains, read
// every 50 ms from the moment it is shown. Read-only.
class TFpid_view : public QDialog {
    Q_OBJECT
public:
    static constexpr int kRefresh_ms = 50;

    TFpid_view(CardSlot& card, int cardIndex, QWidget* parent = nullptr);

    // One refresh, as the timer does it.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setField(const char* name, const QString& text);

    CardSlot& m_card;
    QHash<QString, QLineEdit*> m_fields;
    QTimer* m_timer = nullptr;
};

}  // namespace springtest
