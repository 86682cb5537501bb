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
// Sets (or adds) a user's password; an error text when the name cannot be an account or the file cannot be
// written.
QString setOperatorPassword(const QString& applicationFolder, const QString& user, const QString& password);

}  // namespace springtest
