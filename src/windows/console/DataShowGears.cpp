#include "windows/console/DataShowGears.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace springtest {

namespace {

// Gear k measures up to the full range divided by the k-th of these.
constexpr int kGearDivisors[kGearButtonCount] = {1, 2, 5, 10, 20, 50};

// The gear's scale rounded to its decimals, written without trailing zeros: 2.5, not 2.50.
QString scaleCaption(double scale, int decimals) {
    const double factor = std::pow(10.0, std::clamp(decimals, 0, 6));
    const double rounded = std::round(scale * factor) / factor;
    return QString::number(rounded, 'f', QLocale::FloatingPointShortest);
}

}  // namespace

GearButtonRow gearButtonRow(int gearCount, double fullRange_load,
                            const std::array<int, kGearButtonCount>& decimals) {
    GearButtonRow row;
    if (gearCount < 1 || gearCount > kGearButtonCount) {
        row.captions.fill(QStringLiteral("100000"));
        return row;
    }
    row.visible = gearCount;
    for (int k = 0; k < gearCount; ++k)
        row.captions[static_cast<size_t>(k)] =
            scaleCaption(fullRange_load / kGearDivisors[k], decimals[static_cast<size_t>(k)]);
    for (int k = gearCount; k < kGearButtonCount; ++k)
        row.captions[static_cast<size_t>(k)] = QStringLiteral("100000");
    return row;
}

}  // namespace springtest
