#include "windows/setup/SettingsChangeWatch.h"

#include "session/SettingsAuditing.h"

namespace springtest {

SettingsChangeWatch::SettingsChangeWatch(QString applicationFolder, const QString& settingsFile,
                                         const QString& section, QObject* parent)
    : QObject(parent), m_applicationFolder(std::move(applicationFolder)), m_record(settingsFile, section) {
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuiet_ms);
    connect(&m_quiet, &QTimer::timeout, this, &SettingsChangeWatch::recordNow);
}

SettingsChangeWatch::~SettingsChangeWatch() {
    recordNow();
}

void SettingsChangeWatch::changed() {
    m_pending = true;
    m_quiet.start();
}

void SettingsChangeWatch::recordNow() {
    m_quiet.stop();
    if (!m_pending) return;
    const QString error = m_record.record(auditTargetFor(m_applicationFolder));
    // A trail that failed keeps the change pending: the next write or the window's end tries again.
    m_pending = !error.isEmpty();
    if (m_pending && !m_failureTold) m_failureTold = !tellUnrecordedChange(error);
}

}  // namespace springtest
