#pragma once

#include <QByteArray>
#include <QString>

namespace springtest {

enum class TextEncoding { Utf8, Utf8WithBom, Gb18030 };

// Files written by older installations are in the Chinese ANSI code page (GBK); anything that is not
// valid UTF-8 is read as GB18030, its superset.
struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
};

DecodedText decodeText(const QByteArray& bytes);
QByteArray encodeText(const QString& text, TextEncoding encoding);

}  // namespace springtest
