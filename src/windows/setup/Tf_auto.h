#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace springtest {

class TTestStyle;

// "自动试验设置": switches the automatic series of tests on (with its number of tests and the pause
// between two) or off. Hands the settings to the sequencer; stores nothing.
class Tf_auto : public QDialog {
    Q_OBJECT
public:
    explicit Tf_auto(TTestStyle& sequencer, QWidget* parent = nullptr);

    // "确定": without an open scheme only says so; otherwise switches the series on with its count and pause.
    void confirm();
    // "取消": switches a running series setting off.
    void cancel();

private:
    TTestStyle& m_sequencer;
    QLineEdit* m_count = nullptr;
    QLineEdit* m_pause = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace springtest
