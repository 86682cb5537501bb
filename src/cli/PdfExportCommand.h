#pragma once

#include <QString>
#include <QStringList>

namespace springtest {

// `springtest export pdf --batch B [--test N] [--out FILE]`: the one-page certificate of test N, or without
// --test the batch's summary, as a PDF written under report/ (or to FILE, which must not exist yet); prints
// its path. `args` are those after "pdf".
int runPdfExport(const QString& applicationFolder, int machineType, const QStringList& args);

}  // namespace springtest
