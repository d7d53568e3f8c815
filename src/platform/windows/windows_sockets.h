#pragma once
// Winsock, for the local address list.

#include "platform/sockets.h"

namespace platform::windowsbackend {

class WindowsSockets : public Sockets {
public:
    int startup(std::uint16_t requestedVersion, WsaData& data) override;
    int cleanup() override;
    int lastError() override;
    int hostName(QByteArray& name) override;
    // gethostbyname, which for the machine's own name lists its adapters' addresses.
    std::optional<HostEntry> hostByName(const QByteArray& name) override;
};

} // namespace platform::windowsbackend
