#pragma once
// One action of the router's connection service (UPnP IGD's WANIPConnection), sent and answered
// through a bounded exchange, its answer read with miniupnpc's parser.

#include "core/router/http_reply.h"
#include "platform/router.h"

#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <utility>

namespace platform::common {

struct SoapAnswer {
    int code = Router::NoAnswer;          // Ok, the router's own error code, or NoAnswer
    QHash<QByteArray, QByteArray> values; // the output arguments asked for that it gave
};

using net::SoapArguments;

SoapAnswer soapAction(const QByteArray& controlUrl, const QByteArray& serviceType,
                      const QByteArray& action, const SoapArguments& arguments,
                      const QByteArrayList& outputs,
                      QDeadlineTimer deadline = QDeadlineTimer::Forever);

} // namespace platform::common
