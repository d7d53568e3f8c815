#pragma once
// Windows Sockets on Linux: nothing to start, and the machine's own name answers with its
// interfaces' addresses, as Windows does.

#include "platform/sockets.h"

namespace platform::linuxbackend {

class LinuxSockets : public Sockets {
public:
    LinuxSockets() = default;
    int startup(std::uint16_t requestedVersion, WsaData& data) override;
    int cleanup() override;
    int lastError() override { return lastError_; }
    int hostName(QByteArray& name) override;
    std::optional<HostEntry> hostByName(const QByteArray& name) override;

    // The IPv4 addresses of the interfaces that are up and not loopback, in interface order.
    static std::vector<QByteArray> interfaceAddresses();

private:
    int lastError_ = 0;
};

} // namespace platform::linuxbackend
