#include "platform/common/http_exchange.h"

#include "core/net/download_body.h"
#include "platform/common/lan_socket.h"

#include <algorithm>

namespace platform::common {

using namespace net; // the router answers' parsers

namespace {

// What is read at most: the head, the body, and what chunking adds to it.
constexpr qsizetype RawLimit = HttpHeadLimit + 2 * HttpBodyLimit;

QDeadlineTimer sooner(QDeadlineTimer a, qint64 ms) {
    const QDeadlineTimer b(ms);
    return a.isForever() || b.deadline() < a.deadline() ? b : a;
}

} // namespace

std::optional<HttpReply> httpExchange(const HttpTarget& target, const QByteArray& request,
                                      QDeadlineTimer deadline) {
    deadline = sooner(deadline, HttpWholeMs);
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST | AI_NUMERICSERV; // never a look-up
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(target.host.constData(), QByteArray::number(target.port).constData(), &hints,
                      &found) != 0 ||
        !found)
        return std::nullopt;
    LanSocket socket(found->ai_family, SOCK_STREAM);
    const bool connected =
        socket.connectTo(found->ai_addr, int(found->ai_addrlen), sooner(deadline, HttpConnectMs));
    ::freeaddrinfo(found);
    if (!connected || !socket.sendAll(request, deadline))
        return std::nullopt;

    QByteArray received;
    char buffer[8192];
    HttpReply reply;
    for (;;) {
        if (!socket.readable(deadline))
            return std::nullopt;
        const auto got = ::recv(socket.handle(), buffer, int(sizeof buffer), 0);
        if (got < 0 && LanSocket::wouldWait())
            continue;
        if (got < 0)
            return std::nullopt; // reset: what came is not known to be whole
        received.append(buffer, got);
        if (received.size() > RawLimit)
            return std::nullopt;
        switch (readHttpReply(received, got == 0, reply)) {
        case HttpProgress::Whole:
            return reply;
        case HttpProgress::Broken:
            return std::nullopt;
        case HttpProgress::More:
            break;
        }
        if (got == 0)
            return std::nullopt;
    }
}

} // namespace platform::common
