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
// Where a machine type's batches live, the one rule every window and command follows: the leaf-spring
// machine (3) has leaf-spring batches, the lateral-stiffness machine (5) lateral ones, every other type
// standard ones, each kind in its own folder. None lives in the application folder itself, where a batch
// numbered "temp" or "test_information" would take the place of a shipped database.
BatchKind batchKindForMachineType(int machineType);
// The batch folder of the machine type's kind, relative to the application folder.
QString batchFolderForMachineType(int machineType);
SchemeTable schemeTableOf(BatchKind kind);

// The message refusing a batch number, or an empty text when it can be used. The batch number becomes a
// file name as typed, so it must stay a plain name inside the batch folder: no path separators, not "." or
// "..", nothing starting with "..", no control characters, none of the characters or device names that a
// file name cannot have on the systems the program runs on, no trailing dot or blank, and not too long.
QString batchNumberError(const QString& batchNumber);

// The batch number a name stands for: the name without the ".mdb" the file of every batch ends in, which
// operators often type along.
QString batchNumberFromName(const QString& name);

// applicationFolder + batch folder + batch number + ".mdb"; only meaningful for an accepted batch number.
QString batchDatabasePath(const QString& appFolder, BatchKind kind, const QString& batchNumber);

// Asks the operator a Yes/No question; true is Yes. The caption comes first.
using YesNoQuestion = std::function<bool(const QString& caption, const QString& question)>;

// Why a batch was not made, for callers that answer each case in their own way.
enum class BatchFailure {
    None,
    Refused,  // a bad batch number or scheme name, a missing template or scheme
    Exists,   // the batch exists and was not to be replaced
    InUse,    // the batch exists and is open or held for testing: it is not replaced under anyone
    Failed,   // a file or database error
};

struct BatchOutcome {
    bool ok = false;
    BatchFailure failure = BatchFailure::None;
    QStringList messages;  // to show in this order, each in an information box
    QString path;          // the batch database, once its number was accepted
};

// Makes the batch database: copies the template (asking before it replaces an existing batch), then appends
// the scheme's row. On failure, `messages` holds what this step has to say (possibly nothing, when the
// operator declined to replace the batch); the final message is the caller's. A number typed with ".mdb"
// names the batch without it.
BatchOutcome createBatchDatabase(const QString& appFolder, BatchKind kind, const QString& batchNumber,
                                 const QString& schemeName, const YesNoQuestion& ask);

// The editors' "新建批次": checks the batch number and the scheme name, creates the batch, and ends the
// messages with "批次数据库建立完成!!" or "批次数据库建立失败!!" once the creation itself was tried.
BatchOutcome newBatch(const QString& appFolder, BatchKind kind, const QString& batchNumber,
                      const QString& schemeName, const YesNoQuestion& ask);

// Serials are 32-bit integers wherever the program shows or looks up a test.
inline constexpr int kLastSerial = 2147483647;

// The serial of the next test stored in a batch: one more than the largest number among its serials, 1 when
// there is none. A serial that is no number (a word, a blob, NULL) is passed over; a text that reads as a
// number counts as that number, a fraction as its whole part. Nothing, with `error` set to the operator's
// message, on a database error ("读取文件错误!!" and the engine's text) or when a batch holds serial
// kLastSerial already ("试验序号已满，请新建批次!!"): such a batch takes no more tests (a new batch does),
// rather than one serial wrapping round onto another. Call it inside the transaction that stores the test,
// so that no other program can store the same serial in between.
enum class ResultTable { Standard, LeafSpring };  // `test_result`, `GBTH_result`
std::optional<int> nextSerial(Database& batch, ResultTable table, QString& error);

// Closes the gap a deleted standard test leaves: every later test moves one serial down, its result rows,
// its curve and its operator with it. Test by test in serial order, so that the result table never holds two
// rows of one test and stroke on the way. False on a database error (see batch.lastError()). Call it inside
// the transaction that deletes the test.
bool closeSerialGap(Database& batch, int deletedSerial);

}  // namespace springtest
