#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "storage/Database.h"
#include "storage/Schemes.h"

namespace springtest {

// The three kinds of batch, one per scheme editor: each has its batch folder and its scheme table.
enum class BatchKind { Standard, Lateral, LeafSpring };

// Batch folder of a kind, relative to the application folder: "database/", "database_HXGD/",
// "databaseGBTH/".
QString batchFolder(BatchKind kind);
// Batch folder the file commands open for a machine type: 0, 2, 6 "database/"; 3 "databaseGBTH/";
// 5 "database_HXGD/"; any other "" (the application folder itself).
QString batchFolderForMachineType(int machineType);
SchemeTable schemeTableOf(BatchKind kind);

// The message refusing a batch number, or an empty text when it can be used. The batch number becomes a
// file name as typed, so it must stay a plain name inside the batch folder: no path separators, not "." or
// "..", nothing starting with "..", no control characters, none of the characters or device names that a
// file name cannot have on the systems the program runs on, no trailing dot or blank, and not too long.
QString batchNumberError(const QString& batchNumber);

// applicationFolder + batch folder + batch number + ".mdb"; only meaningful for an accepted batch number.
QString batchDatabasePath(const QString& appFolder, BatchKind kind, const QString& batchNumber);

// Asks the operator a Yes/No question; true is Yes. The caption comes first.
using YesNoQuestion = std::function<bool(const QString& caption, const QString& question)>;

struct BatchOutcome {
    bool ok = false;
    QStringList messages;  // to show in this order, each in an information box
    QString path;          // the batch database, once its number was accepted
};

// Makes the batch database: copies the template (asking before it replaces an existing batch), then appends
// the scheme's row. On failure, `messages` holds what this step has to say (possibly nothing, when the
// operator declined to replace the batch); the final message is the caller's.
BatchOutcome createBatchDatabase(const QString& appFolder, BatchKind kind, const QString& batchNumber,
                                 const QString& schemeName, const YesNoQuestion& ask);

// The editors' "新建批次": checks the batch number and the scheme name, creates the batch, and ends the
// messages with "批次数据库建立完成!!" or "批次数据库建立失败!!" once the creation itself was tried.
BatchOutcome newBatch(const QString& appFolder, BatchKind kind, const QString& batchNumber,
                      const QString& schemeName, const YesNoQuestion& ask);

// The serial of the next test stored in a batch: 1 when the result table is empty, else one more than the
// largest serial present. Nothing on a database error (see batch.lastError()). Call it inside the
// transaction that stores the test.
enum class ResultTable { Standard, LeafSpring };  // `test_result`, `GBTH_result`
std::optional<int> nextSerial(Database& batch, ResultTable table);

}  // namespace springtest
