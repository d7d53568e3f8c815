#pragma once
// Lines drawn in a device's own pixels, so that a scale such as 150 % neither merges nor loses
// lines one logical pixel apart (QtCore only).

#include <QRect>
#include <QRectF>

namespace forms {

// The whole device pixels a rectangle already mapped to the device covers: each edge to the
// nearest pixel boundary, and at least one pixel each way. Rectangles that touch in logical
// pixels then touch on the device too, at any scale of one or more.
QRect snapToPixels(const QRectF& device);

} // namespace forms
