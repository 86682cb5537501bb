#include "calibration/SettingsAudit.h"

#include <QDateTime>
#include <QFileInfo>

namespace springtest {

namespace {

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Kept by the program between runs, rewritten at every shutdown: where the crosshead stood and that the
// program closed in order. Recording them would bury the settings under a row per start.
struct StateKey {
    const char* section;
    const char* key;  // nullptr: every key of the section
};
constexpr StateKey kStateKeys[] = {
    {"Displacement", "press_save_pulse"},
    {"Displacement", "pull_save_pulse"},
    {"Displacement", "press_SAVE_VALUE"},
    {"Displacement", "pull_SAVE_VALUE"},
    {"close", nullptr},
};

bool isState(const QString& section, const QString& key) {
    for (const StateKey& s : kStateKeys)
        if (sameName(section, QLatin1String(s.section)) && (!s.key || sameName(key, QLatin1String(s.key))))
            return true;
    return false;
}

// The operator accounts: one key per user, its value a salted password digest.
bool holdsAccounts(const QString& fileName) {
    return sameName(fileName, QStringLiteral("login.ini"));
}

// The names of both readings, each once, in the order the file has them after the change, then those that
// went.
QStringList unitedNames(const QStringList& before, const QStringList& after) {
    QStringList names;
    const auto add = [&](const QString& name) {
        for (const QString& n : names)
            if (sameName(n, name)) return;
        names.append(name);
    };
    for (const QString& n : after) add(n);
    for (const QString& n : before) add(n);
    return names;
}

}  // namespace

QList<AuditEntry> settingsChanges(const QString& fileName, const ProfileSnapshot& before,
                                  const ProfileSnapshot& after) {
    QList<AuditEntry> changes;
    const bool accounts = holdsAccounts(fileName);
    for (const QString& section : unitedNames(before.sectionNames(), after.sectionNames())) {
        for (const QString& key : unitedNames(before.keys(section), after.keys(section))) {
            if (isState(section, key)) continue;
            const std::optional<QString> oldValue = before.value(section, key);
            const std::optional<QString> newValue = after.value(section, key);
            if (oldValue == newValue) continue;
            AuditEntry change{
                {}, {}, fileName, section, key, oldValue.value_or(QString()), newValue.value_or(QString())};
            if (accounts) {
                change.oldValue.clear();
                change.newValue = !oldValue   ? kAccountAdded
                                  : !newValue ? kAccountRemoved
                                              : kAccountPasswordChanged;
            }
            changes.append(change);
        }
    }
    return changes;
}

SettingsChangeRecord::SettingsChangeRecord(QString settingsFilePath, QString onlySection)
    : m_path(std::move(settingsFilePath)),
      m_onlySection(std::move(onlySection)),
      m_before(ProfileFile(m_path).snapshot()) {}

QString SettingsChangeRecord::record(const SettingsAuditTarget& target) {
    const ProfileSnapshot now = ProfileFile(m_path).snapshot();
    QList<AuditEntry> changes = settingsChanges(QFileInfo(m_path).fileName(), m_before, now);
    if (!m_onlySection.isEmpty())
        changes.removeIf([&](const AuditEntry& e) { return !sameName(e.section, m_onlySection); });
    const QDateTime at = QDateTime::currentDateTime();
    for (AuditEntry& change : changes) {
        change.at = at;
        change.operatorName = target.operatorName;
    }
    const QString error = appendAudit(target.schemeDatabasePath, changes);
    if (error.isEmpty()) m_before = now;
    return error;
}

QString recordSettingsSave(const QString& settingsFilePath, const SettingsAuditTarget& target,
                           const std::function<void()>& save) {
    SettingsChangeRecord change(settingsFilePath);
    save();
    return change.record(target);
}

}  // namespace springtest
