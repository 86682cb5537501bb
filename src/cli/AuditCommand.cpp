#include "cli/AuditCommand.h"

#include "calibration/AuditTrail.h"
#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "storage/Schema.h"

namespace springtest {

int runAuditCommand(const QString& applicationFolder, const QStringList& args) {
    CommandOptions o(args, {QStringLiteral("key")}, {});
    if (!o.ok()) return usageError(o.error());
    // A part of the key: "Coefficient" for every coefficient, "Gear2_" for one gear.
    const QString keyPart = o.text(QStringLiteral("key"));

    QString error;
    const std::optional<QList<AuditEntry>> entries = readAudit(schemeDatabasePath(applicationFolder), &error);
    if (!entries) return operatorError(error);
    for (const AuditEntry& e : *entries) {
        if (!keyPart.isEmpty() && !e.key.contains(keyPart, Qt::CaseInsensitive)) continue;
        printOut(QStringLiteral("%1  %2  %3 [%4] %5: %6 → %7")
                     .arg(e.at.toString(Qt::ISODate), e.operatorName, e.file, e.section, e.key, e.oldValue,
                          e.newValue));
    }
    return 0;
}

}  // namespace springtest
