#pragma once

#include <QString>

#include <array>

namespace springtest {

// The control panel's speed bar counts in ten-thousandths of a mm/min; each speed button gives it a range
// whose lower end is the button's own speed.
inline constexpr int kSpeedBarUnitsPerMmMin = 10000;

struct SpeedButtonRange {
    const char* caption;
    int low;       // bar units
    int high;      // bar units
    int position;  // where the button puts the bar
};

inline constexpr std::array<SpeedButtonRange, 15> kSpeedButtonRanges{{
    {"0.05", 500, 1000, 500},
    {"0.1", 1000, 2000, 1000},
    {"0.2", 2000, 5000, 2000},
    {"0.5", 5000, 10000, 5000},
    {"1.0", 10000, 20000, 10000},
    {"2.0", 20000, 50000, 20000},
    {"5.0", 50000, 100000, 50000},
    {"10", 100000, 200000, 100000},
    {"20", 200000, 500000, 200000},
    {"50", 500000, 1000000, 500000},
    {"100", 1000000, 2000000, 1000000},
    {"200", 2000000, 3000000, 2000000},
    {"300", 3000000, 4000000, 3000000},
    {"400", 4000000, 5000000, 4000000},
    // The top speed cannot start a range of its own: it sits at the upper end of the last one.
    {"500", 4000000, 5000000, 5000000},
}};

// The bar's small and large change for a range ending at `upper`: about a tenth or less of the decade.
int speedBarStep(int upper);
// A range end as the `min`/`max` labels show it: mm/min rounded to 0.01.
QString speedRangeText(int barUnits);
// The speed a bar position means, rounded to 0.001 mm/min, and its text.
double speedFromBar(int barUnits);
QString speedText(int barUnits);

}  // namespace springtest
