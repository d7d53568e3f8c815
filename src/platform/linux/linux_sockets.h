#pragma once

#include "platform/sockets.h"

namespace platform::linuxbackend {

struct WinePrefix;
class LinuxFiles;
class LinuxRegistry;

class LinuxSockets : public Sockets {
public:
    LinuxSockets() = default;
    int startup(std::uint16_t requestedVersion, WsaData& data) override;
    int cleanup() override;
    int lastError() override;
    int hostName(QByteArray& name) override;
    std::optional<HostEntry> hostByName(const QByteArray& name) override;
};

} // namespace platform::linuxbackend
