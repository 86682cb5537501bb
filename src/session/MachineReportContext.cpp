#include "session/MachineReportContext.h"

#include "platform/CardDriver.h"
#include "session/MachineConfig.h"

namespace springtest {

ReportContext machineReportContext(const QString& applicationFolder) {
    const MachineConfig machine = MachineConfig::read(applicationFolder);
    ReportContext context;
    context.lab = readLabIdentity(applicationFolder);
    context.machine = machine.machineName;
    context.card = cardModelFor(machine.cardType).model;
    context.units = configuredBatchUnits(applicationFolder);
    return context;
}

}  // namespace springtest
