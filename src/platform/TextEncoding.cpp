#include "platform/TextEncoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace springtest {

DecodedText decodeText(const QByteArray& bytes) {
    static const QByteArray bom("\xEF\xBB\xBF", 3);
    if (bytes.startsWith(bom)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        return {utf8(bytes.mid(3)), TextEncoding::Utf8WithBom};
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) return {text, TextEncoding::Utf8};
    QStringDecoder gb("GB18030");
    if (!gb.isValid()) return {QString::fromLatin1(bytes), TextEncoding::Gb18030};
    return {gb(bytes), TextEncoding::Gb18030};
}

QByteArray encodeText(const QString& text, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::Utf8:
            return text.toUtf8();
        case TextEncoding::Utf8WithBom:
            return QByteArray("\xEF\xBB\xBF", 3) + text.toUtf8();
        case TextEncoding::Gb18030: {
            QStringEncoder gb("GB18030");
            if (gb.isValid()) return gb(text);
            return text.toUtf8();
        }
    }
    return text.toUtf8();
}

}  // namespace springtest
