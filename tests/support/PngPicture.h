#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace springtest::testing {

// A white PNG picture with a red diagonal, as a chart picture stands in.
inline QByteArray pngPicture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int x = 0; x < width; ++x) image.setPixel(x, height - 1 - x * (height - 1) / width, qRgb(200, 0, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

}  // namespace springtest::testing
