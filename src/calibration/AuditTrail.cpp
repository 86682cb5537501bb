#include "calibration/AuditTrail.h"

#include "platform/NumberFormat.h"
#include "storage/Database.h"

#include <QFileInfo>

namespace springtest {

namespace {

const char* const kCreateAudit[] = {
    "CREATE TABLE IF NOT EXISTS audit_trail (id INTEGER PRIMARY KEY AUTOINCREMENT, at TEXT NOT NULL,"
    " operator TEXT, file TEXT, section TEXT, key TEXT, old_value TEXT, new_value TEXT)",
    // What was recorded stays recorded: not even a program with the file open can rewrite history.
    "CREATE TRIGGER IF NOT EXISTS audit_trail_kept_update BEFORE UPDATE ON audit_trail"
    " BEGIN SELECT RAISE(ABORT, 'the audit trail cannot be changed'); END",
    "CREATE TRIGGER IF NOT EXISTS audit_trail_kept_delete BEFORE DELETE ON audit_trail"
    " BEGIN SELECT RAISE(ABORT, 'the audit trail cannot be changed'); END",
};

QString notRecorded(const Database& db) {
    return withReason(QStringLiteral("the change could not be recorded in the audit trail"), db.lastError());
}

QString gearKey(int gear, const char* suffix, int point = 0) {
    return QStringLiteral("Gear%1%2").arg(gear).arg(QLatin1String(suffix)) +
           (point > 0 ? QString::number(point) : QString());
}

}  // namespace

QString appendAudit(const QString& schemeDatabasePath, const QList<AuditEntry>& entries) {
    if (entries.isEmpty()) return {};
    if (!QFileInfo::exists(schemeDatabasePath))
        return QStringLiteral("the scheme database %1 is missing: make one with springtest init")
            .arg(schemeDatabasePath);
    Database db(schemeDatabasePath);
    if (!db.isOpen()) return notRecorded(db);
    for (const char* sql : kCreateAudit)
        if (!db.exec(QString::fromLatin1(sql))) return notRecorded(db);
    Transaction transaction(db);
    if (!transaction.isActive()) return notRecorded(db);
    for (const AuditEntry& e : entries)
        if (!db.insertRow(QStringLiteral("audit_trail"), {{QStringLiteral("at"), e.at.toString(Qt::ISODate)},
                                                          {QStringLiteral("operator"), e.operatorName},
                                                          {QStringLiteral("file"), e.file},
                                                          {QStringLiteral("section"), e.section},
                                                          {QStringLiteral("key"), e.key},
                                                          {QStringLiteral("old_value"), e.oldValue},
                                                          {QStringLiteral("new_value"), e.newValue}}))
            return notRecorded(db);
    if (!transaction.commit()) return notRecorded(db);
    return {};
}

std::optional<QList<AuditEntry>> readAudit(const QString& schemeDatabasePath, QString* error) {
    const auto failed = [&](const QString& message) -> std::optional<QList<AuditEntry>> {
        if (error) *error = message;
        return std::nullopt;
    };
    if (!QFileInfo::exists(schemeDatabasePath))
        return failed(QStringLiteral("the scheme database %1 is missing").arg(schemeDatabasePath));
    Database db(schemeDatabasePath, Database::OpenMode::ExistingMaybeReadOnly);
    if (!db.isOpen())
        return failed(withReason(QStringLiteral("the audit trail cannot be read"), db.lastError()));
    if (db.columns(QStringLiteral("audit_trail")).isEmpty()) return QList<AuditEntry>{};
    const auto rows = db.select(QStringLiteral("SELECT * FROM audit_trail ORDER BY id"));
    if (!rows) return failed(withReason(QStringLiteral("the audit trail cannot be read"), db.lastError()));
    QList<AuditEntry> entries;
    for (const DbRow& r : *rows)
        entries.append({QDateTime::fromString(r.text(QStringLiteral("at")), Qt::ISODate),
                        r.text(QStringLiteral("operator")), r.text(QStringLiteral("file")),
                        r.text(QStringLiteral("section")), r.text(QStringLiteral("key")),
                        r.text(QStringLiteral("old_value")), r.text(QStringLiteral("new_value"))});
    return entries;
}

GearRecords gearRecordsOf(const Tload& load) {
    GearRecords records{};
    for (int g = 1; g <= load.gearTotal() && g <= kMaxGears; ++g)
        records[size_t(g - 1)] = load.GetGearRecord(g);
    return records;
}

QList<AuditEntry> loadCalibrationChanges(const QString& file, int gearTotal, const GearRecords& before,
                                         const GearRecords& after) {
    QList<AuditEntry> changes;
    const QString section = QStringLiteral("LOAD");
    const auto note = [&](const QString& key, const QString& oldValue, const QString& newValue) {
        if (oldValue != newValue) changes.append({{}, {}, file, section, key, oldValue, newValue});
    };
    for (int g = 1; g <= gearTotal && g <= kMaxGears; ++g) {
        const GearRecord& b = before[size_t(g - 1)];
        const GearRecord& a = after[size_t(g - 1)];
        note(gearKey(g, "_AD_ZERO"), QString::number(b.zero), QString::number(a.zero));
        for (int k = 1; k <= 3; ++k) {
            const size_t i = size_t(k - 1);
            note(gearKey(g, "_Press_AD", k), QString::number(b.pressPoint[i]),
                 QString::number(a.pressPoint[i]));
            note(gearKey(g, "_Press_Coefficient", k), FormatCoefficient(b.pressCoefficient[i]),
                 FormatCoefficient(a.pressCoefficient[i]));
            note(gearKey(g, "_Press_Clibration_value", k), FormatByDecimals(b.decimals, b.pressReference[i]),
                 FormatByDecimals(a.decimals, a.pressReference[i]));
            note(gearKey(g, "_Pull_AD", k), QString::number(b.pullPoint[i]), QString::number(a.pullPoint[i]));
            note(gearKey(g, "_Pull_Coefficient", k), FormatCoefficient(b.pullCoefficient[i]),
                 FormatCoefficient(a.pullCoefficient[i]));
            note(gearKey(g, "_Pull_Clibration_value", k), FormatByDecimals(b.decimals, b.pullReference[i]),
                 FormatByDecimals(a.decimals, a.pullReference[i]));
        }
    }
    return changes;
}

}  // namespace springtest
