#include "platform/linux/linux_processes.h"

namespace platform::linuxbackend {

LinuxProcesses::LinuxProcesses(LinuxFiles&) {}
bool LinuxProcesses::start(const QString&, const QString&, const QString&) { return false; }

} // namespace platform::linuxbackend
