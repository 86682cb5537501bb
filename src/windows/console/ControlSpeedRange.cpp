#include "windows/console/ControlSpeedRange.h"

#include <QLocale>

#include <cmath>

namespace springtest {

namespace {

QString shortest(double value) {
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

}  // namespace

int speedBarStep(int upper) {
    if (upper <= 0) return 1;
    int decade = 10000;
    if (upper <= 1000)
        decade = 10;
    else if (upper <= 5000)
        decade = 100;
    else if (upper <= 100000)
        decade = 1000;
    const int parts = upper / decade;
    return parts > 0 ? upper / parts : upper;
}

QString speedRangeText(int barUnits) {
    // Rounded through hundredths as integers, so 0.05 reads "0.05" and not 0.05000000000000000277.
    return shortest(std::round(static_cast<double>(barUnits) / kSpeedBarUnitsPerMmMin * 100.0) / 100.0);
}

double speedFromBar(int barUnits) {
    return std::round(static_cast<double>(barUnits) / kSpeedBarUnitsPerMmMin * 1000.0) / 1000.0;
}

QString speedText(int barUnits) {
    return shortest(speedFromBar(barUnits));
}

}  // namespace springtest
