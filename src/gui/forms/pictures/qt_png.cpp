// PNG pictures through Qt's own reader, built into QtGui; naming the format keeps the image
// plugins from being asked first.
#include "gui/forms/forms.h"

#include <QImageReader>

namespace forms {

QImage pngImage(const QString& path) {
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    // The same bound as the libpng reader: no picture of ours is larger.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > 4096 || size.height() > 4096)
        return {};
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

} // namespace forms
