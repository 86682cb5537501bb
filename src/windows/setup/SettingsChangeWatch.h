#pragma once

#include "calibration/SettingsAudit.h"

#include <QObject>
#include <QString>
#include <QTimer>

namespace springtest {

// The audit trail of a window whose sliders write a setting on every step: a drag is recorded once the
// operator lets go for a moment, as one entry per key from where it started to where it stopped, not as a
// row per step. What is still pending when the window goes is recorded then. Only the keys of `section`
// count: other windows write other keys of the same file and record them themselves.
class SettingsChangeWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kQuiet_ms = 1000;

    SettingsChangeWatch(QString applicationFolder, const QString& settingsFile, const QString& section,
                        QObject* parent = nullptr);
    ~SettingsChangeWatch() override;

    // A write was made: it is recorded after a quiet moment.
    void changed();
    void recordNow();

private:
    QString m_applicationFolder;
    SettingsChangeRecord m_record;
    QTimer m_quiet;
    bool m_pending = false;
    bool m_failureTold = false;  // one message per opening, not one per drag
};

}  // namespace springtest
