#pragma once

#include <QDateTime>
#include <QString>

namespace springtest {

// The date and time a test was stored, read back from the text its row holds: ISO ("2024-05-06 10:11:12",
// with or without milliseconds, or with a 'T'), or as older programs wrote it in the system's short date and
// long time. Invalid when the text is none of these.
QDateTime storedDateTime(const QString& text);

// The ISO form reports show: "2024-05-06 10:11:12"; the stored text itself when it cannot be read as a date.
QString isoDateTimeText(const QString& stored);

}  // namespace springtest
