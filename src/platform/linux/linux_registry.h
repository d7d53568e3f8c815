#pragma once

#include "platform/registry.h"

namespace platform::linuxbackend {

struct WinePrefix;
class LinuxFiles;
class LinuxRegistry;

class LinuxRegistry : public Registry {
public:
    explicit LinuxRegistry(const WinePrefix& prefix);
    std::optional<std::vector<RegEntry>> values(RootKey root, const QString& path) override;
    std::optional<QStringList> subkeys(RootKey root, const QString& path) override;
    long setValue(RootKey root, const QString& path, const RegEntry& value) override;
    long deleteValue(RootKey root, const QString& path, const QString& name) override;
};

} // namespace platform::linuxbackend
