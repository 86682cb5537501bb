#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace springtest {

struct CardSlot;
class PlatenAlignment;

// "自动对盘设置": drives card 0's crosshead down onto the lower platen, zeroes the displacement at the
// contact and brings the crosshead back up to the return height typed here. The sequence itself is
// PlatenAlignment's; the window starts and stops it. Closing the window ends a sequence still under way, so
// that the crosshead never moves on with no window left to stop it.
class TF_autozero : public QDialog {
    Q_OBJECT
public:
    explicit TF_autozero(CardSlot& card0, QWidget* parent = nullptr);
    ~TF_autozero() override;

    // "自动对盘": starts the sequence with the return height of the edit.
    void startAlignment();
    // "停止": ends the sequence wherever it is and stops the crosshead.
    void stopAlignment();

    const PlatenAlignment& alignment() const { return *m_alignment; }

    // "关闭", the title bar's close and Esc all end here.
    void done(int result) override;

private:
    PlatenAlignment* m_alignment = nullptr;
    QLineEdit* m_returnHeight = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_close = nullptr;
};

}  // namespace springtest
