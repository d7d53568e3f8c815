// PNG pictures through libpng's simple API, with no image plugin loaded to ask first.
#include "gui/forms/forms.h"

#include <QFile>
#include <png.h>

namespace forms {

QImage pngImage(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = file.readAll();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.constData(), std::size_t(data.size())))
        return {};
    // ARGB32 is one 0xAARRGGBB word a pixel, whatever the byte order.
    image.format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
    QImage picture;
    if (image.width <= 4096 && image.height <= 4096)
        picture = QImage(int(image.width), int(image.height), QImage::Format_ARGB32);
    if (picture.isNull() || !png_image_finish_read(&image, nullptr, picture.bits(),
                                                   png_int_32(picture.bytesPerLine()), nullptr)) {
        png_image_free(&image);
        return {};
    }
    return picture;
}

} // namespace forms
