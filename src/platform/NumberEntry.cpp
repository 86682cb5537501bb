#include "platform/NumberEntry.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace springtest {

std::optional<double> readFloat(const QString& text, QString* error) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    // A typed "nan" or "inf", or a value no single-precision field can hold, would reach the machine as a
    // speed or a limit that compares false with everything.
    if (ok && std::isfinite(value) && std::fabs(value) <= double(std::numeric_limits<float>::max()))
        return value;
    if (error) *error = QStringLiteral("'%1' is not a valid floating point value").arg(text);
    return std::nullopt;
}

std::optional<int> readInteger(const QString& text, QString* error) {
    bool ok = false;
    const int value = QLocale::c().toInt(text.trimmed(), &ok);
    if (ok) return value;
    if (error) *error = QStringLiteral("'%1' is not a valid integer value").arg(text);
    return std::nullopt;
}

}  // namespace springtest
