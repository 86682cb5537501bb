#pragma once

#include "results/BatchStatistics.h"
#include "storage/Database.h"

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

namespace springtest {

// The units a standard batch's numbers are in: card 0's load and displacement units, as the browser shows
// them. Stiffness is always stored in N/mm.
struct BatchUnits {
    QString load = QStringLiteral("N");
    QString displacement = QStringLiteral("mm");
};

// Card 0's units as its channel configuration sets them, read without opening the card; a unit not set
// keeps the default.
BatchUnits configuredBatchUnits(const QString& applicationFolder);

// The quantities of a standard batch, from its `test_result` rows (in stored order) and its scheme row: for
// each stroke the batch measures, each point's value and stiffness (points 1 to `scheme_sum`); then the
// spring height and, where the scheme measures it, the solid height, one value per test. A point's value is
// a load or a displacement as the scheme style says; its limits are the point's, the stiffness's the
// scheme's stiffness limits; limits that are both 0 were never set.
QList<Quantity> standardQuantities(const QList<DbRow>& results, const DbRow& scheme, const BatchUnits& units);

// The statistics of a standard batch's quantities; none without a scheme row.
QList<QuantityRow> standardBatchStatistics(const QList<DbRow>& results, const QList<DbRow>& scheme,
                                           const BatchUnits& units);

// The decimals a stored number was written with: "12.30" has 2, "7" none.
int storedDecimals(const QString& text);

// A number as the savers store it ("12.30", "-0.5", "1e3", blanks around), with the decimals it was
// written with; nothing for an empty text, a word, or a number no cell holds (infinite, not a number).
// Quicker than the general text conversions: a batch of ten thousand tests has half a million of them.
struct StoredNumber {
    double value = 0;
    int decimals = 0;
};
std::optional<StoredNumber> parseStoredNumber(QStringView text);

}  // namespace springtest
