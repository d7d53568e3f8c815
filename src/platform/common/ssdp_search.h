#pragma once
// Looks for UPnP devices on the local network (SSDP): asks for each kind at once and takes the
// description URLs of those that answer, within a fixed wait and a fixed number of devices, so
// that a device that answers without end holds neither the search nor memory.

#include <QByteArray>
#include <QByteArrayList>

namespace platform::common {

// The description URLs in the order they first answered, at most `limit` of them.
QByteArrayList ssdpSearch(const QByteArrayList& kinds, int waitMs, qsizetype limit);

} // namespace platform::common
