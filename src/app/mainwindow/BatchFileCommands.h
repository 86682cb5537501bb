#pragma once

#include <QString>

namespace springtest {

inline const QString kBatchFileFilter = QStringLiteral("数据库文件(*.mdb)|*.mdb");

// The connection text kept for the batch opened last; the file itself is what the loader opens.
QString batchConnectionString(const QString& file);

enum class BatchFileUse { Open, Delete };

// Why a file chosen in the batch dialog cannot be opened or deleted, in the operator's words; empty when it
// can. A name without a file part is an empty name.
QString batchFileRefusal(const QString& file, BatchFileUse use);

}  // namespace springtest
