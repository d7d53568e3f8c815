#include "core/router/http_reply.h"

#include "core/net/download_body.h"

#include <QList>

namespace net {

namespace {

using enum HttpProgress;

bool allDigits(QByteArrayView text, int base) {
    if (text.isEmpty())
        return false;
    for (const char c : text) {
        const bool digit = c >= '0' && c <= '9';
        const bool hex = (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit && !(base == 16 && hex))
            return false;
    }
    return true;
}

// A line of `text` from `at`, without its CR LF (or LF); `next` gets where the following one
// starts. nullopt when the line has not ended yet.
std::optional<QByteArrayView> lineAt(QByteArrayView text, qsizetype at, qsizetype& next) {
    const qsizetype end = text.indexOf('\n', at);
    if (end < 0)
        return std::nullopt;
    next = end + 1;
    QByteArrayView line = text.sliced(at, end - at);
    return line.endsWith('\r') ? line.chopped(1) : line;
}

// The chunks of a chunked body joined.
HttpProgress unchunk(QByteArrayView body, bool ended, QByteArray& out) {
    out.clear();
    for (qsizetype at = 0;;) {
        qsizetype next = 0;
        const auto line = lineAt(body, at, next);
        if (!line)
            return ended || body.size() - at > 64 ? Broken : More;
        QByteArrayView size = *line;
        if (const qsizetype semicolon = size.indexOf(';'); semicolon >= 0)
            size = size.first(semicolon);
        size = size.trimmed();
        if (!allDigits(size, 16) || size.size() > 8)
            return Broken;
        const qsizetype length = QByteArray(size.data(), size.size()).toLongLong(nullptr, 16);
        if (length == 0)
            return Whole; // what trailers may follow is not needed
        if (out.size() + length > HttpBodyLimit)
            return Broken;
        if (body.size() - next < length + 1)
            return ended ? Broken : More;
        out += body.sliced(next, length);
        at = next + length;
        qsizetype after = 0;
        const auto rest = lineAt(body, at, after);
        if (!rest)
            return ended || body.size() - at > 2 ? Broken : More;
        if (!rest->isEmpty())
            return Broken;
        at = after;
    }
}

} // namespace

std::optional<HttpTarget> httpTarget(QByteArrayView url) {
    if (!url.startsWith("http://"))
        return std::nullopt;
    QByteArrayView rest = url.sliced(7);
    HttpTarget target;
    const qsizetype slash = rest.indexOf('/');
    if (slash >= 0)
        target.path = rest.sliced(slash).toByteArray();
    QByteArrayView authority = slash >= 0 ? rest.first(slash) : rest;
    QByteArrayView port;
    if (authority.startsWith('[')) {
        const qsizetype close = authority.indexOf(']');
        if (close < 0)
            return std::nullopt;
        target.host = authority.sliced(1, close - 1).toByteArray();
        port = authority.sliced(close + 1);
        if (!port.isEmpty() && !port.startsWith(':'))
            return std::nullopt;
    } else {
        const qsizetype colon = authority.indexOf(':');
        target.host = (colon >= 0 ? authority.first(colon) : authority).toByteArray();
        port = colon >= 0 ? authority.sliced(colon) : QByteArrayView();
    }
    if (!port.isEmpty()) {
        port = port.sliced(1);
        if (!allDigits(port, 10) || port.size() > 5)
            return std::nullopt;
        const uint number = QByteArray(port.data(), port.size()).toUInt();
        if (number == 0 || number > 65535)
            return std::nullopt;
        target.port = quint16(number);
    }
    for (const char c : target.path)
        if (c <= ' ' || c == 0x7F)
            return std::nullopt; // it goes into the request line as it is
    if (target.host.isEmpty() || target.host.contains(' '))
        return std::nullopt;
    return target;
}

HttpProgress readHttpReply(QByteArrayView received, bool ended, HttpReply& reply) {
    qsizetype bodyStart = 0;
    qsizetype headEnd = received.indexOf("\r\n\r\n");
    const qsizetype bare = received.indexOf("\n\n");
    if (bare >= 0 && (headEnd < 0 || bare < headEnd))
        bodyStart = bare + 2, headEnd = bare;
    else if (headEnd >= 0)
        bodyStart = headEnd + 4;
    if (headEnd < 0)
        return ended || received.size() > HttpHeadLimit ? Broken : More;
    if (headEnd > HttpHeadLimit)
        return Broken;

    const QList<QByteArray> lines = received.first(headEnd).toByteArray().split('\n');
    const QList<QByteArray> status = lines.first().trimmed().split(' ');
    if (status.size() < 2 || !status[0].startsWith("HTTP/1.") || status[1].size() != 3 ||
        !allDigits(status[1], 10))
        return Broken;
    reply.status = status[1].toInt();

    std::optional<qsizetype> length;
    bool chunked = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = lines[i].first(colon).trimmed().toLower();
        const QByteArray value = lines[i].sliced(colon + 1).trimmed();
        if (name == "transfer-encoding") {
            chunked = value.toLower().endsWith("chunked");
        } else if (name == "content-length") {
            if (!allDigits(value, 10) || value.size() > 12)
                return Broken;
            const qsizetype stated = value.toLongLong();
            if (length && *length != stated)
                return Broken; // two lengths: which one to trust?
            length = stated;
        }
    }

    const QByteArrayView body = received.sliced(bodyStart);
    if (chunked) {
        QByteArray joined;
        const HttpProgress progress = unchunk(body, ended, joined);
        if (progress == Whole)
            reply.body = joined;
        return progress;
    }
    if (length) {
        if (*length > HttpBodyLimit)
            return Broken;
        if (body.size() < *length)
            return ended ? Broken : More;
        reply.body = body.first(*length).toByteArray();
        return Whole;
    }
    if (body.size() > HttpBodyLimit)
        return Broken;
    if (!ended)
        return More;
    reply.body = body.toByteArray();
    return Whole;
}

QByteArray ssdpLocation(QByteArrayView answer) {
    for (const QByteArray& line : answer.toByteArray().split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.first(colon).trimmed().toLower() == "location")
            return line.sliced(colon + 1).trimmed();
    }
    return {};
}

namespace {

QByteArray xmlText(QByteArray value) {
    return value.replace('&', "&amp;").replace('<', "&lt;").replace('>', "&gt;");
}

} // namespace

QByteArray soapEnvelope(const QByteArray& serviceType, const QByteArray& action,
                        const SoapArguments& arguments) {
    QByteArray body = "<?xml version=\"1.0\"?>\r\n<s:Envelope "
                      "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                      "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><u:" +
                      action + " xmlns:u=\"" + xmlText(serviceType) + "\">";
    for (const auto& [name, value] : arguments)
        body += '<' + name + '>' + xmlText(value) + "</" + name + '>';
    return body + "</u:" + action + "></s:Body></s:Envelope>\r\n";
}

QByteArray httpRequest(const char* method, const HttpTarget& target, const QByteArray& headers,
                       const QByteArray& body) {
    QByteArray host = target.host.contains(':') ? '[' + target.host + ']' : target.host;
    if (target.port != 80)
        host += ':' + QByteArray::number(target.port);
    QByteArray request = QByteArray(method) + ' ' + target.path + " HTTP/1.1\r\nHost: " + host +
                         "\r\nUser-Agent: " + net::userAgent().toLatin1() +
                         " UPnP/1.1\r\nConnection: close\r\n" + headers;
    if (!body.isEmpty())
        request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    return request + "\r\n" + body;
}

} // namespace net
