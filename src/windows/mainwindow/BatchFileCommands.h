#pragma once

#include "storage/BatchFileRefusal.h"

#include <QString>

namespace springtest {

// The connection text kept for the batch opened last; the file itself is what the loader opens.
QString batchConnectionString(const QString& file);

}  // namespace springtest
