#pragma once

#include <QString>
#include <QStringList>

namespace springtest {

// The program's help (`springtest --help`): every command, the options they share and the exit codes.
QString programUsage();
// The help of one command (`springtest COMMAND --help`); empty for a name that is no command.
QString commandUsage(const QString& command);
// True when the arguments ask for help instead of work: "--help" or "-h" anywhere. Help never needs the
// application folder, the machine or its lock.
bool asksForHelp(const QStringList& args);

}  // namespace springtest
