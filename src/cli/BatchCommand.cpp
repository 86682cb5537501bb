#include "cli/BatchCommand.h"

#include "cli/CommandOptions.h"
#include "cli/ConsoleOutput.h"
#include "cli/TerminalPrompts.h"
#include "storage/Batch.h"

#include <unistd.h>

namespace springtest {

int runBatchCommand(const QString& applicationFolder, int machineType, const QStringList& args) {
    if (args.isEmpty() || args.first() != QLatin1String("new"))
        return usageError(
            QStringLiteral("batch needs a subcommand: new --batch NUMBER --scheme NAME [--overwrite]"));
    CommandOptions o(args.mid(1), {QStringLiteral("batch"), QStringLiteral("scheme")},
                     {QStringLiteral("overwrite")});
    if (!o.ok()) return usageError(o.error());
    const bool overwrite = o.has(QStringLiteral("overwrite"));
    // The overwrite question: --overwrite answers Yes; on a terminal the operator answers; otherwise No.
    const YesNoQuestion ask = [overwrite](const QString&, const QString& question) {
        printErr(question);
        if (overwrite) return true;
        if (!isatty(STDIN_FILENO)) {
            printErr(QStringLiteral("no terminal to answer on: pass --overwrite to replace the batch"));
            return false;
        }
        return terminalAnswersYes();
    };
    const BatchOutcome outcome =
        newBatch(applicationFolder, batchKindForMachineType(machineType), o.text(QStringLiteral("batch")),
                 o.text(QStringLiteral("scheme")), ask);
    for (const QString& m : outcome.messages) (outcome.ok ? printOut(m) : printErr(m));
    if (outcome.ok) printOut(outcome.path);
    return outcome.ok ? 0 : 1;
}

}  // namespace springtest
