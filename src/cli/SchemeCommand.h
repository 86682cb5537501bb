#pragma once

#include <QStringList>

namespace springtest {

// `springtest scheme add|list|show`: the schemes of the scheme database, without the editor window; those
// of the machine type's editor: leaf-spring schemes on the leaf-spring machine, axial and lateral ones (by
// `--kind`) on the lateral-stiffness machine, standard ones on every other.
int runSchemeCommand(const QString& applicationFolder, int machineType, const QStringList& args);

}  // namespace springtest
