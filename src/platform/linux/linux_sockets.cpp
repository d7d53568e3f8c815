#include "platform/linux/linux_sockets.h"

namespace platform::linuxbackend {

int LinuxSockets::startup(std::uint16_t, WsaData& data) { data.wVersion = 0x0101; data.iMaxSockets = 32767; return 0; }
int LinuxSockets::cleanup() { return 0; }
int LinuxSockets::lastError() { return 0; }
int LinuxSockets::hostName(QByteArray&) { return -1; }
std::optional<HostEntry> LinuxSockets::hostByName(const QByteArray&) { return std::nullopt; }

} // namespace platform::linuxbackend
