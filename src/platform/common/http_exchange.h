#pragma once
// One HTTP/1.1 exchange with a device on the local network, bounded in time and in size whatever
// the device does: one that stays silent, drips, or answers without end gives no answer, and
// holds neither the router's thread nor memory beyond the bounds.

#include "core/router/http_reply.h"

#include <QDeadlineTimer>

namespace platform::common {

// A connection within 3 s, the whole exchange within 5 s (and by `deadline`, when sooner).
constexpr int HttpConnectMs = 3000;
constexpr int HttpWholeMs = 5000;

// nullopt when no whole reply came within the bounds.
std::optional<net::HttpReply> httpExchange(const net::HttpTarget& target, const QByteArray& request,
                                           QDeadlineTimer deadline = QDeadlineTimer::Forever);

} // namespace platform::common
