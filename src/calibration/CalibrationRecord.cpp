#include "calibration/CalibrationRecord.h"

#include "calibration/AuditTrail.h"
#include "platform/ProfileFile.h"
#include "storage/Database.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace springtest {

namespace {

// A card's channel file, "init" + card + ".dat".
const QRegularExpression kChannelFile(QStringLiteral("^init(\\d)\\.dat$"),
                                      QRegularExpression::CaseInsensitiveOption);
// The keys a calibration point or a coefficient step writes.
const QRegularExpression kCalibrationKey(
    QStringLiteral("^Gear(\\d+)_(Press|Pull)_(AD|Coefficient|Clibration_value)\\d$"),
    QRegularExpression::CaseInsensitiveOption);

void keepLatest(std::optional<QDateTime>& kept, const QDateTime& at) {
    if (at.isValid() && (!kept || at > *kept)) kept = at;
}

}  // namespace

int verificationIntervalFromText(const QString& text) {
    const std::optional<int> months = parseProfileInt(text.trimmed());
    return months && *months > 0 ? *months : kDefaultVerificationIntervalMonths;
}

std::optional<CalibrationRecord> CalibrationRecord::read(const QString& schemeDatabasePath, QString* error) {
    QString trailError;
    const std::optional<QList<AuditEntry>> trail = readAudit(schemeDatabasePath, &trailError);
    if (!trail) {
        if (error) *error = trailError;
        return std::nullopt;
    }
    CalibrationRecord record;
    for (const AuditEntry& e : *trail) {
        const QRegularExpressionMatch file = kChannelFile.match(e.file);
        const QRegularExpressionMatch key = kCalibrationKey.match(e.key);
        if (file.hasMatch() && key.hasMatch())
            record.noteCalibration(file.captured(1).toInt(), key.captured(1).toInt(), e.at);
    }

    Database db(schemeDatabasePath, Database::OpenMode::ExistingMaybeReadOnly);
    const auto unreadable = [&] {
        if (error) *error = withReason(QStringLiteral("the verifications cannot be read"), db.lastError());
        return std::nullopt;
    };
    if (!db.isOpen()) return unreadable();
    if (db.columns(QStringLiteral("force_verification")).isEmpty()) return record;
    const auto rows = db.select(QStringLiteral("SELECT card, gear, verified_at FROM force_verification"));
    if (!rows) return unreadable();
    for (const DbRow& r : *rows)
        record.noteVerification(r.value(QStringLiteral("card")).toInt(),
                                r.value(QStringLiteral("gear")).toInt(),
                                QDateTime::fromString(r.text(QStringLiteral("verified_at")), Qt::ISODate));
    return record;
}

GearCalibration CalibrationRecord::gear(int card, int gear) const {
    return m_gears.value({card, gear});
}

void CalibrationRecord::noteCalibration(int card, int gear, const QDateTime& at) {
    keepLatest(m_gears[{card, gear}].calibratedAt, at);
}

void CalibrationRecord::noteVerification(int card, int gear, const QDateTime& at) {
    keepLatest(m_gears[{card, gear}].verifiedAt, at);
}

QString calibrationRecordText(const GearCalibration& gear) {
    const QString day = QStringLiteral("yyyy-MM-dd");
    const QString calibrated = gear.calibratedAt
                                   ? QStringLiteral("上次标定 ") + gear.calibratedAt->toString(day)
                                   : QStringLiteral("未标定");
    const QString verified = gear.verifiedAt ? QStringLiteral("上次检定 ") + gear.verifiedAt->toString(day)
                                             : QStringLiteral("未检定");
    return calibrated + QStringLiteral(", ") + verified;
}

bool verificationOverdue(const GearCalibration& gear, const QDate& today, int intervalMonths) {
    if (!gear.verifiedAt) return false;
    return gear.verifiedAt->date().addMonths(intervalMonths) < today;
}

QList<OverdueVerification> overdueVerifications(const CalibrationRecord& record, const QList<int>& gearTotals,
                                                const QDate& today, int intervalMonths) {
    QList<OverdueVerification> overdue;
    for (int card = 0; card < gearTotals.size(); ++card)
        for (int g = 1; g <= gearTotals[card]; ++g) {
            const GearCalibration gear = record.gear(card, g);
            if (verificationOverdue(gear, today, intervalMonths))
                overdue.append({card, g, gear.verifiedAt->date()});
        }
    return overdue;
}

QString overdueVerificationText(const QList<OverdueVerification>& overdue, int intervalMonths) {
    if (overdue.isEmpty()) return {};
    QStringList gears;
    for (const OverdueVerification& o : overdue)
        gears << QStringLiteral("卡%1 %2档 上次检定 %3")
                     .arg(o.card + 1)
                     .arg(o.gear)
                     .arg(o.verifiedOn.toString(QStringLiteral("yyyy-MM-dd")));
    return QStringLiteral("力值检定已超过 %1 个月：").arg(intervalMonths) + gears.join(QStringLiteral("；"));
}

}  // namespace springtest
