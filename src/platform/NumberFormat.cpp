#include "platform/NumberFormat.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace springtest {

namespace {

// Rounds half away from zero on the value's 15 significant decimal digits, as operators and spreadsheet
// programs round: 12.345 shows as "12.35" although the nearest double lies just below 12.345.
QString fixed(double value, int decimals) {
    if (!std::isfinite(value)) return QStringLiteral("0");
    const bool negative = value < 0;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));  // d.dddddddddddddde±xx
    std::string digits;
    digits.push_back(buf[0]);
    digits.append(buf + 2, 14);
    const int exponent = std::atoi(buf + 17);

    // Integer part has exponent+1 digits; keep that many plus the decimals.
    int keep = exponent + 1 + decimals;
    std::string kept;
    if (keep < 0) {
        kept = "0";
        keep = 0;
    } else {
        bool roundUp = keep < static_cast<int>(digits.size()) && digits[static_cast<size_t>(keep)] >= '5';
        kept = keep <= static_cast<int>(digits.size())
                   ? digits.substr(0, static_cast<size_t>(keep))
                   : digits + std::string(static_cast<size_t>(keep) - digits.size(), '0');
        if (roundUp) {
            int i = static_cast<int>(kept.size()) - 1;
            while (i >= 0 && kept[static_cast<size_t>(i)] == '9') kept[static_cast<size_t>(i--)] = '0';
            if (i >= 0)
                ++kept[static_cast<size_t>(i)];
            else
                kept.insert(kept.begin(), '1');
        }
    }
    // kept now holds the value × 10^decimals as an integer in decimal digits.
    if (static_cast<int>(kept.size()) <= decimals)
        kept.insert(0, static_cast<size_t>(decimals) + 1 - kept.size(), '0');
    std::string text = kept.substr(0, kept.size() - static_cast<size_t>(decimals));
    text.erase(0, std::min(text.find_first_not_of('0'), text.size() - 1));
    if (decimals > 0) text += "." + kept.substr(kept.size() - static_cast<size_t>(decimals));
    const bool zero = kept.find_first_not_of('0') == std::string::npos;
    if (negative && !zero) text.insert(text.begin(), '-');
    return QString::fromStdString(text);
}

}  // namespace

int decimalsOf(int configuredDecimals) {
    return configuredDecimals < 0 || configuredDecimals > 6 ? 0 : configuredDecimals;
}

QString FormatByDecimals(int decimals, double value) {
    return fixed(value, decimalsOf(decimals));
}

QString FormatCoefficient(double value) {
    return fixed(value, 7);
}

}  // namespace springtest
