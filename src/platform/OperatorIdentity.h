#pragma once

#include <QString>

namespace springtest {

// Who works the program: the account that logged in last during this run, else the user of the operating
// system. Tests, audit entries and reports carry it. Safe to read and set from any thread.

// An empty or blank account forgets the login.
void setLoggedInOperator(const QString& account);
// Empty when nobody logged in during this run.
QString loggedInOperator();
// The logged-in account, else the system user ($USER, $USERNAME or $LOGNAME, else the home folder's name).
QString currentOperatorName();

}  // namespace springtest
