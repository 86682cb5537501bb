#pragma once

#include <QStringList>

namespace springtest {

// `springtest audit`: the audit trail of the machine's settings, oldest change first.
int runAuditCommand(const QString& applicationFolder, const QStringList& options);

}  // namespace springtest
