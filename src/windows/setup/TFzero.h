#pragma once

#include <QDialog>

class QLineEdit;
class QScrollBar;

namespace springtest {

class SettingsChangeWatch;

// "系统调零": the load amplifier's hardware zero control value, kept as `load_zero` in "init.ini". Every
// move of the scroll bar is written at once; nothing is sent to the card.
class TFzero : public QDialog {
    Q_OBJECT
public:
    explicit TFzero(const QString& applicationFolder, QWidget* parent = nullptr);

private:
    void store(int value);

    QString m_settingsFile;
    QScrollBar* m_control = nullptr;
    QLineEdit* m_value = nullptr;
    bool m_lastWriteFailed = false;
    SettingsChangeWatch* m_changes = nullptr;
};

}  // namespace springtest
