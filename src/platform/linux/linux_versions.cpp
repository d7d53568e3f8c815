#include "platform/linux/linux_versions.h"

namespace platform::linuxbackend {

LinuxVersionInfo::LinuxVersionInfo(LinuxFiles&) {}
std::optional<QByteArray> LinuxVersionInfo::fixedFileInfo(const QString&) { return std::nullopt; }

} // namespace platform::linuxbackend
