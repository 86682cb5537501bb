#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

namespace springtest {

// When each gear of each card was last calibrated and last verified: the calibration from the audit trail
// (the last change of one of the gear's calibration points or coefficients, by a window or a command), the
// verification from the stored force verifications. A zero taken on the data panel is no calibration.

inline constexpr int kDefaultVerificationIntervalMonths = 12;

// The interval as the machine configuration gives it: a whole number of months above zero, else the
// default (a typing slip must not switch the reminder off).
int verificationIntervalFromText(const QString& text);

struct GearCalibration {
    std::optional<QDateTime> calibratedAt;
    std::optional<QDateTime> verifiedAt;
};

class CalibrationRecord {
public:
    // Nothing, with the reason in `error`, when the scheme database cannot be read. A database without the
    // trail or the verification table has an empty record.
    static std::optional<CalibrationRecord> read(const QString& schemeDatabasePath, QString* error = nullptr);

    // `card` counts from 0, as the channel files do ("init0.dat"), `gear` from 1.
    GearCalibration gear(int card, int gear) const;

    // For tests and for a record built from elsewhere.
    void noteCalibration(int card, int gear, const QDateTime& at);
    void noteVerification(int card, int gear, const QDateTime& at);

private:
    QHash<QPair<int, int>, GearCalibration> m_gears;
};

// "上次标定 yyyy-MM-dd, 上次检定 yyyy-MM-dd", with "未标定" / "未检定" for what never happened.
QString calibrationRecordText(const GearCalibration& gear);

// A verification older than the interval on `today` (a gear never verified is not overdue: it has nothing
// to be overdue with, and says "未检定").
bool verificationOverdue(const GearCalibration& gear, const QDate& today, int intervalMonths);

// The gears whose verification is overdue among cards 0…cardCount−1 and their gears 1…gearTotals[card].
struct OverdueVerification {
    int card = 0;
    int gear = 1;
    QDate verifiedOn;
};
QList<OverdueVerification> overdueVerifications(const CalibrationRecord& record, const QList<int>& gearTotals,
                                                const QDate& today, int intervalMonths);

// The start-up note about them; empty when there are none.
QString overdueVerificationText(const QList<OverdueVerification>& overdue, int intervalMonths);

}  // namespace springtest
