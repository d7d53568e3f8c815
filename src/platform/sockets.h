#pragma once
// Windows Sockets 1.1, as much of it as the local address list needs.

#include <QByteArray>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

struct WsaData {
    std::uint16_t wVersion = 0; // low byte major, high byte minor
    std::int16_t iMaxSockets = 0;
};

struct HostEntry {
    std::int16_t addressLength = 4;
    std::vector<QByteArray> addresses; // each addressLength bytes, in resolver order
};

class Sockets {
public:
    virtual ~Sockets() = default;
    virtual int startup(std::uint16_t requestedVersion, WsaData& data) = 0; // 0 on success
    virtual int cleanup() = 0;                                              // 0 on success
    virtual int lastError() = 0;
    // gethostname: 0 and the name, or -1.
    virtual int hostName(QByteArray& name) = 0;
    // gethostbyname: nullopt when the name does not resolve.
    virtual std::optional<HostEntry> hostByName(const QByteArray& name) = 0;
};

} // namespace platform
