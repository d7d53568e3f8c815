#include "platform/windows/windows_sockets.h"

#include <algorithm>

#include <winsock2.h>

namespace platform::windowsbackend {

int WindowsSockets::startup(std::uint16_t requestedVersion, WsaData& data) {
    WSADATA wsa{};
    const int result = WSAStartup(requestedVersion, &wsa);
    if (result != 0)
        return result;
    data.wVersion = wsa.wVersion;
    // Winsock 2 leaves the socket count at 0, meaning "no fixed limit"; a Winsock 1.1 caller
    // reads it as none at all, so it gets the count the 1.1 libraries reported.
    data.iMaxSockets = wsa.iMaxSockets > 0 ? std::int16_t(wsa.iMaxSockets) : std::int16_t(32767);
    return 0;
}

int WindowsSockets::cleanup() {
    return WSACleanup() == 0 ? 0 : WSAGetLastError();
}

int WindowsSockets::lastError() {
    return WSAGetLastError();
}

int WindowsSockets::hostName(QByteArray& name) {
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0)
        return -1;
    name = QByteArray(buffer);
    return 0;
}

std::optional<HostEntry> WindowsSockets::hostByName(const QByteArray& name) {
    const hostent* host = gethostbyname(name.constData());
    if (!host || host->h_addrtype != AF_INET || host->h_length != 4)
        return std::nullopt;
    HostEntry entry;
    entry.addressLength = 4;
    for (char** address = host->h_addr_list; address && *address; ++address) {
        const QByteArray bytes(*address, 4);
        if (std::find(entry.addresses.begin(), entry.addresses.end(), bytes) ==
            entry.addresses.end())
            entry.addresses.push_back(bytes);
    }
    return entry;
}

} // namespace platform::windowsbackend
