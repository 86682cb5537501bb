#include "session/SettingsAuditing.h"

#include "platform/OperatorIdentity.h"
#include "platform/Prompts.h"
#include "storage/Schema.h"

namespace springtest {

SettingsAuditTarget auditTargetFor(const QString& applicationFolder) {
    return {schemeDatabasePath(applicationFolder), currentOperatorName()};
}

bool tellUnrecordedChange(const QString& reason) {
    if (reason.isEmpty()) return true;
    prompts().message(kChangeNotRecorded + reason, kPromptCaption, PromptIcon::Warning);
    return false;
}

bool auditedSave(const QString& applicationFolder, const QString& settingsFilePath,
                 const std::function<void()>& save) {
    return tellUnrecordedChange(
        recordSettingsSave(settingsFilePath, auditTargetFor(applicationFolder), save));
}

AuditedScope::AuditedScope(const QString& applicationFolder, const QString& settingsFilePath,
                           std::function<void(const QString&)> tell)
    : m_applicationFolder(applicationFolder), m_change(settingsFilePath), m_tell(std::move(tell)) {}

AuditedScope::~AuditedScope() {
    const QString error = m_change.record(auditTargetFor(m_applicationFolder));
    if (!error.isEmpty() && m_tell) m_tell(kChangeNotRecorded + error);
}

}  // namespace springtest
