#include "platform/NumberEntry.h"

#include <QLocale>

namespace springtest {

std::optional<double> readFloat(const QString& text, QString* error) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (ok) return value;
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
