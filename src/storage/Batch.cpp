#include "storage/Batch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/OperatorTexts.h"
#include "storage/BatchHold.h"
#include "storage/FullRateCurve.h"
#include "storage/Schema.h"
#include "storage/TestOffsetAngle.h"
#include "storage/TestOperator.h"

namespace springtest {

namespace {

const QString kNoBatchNumber = QStringLiteral("批次号不能为空!!");
const QString kBadBatchNumber = QStringLiteral("批次号不能包含路径或非法字符!!");
const QString kSerialsExhausted = QStringLiteral("试验序号已满，请新建批次!!");
const QString kNoTemplate = QStringLiteral("未找到数据库模板!!");
const QString kNoBatchFolder = QStringLiteral("批次文件夹建立失败!!");
const QString kReplaceQuestion = QStringLiteral("该批次已经存在，是否覆盖?");
const QString kCopyFailed = QStringLiteral("该批次名已存在!!");
const QString kCreated = QStringLiteral("批次数据库建立完成!!");
const QString kNotCreated = QStringLiteral("批次数据库建立失败!!");

// File names the program's file systems refuse or take for devices.
constexpr char kForbiddenCharacters[] = "/\\<>:\"|?*";
const QStringList kDeviceNames{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                               QStringLiteral("NUL")};
constexpr int kMaxFileNameBytes = 255;

bool isDeviceName(const QString& batchNumber) {
    const QString base = batchNumber.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    if (kDeviceNames.contains(base)) return true;
    return base.size() == 4 &&
           (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT"))) &&
           base[3] >= QLatin1Char('1') && base[3] <= QLatin1Char('9');
}

// The scheme columns a batch copies, as texts and as booleans.
QStringList copiedTexts(SchemeTable table) {
    QStringList columns =
        table == SchemeTable::LeafSpring
            ? QStringList{"scheme_name",      "scheme_style", "scheme_jh",     "scheme_height",
                          "scheme_load",      "scheme_sum",   "scheme_sdload", "scheme_th_height",
                          "scheme_xc_height", "scheme_xbbj",  "scheme_yyload", "scheme_returnLOAD"}
            : QStringList{"scheme_name", "scheme_style",      "scheme_jh",        "scheme_load",
                          "scheme_sum",  "scheme_gangdu_max", "scheme_gangdu_min"};
    for (int k = 1; k <= kSchemePoints; ++k) {
        columns << schemePointColumn(k) << schemePointMaxColumn(k) << schemePointMinColumn(k);
    }
    return columns;
}

QStringList copiedBooleans(SchemeTable table) {
    return table == SchemeTable::LeafSpring ? QStringList{} : QStringList{"scheme_type", "scheme_yb"};
}

BatchOutcome failed(BatchOutcome outcome, BatchFailure failure, const QString& message = {}) {
    outcome.ok = false;
    outcome.failure = failure;
    if (!message.isEmpty()) outcome.messages << message;
    return outcome;
}

// Serials counted in 64 bits and capped one past the last, so nothing a file holds can overflow them.
constexpr qint64 kPastLastSerial = qint64(kLastSerial) + 1;

std::optional<qint64> serialNumber(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::LongLong:
        case QMetaType::Int:
            return std::min(value.toLongLong(), kPastLastSerial);
        case QMetaType::Double: {
            const double d = value.toDouble();
            if (!std::isfinite(d)) return std::nullopt;
            return d >= double(kPastLastSerial) ? kPastLastSerial : qint64(std::floor(d));
        }
        case QMetaType::QString: {
            const QString text = value.toString().trimmed();
            bool ok = false;
            const qint64 whole = text.toLongLong(&ok);
            if (ok) return std::min(whole, kPastLastSerial);
            const double d = text.toDouble(&ok);
            return ok ? serialNumber(QVariant(d)) : std::nullopt;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

QString batchFolder(BatchKind kind) {
    switch (kind) {
        case BatchKind::Lateral:
            return QStringLiteral("database_HXGD/");
        case BatchKind::LeafSpring:
            return QStringLiteral("databaseGBTH/");
        case BatchKind::Standard:
            break;
    }
    return QStringLiteral("database/");
}

BatchKind batchKindForMachineType(int machineType) {
    switch (machineType) {
        case 3:
            return BatchKind::LeafSpring;
        case 5:
            return BatchKind::Lateral;
        default:
            return BatchKind::Standard;
    }
}

QString batchFolderForMachineType(int machineType) {
    return batchFolder(batchKindForMachineType(machineType));
}

SchemeTable schemeTableOf(BatchKind kind) {
    return kind == BatchKind::LeafSpring ? SchemeTable::LeafSpring : SchemeTable::Standard;
}

QString batchNumberError(const QString& batchNumber) {
    if (batchNumber.isEmpty()) return kNoBatchNumber;
    if (batchNumber == QLatin1String(".") || batchNumber.startsWith(QLatin1String("..")))
        return kBadBatchNumber;
    if (!batchNumber.isValidUtf16()) return kBadBatchNumber;
    for (const QChar c : batchNumber) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Separator_Line ||
            category == QChar::Separator_Paragraph) {
            return kBadBatchNumber;
        }
        if (c.unicode() < 0x80 && std::strchr(kForbiddenCharacters, c.toLatin1()) != nullptr)
            return kBadBatchNumber;
    }
    if (batchNumber.endsWith(QLatin1Char('.')) || batchNumber.endsWith(QLatin1Char(' ')))
        return kBadBatchNumber;
    if (isDeviceName(batchNumber)) return kBadBatchNumber;
    // SQLite keeps its journal beside the batch under the batch's name + "-journal" (or "-wal", "-shm").
    if ((batchNumber + QStringLiteral(".mdb-journal")).toUtf8().size() > kMaxFileNameBytes)
        return kBadBatchNumber;
    return {};
}

QString batchNumberFromName(const QString& name) {
    const QLatin1String extension(".mdb");
    return name.endsWith(extension, Qt::CaseInsensitive) ? name.chopped(extension.size()) : name;
}

QString batchDatabasePath(const QString& appFolder, BatchKind kind, const QString& batchNumber) {
    return QDir(QDir(appFolder).filePath(batchFolder(kind))).filePath(batchNumber + QStringLiteral(".mdb"));
}

BatchOutcome createBatchDatabase(const QString& appFolder, BatchKind kind, const QString& typedNumber,
                                 const QString& schemeName, const YesNoQuestion& ask) {
    BatchOutcome outcome;
    const QString batchNumber = batchNumberFromName(typedNumber);
    if (const QString refusal = batchNumberError(batchNumber); !refusal.isEmpty())
        return failed(outcome, BatchFailure::Refused, refusal);

    const QString templ = databaseTemplatePath(appFolder);
    if (!QFileInfo::exists(templ)) return failed(outcome, BatchFailure::Refused, kNoTemplate);

    const QString folder = QDir(appFolder).filePath(batchFolder(kind));
    if (!QDir().mkpath(folder)) return failed(outcome, BatchFailure::Failed, kNoBatchFolder);

    outcome.path = batchDatabasePath(appFolder, kind, batchNumber);
    // Held while the old batch goes and the new one is copied, so no program starts testing into either
    // half-way.
    std::unique_ptr<BatchHold> hold;
    if (QFileInfo::exists(outcome.path)) {
        if (!ask || !ask(kPromptCaption, kReplaceQuestion)) return failed(outcome, BatchFailure::Exists);
        // A batch open here or in another program, or held for testing, is not pulled from under it.
        if (IsFileInUse(outcome.path)) return failed(outcome, BatchFailure::InUse, kFileInUse);
        BatchHold::Outcome taken = BatchHold::take(outcome.path);
        if (!taken.hold) {
            return taken.inUse ? failed(outcome, BatchFailure::InUse, kFileInUse)
                               : failed(outcome, BatchFailure::Failed, withReason(kCopyFailed, taken.error));
        }
        hold = std::move(taken.hold);
        // The journal files of the old batch go with it: beside a fresh copy they would be taken for the
        // copy's own.
        for (const char* suffix : {"-wal", "-shm", "-journal"}) {
            const QString companion = outcome.path + QLatin1String(suffix);
            if (QFileInfo::exists(companion) && !QFile::remove(companion))
                return failed(outcome, BatchFailure::Failed, kCopyFailed);
        }
        if (!QFile::remove(outcome.path)) return failed(outcome, BatchFailure::Failed, kCopyFailed);
    }
    // QFile::copy writes a temporary file and renames it: a half-copied batch never appears.
    if (!QFile::copy(templ, outcome.path)) return failed(outcome, BatchFailure::Failed, kCopyFailed);
    QFile::setPermissions(outcome.path,
                          QFile::permissions(outcome.path) | QFile::WriteOwner | QFile::ReadOwner);

    // From here on a failure leaves the copied batch without its scheme, as it always has.
    const SchemeTable table = schemeTableOf(kind);
    DbRow scheme;
    {
        Database schemes(schemeDatabasePath(appFolder));
        const auto rows = schemes.select(QStringLiteral("SELECT * FROM %1 WHERE scheme_name = ?")
                                             .arg(Database::quoteName(schemeTableName(table))),
                                         {schemeName});
        if (!rows)
            return failed(outcome, BatchFailure::Failed, withReason(kSchemeReadFailed, schemes.lastError()));
        if (rows->isEmpty()) return failed(outcome, BatchFailure::Refused, kNoSuchScheme);
        scheme = rows->first();
    }
    QVariantMap values;
    for (const QString& column : copiedTexts(table)) values.insert(column, scheme.text(column));
    for (const QString& column : copiedBooleans(table)) values.insert(column, scheme.toBool(column));

    Database batch(outcome.path);
    if (!batch.insertRow(schemeTableName(table), values))
        return failed(outcome, BatchFailure::Failed, withReason(kSchemeNotSaved, batch.lastError()));
    outcome.ok = true;
    return outcome;
}

BatchOutcome newBatch(const QString& appFolder, BatchKind kind, const QString& batchNumber,
                      const QString& schemeName, const YesNoQuestion& ask) {
    BatchOutcome outcome;
    if (const QString refusal = batchNumberError(batchNumberFromName(batchNumber)); !refusal.isEmpty())
        return failed(outcome, BatchFailure::Refused, refusal);
    if (schemeName.isEmpty()) return failed(outcome, BatchFailure::Refused, kNoSchemeName);
    QString error;
    if (!schemeExists(schemeDatabasePath(appFolder), schemeTableOf(kind), schemeName, &error)) {
        return error.isEmpty() ? failed(outcome, BatchFailure::Refused, kNoSuchScheme)
                               : failed(outcome, BatchFailure::Failed, withReason(kSchemeReadFailed, error));
    }
    outcome = createBatchDatabase(appFolder, kind, batchNumber, schemeName, ask);
    outcome.messages << (outcome.ok ? kCreated : kNotCreated);
    return outcome;
}

std::optional<int> nextSerial(Database& batch, ResultTable table, QString& error) {
    const QString name =
        table == ResultTable::LeafSpring ? QStringLiteral("GBTH_result") : QStringLiteral("test_result");
    // Ordered as SQLite orders values, every word and blob comes after every number: the largest serial
    // is the largest number, and texts are read one by one (a batch from a file whose serial column is text
    // holds every serial as text).
    const auto numbers = batch.select(
        QStringLiteral("SELECT max(xuhao) AS serial FROM %1 WHERE typeof(xuhao) IN ('integer', 'real')")
            .arg(name));
    const auto texts = batch.select(
        QStringLiteral("SELECT DISTINCT xuhao AS serial FROM %1 WHERE typeof(xuhao) = 'text'").arg(name));
    if (!numbers || !texts) {
        error = withReason(kReadingFileFailed, batch.lastError());
        return std::nullopt;
    }
    qint64 largest = 0;  // serials below 1 leave 1 free
    for (const QList<DbRow>* rows : {&*numbers, &*texts}) {
        for (const DbRow& row : *rows) {
            if (const auto serial = serialNumber(row.value(QStringLiteral("serial"))))
                largest = std::max(largest, *serial);
        }
    }
    if (largest >= kLastSerial) {
        error = kSerialsExhausted;
        return std::nullopt;
    }
    return static_cast<int>(largest + 1);
}

bool closeSerialGap(Database& batch, int deletedSerial) {
    const auto later =
        batch.select(QStringLiteral("SELECT DISTINCT xuhao FROM test_result WHERE xuhao > ? ORDER BY xuhao"),
                     {deletedSerial});
    if (!later) return false;
    for (const DbRow& test : *later) {
        if (!batch.exec(QStringLiteral("UPDATE test_result SET xuhao = xuhao - 1 WHERE xuhao = ?"),
                        {test.value(QStringLiteral("xuhao"))}))
            return false;
    }
    return batch.exec(QStringLiteral("UPDATE test_point SET xuhao = xuhao - 1 WHERE xuhao > ?"),
                      {deletedSerial}) &&
           closeOperatorGap(batch, deletedSerial) && closeFullRateGap(batch, deletedSerial) &&
           closeOffsetAngleGap(batch, deletedSerial);
}

}  // namespace springtest
