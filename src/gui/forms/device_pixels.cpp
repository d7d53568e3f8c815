#include "gui/forms/device_pixels.h"

#include <QtGlobal>
#include <algorithm>

namespace forms {

QRect snapToPixels(const QRectF& device) {
    const QRectF box = device.normalized();
    const int left = qRound(box.left()), top = qRound(box.top());
    const int right = std::max(left + 1, qRound(box.right()));
    const int bottom = std::max(top + 1, qRound(box.bottom()));
    return QRect(left, top, right - left, bottom - top);
}

} // namespace forms
