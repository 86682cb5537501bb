#pragma once

#include "calibration/SettingsAudit.h"

#include <QString>

#include <functional>

namespace springtest {

// The trail of the machine in `applicationFolder` (its scheme database), under the operator working the
// program (the account logged in at the console, else the system user).
SettingsAuditTarget auditTargetFor(const QString& applicationFolder);

// What the operator is told when a change was saved but the trail could not take it.
inline const QString kChangeNotRecorded = QStringLiteral("设置已保存，但未能记入审计记录：");

// Tells the operator through prompts() that a saved change is missing from the trail, with `reason`; says
// nothing when `reason` is empty. True when the trail holds the change.
bool tellUnrecordedChange(const QString& reason);

// Runs `save` on a settings file of the machine in `applicationFolder` and records what it changed; a trail
// that could not be written is told, the setting stays saved. True when the trail holds the change.
bool auditedSave(const QString& applicationFolder, const QString& settingsFilePath,
                 const std::function<void()>& save);

// For a command whose save lies deep in a procedure: what changes in `settingsFilePath` between this scope's
// start and its end is recorded at its end; a trail that could not take it is told through `tell` (the
// setting stays saved).
class AuditedScope {
public:
    AuditedScope(const QString& applicationFolder, const QString& settingsFilePath,
                 std::function<void(const QString&)> tell);
    ~AuditedScope();
    AuditedScope(const AuditedScope&) = delete;
    AuditedScope& operator=(const AuditedScope&) = delete;

private:
    QString m_applicationFolder;
    SettingsChangeRecord m_change;
    std::function<void(const QString&)> m_tell;
};

}  // namespace springtest
