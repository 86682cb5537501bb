#pragma once

#include "measurement/Tload.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace springtest {

// The audit trail: every change of a machine setting, who made it and when, old value and new, kept in
// table `audit_trail` of the scheme database. Rows are only ever added: the table refuses changes and
// deletions, whoever asks.
struct AuditEntry {
    QDateTime at;
    QString operatorName;
    QString file;     // "init0.dat"
    QString section;  // "LOAD"
    QString key;      // "Gear1_Press_Coefficient1"
    QString oldValue;
    QString newValue;
};

// Adds the entries together (all or none). Returns an empty text on success, else the operator's message.
QString appendAudit(const QString& schemeDatabasePath, const QList<AuditEntry>& entries);
// Every entry, oldest first; nothing, with the reason in `error`, when the database cannot be read. A
// database without the table has an empty trail.
std::optional<QList<AuditEntry>> readAudit(const QString& schemeDatabasePath, QString* error = nullptr);

using GearRecords = std::array<GearRecord, kMaxGears>;
// The gear records of a load channel, gears 1…gear total.
GearRecords gearRecordsOf(const Tload& load);
// What a calibration changed in a load channel's file, key by key as the file names them, values as the
// file holds them. `file` is the channel's file name; at and operator are left to the caller.
QList<AuditEntry> loadCalibrationChanges(const QString& file, int gearTotal, const GearRecords& before,
                                         const GearRecords& after);

}  // namespace springtest
