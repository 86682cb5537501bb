#pragma once

#include <QDialog>

namespace springtest {

// "关于": the program's name, its version and a picture; no actions.
class TF_about : public QDialog {
    Q_OBJECT
public:
    explicit TF_about(QWidget* parent = nullptr);
};

}  // namespace springtest
