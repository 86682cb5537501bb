#pragma once

#include <QString>

namespace springtest {

// The operator accounts that may open the settings of the machine (hardware settings and zeroing, the
// overload log, calibration, PID): "login.ini" in the application folder, section "users", one key per user
// with a salted SHA-256 of the password, never the password itself.
inline constexpr const char* kLoginFile = "login.ini";

// True when the user exists and the password is his.
bool checkOperatorLogin(const QString& applicationFolder, const QString& user, const QString& password);
// Why a name cannot be an account (empty, or not a key the file can hold: a '=', a '[', a line break or
// another control character); empty when it can. Surrounding blanks do not count: they are dropped.
QString operatorNameError(const QString& user);
// Sets (or adds) a user's password, unrecorded (the first account of an installation comes before its
// audit trail); an error text when the name cannot be an account or the file cannot be
// written.
QString setOperatorPassword(const QString& applicationFolder, const QString& user, const QString& password);

// As setOperatorPassword, for an operator changing the accounts of a running installation: the audit trail
// records that the account was added or its password changed (never the digest). `error` is why nothing
// changed; `unrecorded`, why the trail does not hold a change that was made.
struct AccountChange {
    QString error;
    QString unrecorded;
};
AccountChange changeOperatorPassword(const QString& applicationFolder, const QString& user,
                                     const QString& password);

}  // namespace springtest
