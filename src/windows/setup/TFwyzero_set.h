#pragma once

#include <QDialog>

namespace springtest {

// "位移零点设置": the instructions for setting the displacement's absolute zero and its "设置" button.
// The machines this program drives have no absolute zero to set, so the button only tells the operator so.
class TFwyzero_set : public QDialog {
    Q_OBJECT
public:
    explicit TFwyzero_set(QWidget* parent = nullptr);

    void set();
};

}  // namespace springtest
