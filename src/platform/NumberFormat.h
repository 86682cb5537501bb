#pragma once

#include <QString>

namespace springtest {

// Formats a value with a fixed number of decimals ("#0", "#0.0" … "#0.000000"); counts outside 0…6 are
// treated as 0. Every value shown or stored as text uses the decimals of the channel that measured it.
QString FormatByDecimals(int decimals, double value);

// The decimals a configured count stands for: 0…6 as configured, anything else 0 (not the nearest end:
// a count of 7 is no count, not "as many as possible").
int decimalsOf(int configuredDecimals);

// "#0.0000000": the format of calibration and compensation coefficients.
QString FormatCoefficient(double value);

}  // namespace springtest
