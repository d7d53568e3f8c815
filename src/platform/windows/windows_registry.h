#pragma once
// The registry through advapi32, in the 32-bit view the game's installer wrote to.

#include "platform/registry.h"

namespace platform::windowsbackend {

class WindowsRegistry : public Registry {
public:
    // Names and data as the ANSI calls (RegEnumValueA) give them, NULs as stored.
    std::optional<std::vector<RegEntry>> values(RootKey root, const QString& path) override;
    std::optional<QStringList> subkeys(RootKey root, const QString& path) override;
    long setValue(RootKey root, const QString& path, const RegEntry& value) override;
    long deleteValue(RootKey root, const QString& path, const QString& name) override;
};

} // namespace platform::windowsbackend
