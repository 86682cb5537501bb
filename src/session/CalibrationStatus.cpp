#include "session/CalibrationStatus.h"

#include "calibration/CalibrationRecord.h"
#include "measurement/CardSlot.h"
#include "measurement/Tload.h"
#include "session/MachineConfig.h"
#include "storage/Schema.h"

namespace springtest {

namespace {

const QString kRecordUnreadable = QStringLiteral("标定记录无法读取：");

}  // namespace

QList<int> gearTotalsOf(const CardTables& cards) {
    QList<int> totals;
    for (int i = 0; i < cards.count; ++i) {
        const Tload* load = cards.cards[size_t(i)].load.get();
        totals.append(load ? load->gearTotal() : 0);
    }
    return totals;
}

QStringList calibrationRecordLines(const QString& applicationFolder, const QList<int>& gearTotals) {
    QString error;
    const std::optional<CalibrationRecord> record =
        CalibrationRecord::read(schemeDatabasePath(applicationFolder), &error);
    if (!record) return {kRecordUnreadable + error};
    QStringList lines;
    for (int card = 0; card < gearTotals.size(); ++card)
        for (int gear = 1; gear <= gearTotals[card]; ++gear)
            lines << QStringLiteral("卡%1 %2档：").arg(card + 1).arg(gear) +
                         calibrationRecordText(record->gear(card, gear));
    return lines;
}

QString gearCalibrationText(const QString& applicationFolder, int card, int gear) {
    QString error;
    const std::optional<CalibrationRecord> record =
        CalibrationRecord::read(schemeDatabasePath(applicationFolder), &error);
    return record ? calibrationRecordText(record->gear(card, gear)) : kRecordUnreadable + error;
}

QString verificationReminder(const QString& applicationFolder, const QList<int>& gearTotals,
                             const QDate& today) {
    const std::optional<CalibrationRecord> record =
        CalibrationRecord::read(schemeDatabasePath(applicationFolder));
    if (!record) return {};
    const int months = MachineConfig::read(applicationFolder).verificationIntervalMonths;
    return overdueVerificationText(overdueVerifications(*record, gearTotals, today, months), months);
}

}  // namespace springtest
