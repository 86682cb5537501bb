#pragma once

#include "calibration/AuditTrail.h"
#include "platform/ProfileFile.h"

#include <QList>
#include <QString>

#include <functional>

namespace springtest {

// The one way a change of a machine's settings files reaches the audit trail: the file is read before a save
// and after it, and every key whose value differs becomes one entry. Whoever writes the file (a window, a
// command, a channel) is recorded the same way, so no writer can forget a key it did not know it touched.
//
// Two kinds of keys are treated apart:
// - the operator accounts ("login.ini") hold password digests: the trail says that an account was added,
//   changed or removed, never the digest;
// - what a program keeps between runs (where the crosshead stood at shutdown, the orderly-close flag) is
//   state, not a setting: it is not recorded.

// Where the trail is kept and whom a change is recorded under.
struct SettingsAuditTarget {
    QString schemeDatabasePath;
    QString operatorName;
};

// What the trail says in place of an account's password digest.
inline const QString kAccountAdded = QStringLiteral("账户已添加");
inline const QString kAccountPasswordChanged = QStringLiteral("密码已更改");
inline const QString kAccountRemoved = QStringLiteral("账户已删除");

// The changes between two readings of the settings file `fileName` (a name, not a path), key by key in the
// order of the file: sections and keys compare without regard to case and are named as the file after the
// change spells them (as before it, for a key that went). A key that appeared has an empty old value, one
// that went an empty new value. Time and operator are left empty.
QList<AuditEntry> settingsChanges(const QString& fileName, const ProfileSnapshot& before,
                                  const ProfileSnapshot& after);

// A settings file as it was when this was made; record() puts in the trail what changed since, in one
// transaction. A window whose sliders write on every step keeps one for as long as it is open and records
// from time to time: one entry per key for a whole drag, from where it started to where it ended.
class SettingsChangeRecord {
public:
    // With `onlySection`, only the keys of that section are recorded: a window that stays open beside others
    // writing the same file records its own keys, not theirs a second time.
    explicit SettingsChangeRecord(QString settingsFilePath, QString onlySection = {});

    const QString& path() const { return m_path; }

    // Empty when the changes are in the trail (or there were none); else the reason, and the changes stay
    // pending for the next record().
    QString record(const SettingsAuditTarget& target);

private:
    QString m_path;
    QString m_onlySection;
    ProfileSnapshot m_before;
};

// Reads the file, runs `save`, and records what the save changed. The save's own outcome is the caller's
// to look at; the returned text is empty when the trail holds the changes, else why it does not (the
// setting stays saved all the same).
QString recordSettingsSave(const QString& settingsFilePath, const SettingsAuditTarget& target,
                           const std::function<void()>& save);

}  // namespace springtest
