#pragma once

#include "results/TestCertificate.h"

#include <QString>

namespace springtest {

// What the reports of this installation say about where they were made: the laboratory from the report
// settings, the machine's name and card model from the machine configuration, card 0's units. The command
// line and the browser both take it from here.
ReportContext machineReportContext(const QString& applicationFolder);

}  // namespace springtest
