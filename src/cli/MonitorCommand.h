#pragma once

#include <QStringList>

namespace springtest {

// `springtest monitor`: the live values of every card on the terminal, with keys to move, stop and zero.
int runMonitor(const QString& applicationFolder, const QStringList& options);

}  // namespace springtest
