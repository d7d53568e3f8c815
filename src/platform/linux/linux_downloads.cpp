#include "platform/linux/linux_downloads.h"

namespace platform::linuxbackend {

LinuxDownloads::LinuxDownloads(LinuxFiles&) {}
long LinuxDownloads::downloadToFile(const QString&, const QString&) { return 1; }

} // namespace platform::linuxbackend
