#include "results/StoredDate.h"

#include <QLocale>

namespace springtest {

QDateTime storedDateTime(const QString& text) {
    const QString s = text.trimmed();
    if (s.isEmpty()) return {};
    for (const QString& format : {QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"),
                                  QStringLiteral("yyyy-MM-dd HH:mm:ss"), QStringLiteral("yyyy-MM-dd HH:mm"),
                                  QStringLiteral("yyyy/M/d H:mm:ss"), QStringLiteral("yyyy/M/d")}) {
        const QDateTime t = QDateTime::fromString(s, format);
        if (t.isValid()) return t;
    }
    if (const QDateTime t = QDateTime::fromString(s, Qt::ISODateWithMs); t.isValid()) return t;
    // As the system's locale writes a short date and a long time, which is how rows used to be dated.
    for (const QLocale& locale : {QLocale::system(), QLocale::c()}) {
        const QString format = locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') +
                               locale.timeFormat(QLocale::LongFormat);
        QDateTime t = locale.toDateTime(s, format);
        if (t.isValid()) {
            // A two-digit year is of this century, not of the 1900s.
            if (t.date().year() < 1970) t = t.addYears(100);
            return t;
        }
    }
    return {};
}

QString isoDateTimeText(const QString& stored) {
    const QDateTime t = storedDateTime(stored);
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : stored;
}

}  // namespace springtest
