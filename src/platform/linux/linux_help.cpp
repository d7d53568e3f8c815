#include "platform/linux/linux_help.h"

namespace platform::linuxbackend {

LinuxHelpRuntime::LinuxHelpRuntime(LinuxFiles&) {}
std::intptr_t LinuxHelpRuntime::htmlHelp(std::intptr_t, const QString&, unsigned, const QVariant&) { return 0; }

} // namespace platform::linuxbackend
