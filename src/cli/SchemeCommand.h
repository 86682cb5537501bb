#pragma once

#include <QStringList>

namespace springtest {

// `springtest scheme add|list`: the standard schemes of the scheme database, without the editor window.
int runSchemeCommand(const QString& applicationFolder, const QStringList& args);

}  // namespace springtest
