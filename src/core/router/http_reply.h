#pragma once
// HTTP as a device on the local network speaks it: the requests sent to it, and what it answers
// (a router's description, its control answers) and to a search, read from outside bytes: a
// reply counts only when it came whole and within its bound. Plain logic, tested and fuzzed
// directly.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <optional>
#include <utility>

namespace net {

struct HttpTarget;

// The request's bytes: `method` for the target's path, "Connection: close", the headers given
// (each ending in CR LF), and the body with its length.
QByteArray httpRequest(const char* method, const HttpTarget& target, const QByteArray& headers = {},
                       const QByteArray& body = {});

// A UPnP control request's body; argument values are escaped as XML text.
using SoapArguments = QList<std::pair<QByteArray, QByteArray>>;
QByteArray soapEnvelope(const QByteArray& serviceType, const QByteArray& action,
                        const SoapArguments& arguments);

// Where a device's URL points. Only a numeric host: a name would need a look-up that no bound
// of ours covers.
struct HttpTarget {
    QByteArray host; // "192.168.1.1", or an IPv6 address without its brackets
    quint16 port = 80;
    QByteArray path = "/";
};
std::optional<HttpTarget> httpTarget(QByteArrayView url);

struct HttpReply {
    int status = 0;
    QByteArray body;
};

// What the bytes received so far come to.
enum class HttpProgress { More, Whole, Broken };

// The largest body and header block a router's answer may have; its descriptions are a few KiB.
constexpr qsizetype HttpBodyLimit = 64 * 1024;
constexpr qsizetype HttpHeadLimit = 8 * 1024;

// `ended`: the device closed the connection after these bytes. A reply is Whole once its body
// ends as its headers say (Content-Length, chunked) or, with neither, with the connection. A
// body beyond HttpBodyLimit, one cut short and anything malformed are Broken.
HttpProgress readHttpReply(QByteArrayView received, bool ended, HttpReply& reply);

// The LOCATION an SSDP answer (a search's, HTTP-like) gives; empty when it gives none.
QByteArray ssdpLocation(QByteArrayView answer);

} // namespace net
