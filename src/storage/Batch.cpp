#include "storage/Batch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>

#include "storage/Schema.h"

namespace springtest {

namespace {

const QString kNoBatchNumber = QStringLiteral("批次号不能为空!!");
const QString kBadBatchNumber = QStringLiteral("批次号不能包含路径或非法字符!!");
const QString kNoSchemeName = QStringLiteral("方案名不能为空!!");
const QString kNoSuchScheme = QStringLiteral("该方案名不存在!!");
const QString kNoTemplate = QStringLiteral("未找到数据库模板!!");
const QString kNoBatchFolder = QStringLiteral("批次文件夹建立失败!!");
const QString kCaption = QStringLiteral("提示");
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

BatchOutcome failed(BatchOutcome outcome, const QString& message = {}) {
    outcome.ok = false;
    if (!message.isEmpty()) outcome.messages << message;
    return outcome;
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

QString batchFolderForMachineType(int machineType) {
    switch (machineType) {
        case 0:
        case 2:
        case 6:
            return batchFolder(BatchKind::Standard);
        case 3:
            return batchFolder(BatchKind::LeafSpring);
        case 5:
            return batchFolder(BatchKind::Lateral);
        default:
            return {};
    }
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

QString batchDatabasePath(const QString& appFolder, BatchKind kind, const QString& batchNumber) {
    return QDir(QDir(appFolder).filePath(batchFolder(kind))).filePath(batchNumber + QStringLiteral(".mdb"));
}

BatchOutcome createBatchDatabase(const QString& appFolder, BatchKind kind, const QString& batchNumber,
                                 const QString& schemeName, const YesNoQuestion& ask) {
    BatchOutcome outcome;
    if (const QString refusal = batchNumberError(batchNumber); !refusal.isEmpty())
        return failed(outcome, refusal);

    const QString templ = databaseTemplatePath(appFolder);
    if (!QFileInfo::exists(templ)) return failed(outcome, kNoTemplate);

    const QString folder = QDir(appFolder).filePath(batchFolder(kind));
    if (!QDir().mkpath(folder)) return failed(outcome, kNoBatchFolder);

    outcome.path = batchDatabasePath(appFolder, kind, batchNumber);
    if (QFileInfo::exists(outcome.path)) {
        if (!ask || !ask(kCaption, kReplaceQuestion)) return failed(outcome);
        // A batch open here or in another program is not pulled from under it. The journal files of the
        // old batch go with it: beside a fresh copy they would be taken for the copy's own.
        if (IsFileInUse(outcome.path)) return failed(outcome, kCopyFailed);
        for (const char* suffix : {"-wal", "-shm", "-journal"}) {
            const QString companion = outcome.path + QLatin1String(suffix);
            if (QFileInfo::exists(companion) && !QFile::remove(companion))
                return failed(outcome, kCopyFailed);
        }
        if (!QFile::remove(outcome.path)) return failed(outcome, kCopyFailed);
    }
    // QFile::copy writes a temporary file and renames it: a half-copied batch never appears.
    if (!QFile::copy(templ, outcome.path)) return failed(outcome, kCopyFailed);
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
        if (!rows) return failed(outcome, schemes.lastError());
        if (rows->isEmpty()) return failed(outcome, kNoSuchScheme);
        scheme = rows->first();
    }
    QVariantMap values;
    for (const QString& column : copiedTexts(table)) values.insert(column, scheme.text(column));
    for (const QString& column : copiedBooleans(table)) values.insert(column, scheme.toBool(column));

    Database batch(outcome.path);
    if (!batch.insertRow(schemeTableName(table), values)) return failed(outcome, batch.lastError());
    outcome.ok = true;
    return outcome;
}

BatchOutcome newBatch(const QString& appFolder, BatchKind kind, const QString& batchNumber,
                      const QString& schemeName, const YesNoQuestion& ask) {
    BatchOutcome outcome;
    if (const QString refusal = batchNumberError(batchNumber); !refusal.isEmpty())
        return failed(outcome, refusal);
    if (schemeName.isEmpty()) return failed(outcome, kNoSchemeName);
    QString error;
    if (!schemeExists(schemeDatabasePath(appFolder), schemeTableOf(kind), schemeName, &error)) {
        return failed(outcome, error.isEmpty() ? kNoSuchScheme : error);
    }
    outcome = createBatchDatabase(appFolder, kind, batchNumber, schemeName, ask);
    outcome.messages << (outcome.ok ? kCreated : kNotCreated);
    return outcome;
}

std::optional<int> nextSerial(Database& batch, ResultTable table) {
    // The last row of "order by xuhao asc", read as the first of the descending order.
    const QString name =
        table == ResultTable::LeafSpring ? QStringLiteral("GBTH_result") : QStringLiteral("test_result");
    const auto rows =
        batch.select(QStringLiteral("SELECT xuhao FROM %1 ORDER BY xuhao DESC LIMIT 1").arg(name));
    if (!rows) return std::nullopt;
    if (rows->isEmpty()) return 1;
    return rows->first().toInt(QStringLiteral("xuhao"), 0) + 1;
}

}  // namespace springtest
