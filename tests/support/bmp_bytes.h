#pragma once
// A small two-colour 8-bit BMP as file bytes, for tests that write pictures by raw name.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QSize>

namespace lumarel::test {

inline QByteArray bmpBytes(QSize size = QSize(4, 3))
{
    QImage image(size, QImage::Format_Indexed8);
    image.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    image.fill(1);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

}  // namespace lumarel::test
