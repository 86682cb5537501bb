#pragma once

#include <QStringList>

namespace springtest {

// `springtest password --user NAME`: sets an operator account's password, read from the terminal (twice, not
// echoed) or as one line from standard input.
int runPasswordCommand(const QString& applicationFolder, const QStringList& args);

}  // namespace springtest
