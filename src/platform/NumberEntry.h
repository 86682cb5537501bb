#pragma once

#include <QString>
#include <optional>

namespace springtest {

// An operator's number read as the run-time library reads it: blanks around it are ignored, anything else
// that is no number is refused with the library's own message in `error`. A typed value that is not a
// finite number, or that a single-precision field cannot hold, is no number either.
std::optional<double> readFloat(const QString& text, QString* error = nullptr);
std::optional<int> readInteger(const QString& text, QString* error = nullptr);

}  // namespace springtest
