#pragma once

#include <QList>
#include <QString>

namespace springtest {

// One row of a scheme's point table, as typed.
struct SchemePointText {
    QString value;
    QString upper;
    QString lower;
};

struct SchemeCheckResult {
    bool ok = false;
    int failedRow = 0;  // 1-based; 0 when the check did not reach the rows
    QString message;    // what the operator is told
};

// The scheme check ("验证"): every point value present, the points in order (decreasing heights for a
// compression spring given in displacements, increasing otherwise; equal values allowed), and each upper
// limit at least its lower limit (an empty limit counts as 0).
SchemeCheckResult checkSchemePoints(const QString& styleText, const QString& countText, bool compression,
                                    const QList<SchemePointText>& rows);

// The header captions of the point table and the result grid by scheme style; empty for an unknown style.
QStringList pointTableHeaders(int style);

}  // namespace springtest
