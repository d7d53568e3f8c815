#include "platform/common/ssdp_search.h"

#include "platform/common/http_reply.h"
#include "platform/common/lan_socket.h"

#include <QList>

#ifndef _WIN32
#include <arpa/inet.h>
#endif

namespace platform::common {

namespace {

constexpr quint16 SsdpPort = 1900;
constexpr const char* SsdpGroup = "239.255.255.250";

sockaddr_in ipv4(const char* address, quint16 port) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &out.sin_addr);
    return out;
}

// The address of the interface the default route leaves by: the search goes out there, as a
// system with several interfaces (Windows above all) may otherwise pick another. Learnt from a
// UDP socket "connected" to an outside address, which sends nothing.
std::optional<in_addr> defaultInterface() {
    LanSocket probe(AF_INET, SOCK_DGRAM);
    const sockaddr_in outside = ipv4("223.255.255.255", SsdpPort);
    if (!probe.valid() ||
        ::connect(probe.handle(), reinterpret_cast<const sockaddr*>(&outside), sizeof outside) != 0)
        return std::nullopt;
    sockaddr_in local{};
    socklen_t size = sizeof local;
    if (::getsockname(probe.handle(), reinterpret_cast<sockaddr*>(&local), &size) != 0 ||
        local.sin_addr.s_addr == INADDR_ANY)
        return std::nullopt;
    return local.sin_addr;
}

} // namespace

QByteArrayList ssdpSearch(const QByteArrayList& kinds, int waitMs, qsizetype limit) {
    const QDeadlineTimer deadline(waitMs);
    QByteArrayList found;
    LanSocket socket(AF_INET, SOCK_DGRAM);
    if (!socket.valid())
        return found;
#ifdef _WIN32
    const DWORD ttl = 2;
#else
    const unsigned char ttl = 2;
#endif
    ::setsockopt(socket.handle(), IPPROTO_IP, IP_MULTICAST_TTL, reinterpret_cast<const char*>(&ttl),
                 sizeof ttl);
    if (const auto out = defaultInterface())
        ::setsockopt(socket.handle(), IPPROTO_IP, IP_MULTICAST_IF,
                     reinterpret_cast<const char*>(&*out), sizeof *out);
    const sockaddr_in group = ipv4(SsdpGroup, SsdpPort);
    // Devices answer within MX seconds, each at a moment of its choosing.
    const int mx = qMax(1, waitMs / 1000 - 1);
    for (const QByteArray& kind : kinds) {
        const QByteArray search =
            "M-SEARCH * HTTP/1.1\r\nHOST: " + QByteArray(SsdpGroup) + ":1900\r\nST: " + kind +
            "\r\nMAN: \"ssdp:discover\"\r\nMX: " + QByteArray::number(mx) + "\r\n\r\n";
        ::sendto(socket.handle(), search.constData(), int(search.size()), 0,
                 reinterpret_cast<const sockaddr*>(&group), sizeof group);
    }
    char answer[2048];
    while (found.size() < limit && socket.readable(deadline)) {
        const auto got = ::recv(socket.handle(), answer, int(sizeof answer), 0);
        if (got <= 0)
            continue;
        const QByteArray location = ssdpLocation(QByteArrayView(answer, got));
        if (!location.isEmpty() && !found.contains(location))
            found << location;
    }
    return found;
}

} // namespace platform::common
