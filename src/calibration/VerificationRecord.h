#pragma once

#include "calibration/ForceVerification.h"

#include <QDateTime>
#include <QString>

namespace springtest {

// One force verification as a lab keeps it: where and when, who, against what, the readings and what they
// came to.
struct VerificationRecord {
    int card = 0;
    int gear = 1;
    QDateTime verifiedAt;
    QString operatorName;
    QString referenceSource;  // ReferenceForce::source()
    QString units;            // the load channel's units
    VerificationInput readings;
    VerificationResult result;
};

// Tables of their own in the scheme database, made when missing:
//   force_verification        one row per verification: card, gear, verified_at (ISO 8601), operator,
//                             reference_source, range, resolution, zero_error_pct, class
//   force_verification_step   one row per force step: q, b, a and the step's class
//   force_verification_reading one row per reading: series, step, reference, indicated
// The whole verification is one transaction: it is stored completely or not at all. Returns an empty text
// on success, else the operator's message; `id` receives the new verification's number.
QString storeVerification(const QString& schemeDatabasePath, const VerificationRecord& record,
                          qint64* id = nullptr);

// The verification report as a PDF (A4): the verification's particulars, the table of steps with q, b, a,
// the zero error, the class reached, and lines to sign. An existing file is never replaced. Needs a
// QGuiApplication (the fonts). Returns an empty text on success, else the operator's message.
QString writeVerificationReport(const QString& pdfPath, const VerificationRecord& record);

}  // namespace springtest
