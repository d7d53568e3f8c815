#pragma once
// The program's own process: single instance, end, folders and the Windows version the prefix
// presents.

#include "core/launchers/wine_prefix.h"
#include "platform/system.h"

namespace platform::linuxbackend {

using launchers::WinePrefix;
class LinuxFiles;
class LinuxRegistry;

class LinuxSystem : public System {
public:
    // `gameFolder`: where a store put the game, a native path (empty: nowhere known).
    LinuxSystem(const WinePrefix& prefix, LinuxFiles& files, LinuxRegistry& registry,
                const QString& gameFolder = {});
    ~LinuxSystem() override;
    LinuxSystem(const LinuxSystem&) = delete;
    LinuxSystem& operator=(const LinuxSystem&) = delete;

    bool claimSingleInstance() override;
    [[noreturn]] void endProgram() override;
    QString programFolder() override;
    long specialFolderPath(int csidl, QString& path) override;
    OsVersion osVersion() override;
    QHash<QString, QString> environment() override; // linux_environment.cpp
    QString installedGameFolder() override;

private:
    WinePrefix prefix_;
    LinuxFiles& files_;
    LinuxRegistry& registry_;
    QString gameFolder_;
    int instanceLock_ = -1; // the locked file's descriptor, held until the process ends
};

} // namespace platform::linuxbackend
