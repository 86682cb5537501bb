#pragma once

#include <QString>

namespace springtest {

// The batch file dialogs of the main window and of the result browser share these.
inline const QString kBatchFileFilter = QStringLiteral("数据库文件(*.mdb)|*.mdb");

enum class BatchFileUse { Open, Delete };

// Why a file chosen in the batch dialog cannot be opened or deleted, in the operator's words; empty when it
// can. A name without a file part is an empty name.
QString batchFileRefusal(const QString& file, BatchFileUse use);

}  // namespace springtest
