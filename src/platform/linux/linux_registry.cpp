#include "platform/linux/linux_registry.h"

namespace platform::linuxbackend {

LinuxRegistry::LinuxRegistry(const WinePrefix&) {}
std::optional<std::vector<RegEntry>> LinuxRegistry::values(RootKey, const QString&) { return std::nullopt; }
std::optional<QStringList> LinuxRegistry::subkeys(RootKey, const QString&) { return std::nullopt; }
long LinuxRegistry::setValue(RootKey, const QString&, const RegEntry&) { return winerror::AccessDenied; }
long LinuxRegistry::deleteValue(RootKey, const QString&, const QString&) { return winerror::AccessDenied; }

} // namespace platform::linuxbackend
