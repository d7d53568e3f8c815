#include "platform/linux/linux_sockets.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::linuxbackend {

namespace {

constexpr int WsaBaseError = 10000;
constexpr int WsaEFault = 10014;
constexpr int WsaHostNotFound = 11001;

QByteArray ownHostName() {
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0)
        return {};
    return QByteArray(buffer);
}

QByteArray bytesOf(const in_addr& address) {
    return QByteArray(reinterpret_cast<const char*>(&address.s_addr), 4);
}

std::vector<QByteArray> resolve(const QByteArray& name) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.constData(), nullptr, &hints, &found) != 0)
        return {};
    std::vector<QByteArray> addresses;
    for (const addrinfo* a = found; a; a = a->ai_next) {
        const QByteArray bytes =
            bytesOf(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr);
        if (std::find(addresses.begin(), addresses.end(), bytes) == addresses.end())
            addresses.push_back(bytes);
    }
    freeaddrinfo(found);
    return addresses;
}

} // namespace

int LinuxSockets::startup(std::uint16_t requestedVersion, WsaData& data) {
    // The version asked for, up to 2.2; the count Windows Sockets 1.1 libraries reported.
    data.wVersion = requestedVersion <= 0x0202 ? requestedVersion : 0x0202;
    data.iMaxSockets = 32767;
    return 0;
}

int LinuxSockets::cleanup() {
    return 0;
}

int LinuxSockets::hostName(QByteArray& name) {
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0) {
        lastError_ = (errno == ENAMETOOLONG || errno == EFAULT) ? WsaEFault : WsaBaseError + errno;
        return -1;
    }
    name = QByteArray(buffer);
    return 0;
}

std::optional<HostEntry> LinuxSockets::hostByName(const QByteArray& name) {
    HostEntry entry;
    entry.addressLength = 4;
    if (!name.isEmpty() && name.compare(ownHostName(), Qt::CaseInsensitive) == 0)
        entry.addresses = interfaceAddresses();
    if (entry.addresses.empty())
        entry.addresses = resolve(name);
    if (entry.addresses.empty()) {
        lastError_ = WsaHostNotFound;
        return std::nullopt;
    }
    return entry;
}

std::vector<QByteArray> LinuxSockets::interfaceAddresses() {
    std::vector<QByteArray> addresses;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return addresses;
    for (const ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET)
            continue;
        if (!(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK))
            continue;
        const QByteArray bytes =
            bytesOf(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr);
        if (std::find(addresses.begin(), addresses.end(), bytes) == addresses.end())
            addresses.push_back(bytes);
    }
    freeifaddrs(list);
    return addresses;
}

} // namespace platform::linuxbackend
