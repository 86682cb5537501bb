#pragma once

#include <QDialog>
#include <QStringList>

namespace springtest {

// "关于": the program's name, its version and a picture; no actions. Below them, the calibration record of
// the machine, one line per card and gear, when it is given.
class TF_about : public QDialog {
    Q_OBJECT
public:
    explicit TF_about(QWidget* parent = nullptr);
    explicit TF_about(const QStringList& calibrationRecord, QWidget* parent = nullptr);
};

}  // namespace springtest
