#pragma once

#include <QString>
#include <optional>

namespace springtest {

// An operator's number read as the run-time library reads it: blanks around it are ignored, anything else
// that is no number is refused with the library's own message in `error`.
std::optional<double> readFloat(const QString& text, QString* error = nullptr);
std::optional<int> readInteger(const QString& text, QString* error = nullptr);

}  // namespace springtest
