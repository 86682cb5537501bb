#pragma once

// Small workbook packages made part by part, for files no spreadsheet program would write.

#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <QBuffer>
#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace springtest::testing {

using Parts = QList<std::pair<QString, QByteArray>>;

// A zip package of the parts, in order; empty when it could not be made.
inline QByteArray zipOf(const Parts& parts) {
    QByteArray data;
    QBuffer buffer(&data);
    QuaZip zip(&buffer);
    if (!zip.open(QuaZip::mdCreate)) return {};
    for (const auto& [name, bytes] : parts) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name))) return {};
        file.write(bytes);
        file.close();
    }
    zip.close();
    return data;
}

}  // namespace springtest::testing
