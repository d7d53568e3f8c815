#pragma once
// The program's own process: single instance, end, folders and the Windows version the prefix
// presents.

#include "platform/system.h"
#include "platform/wineprefix.h"

namespace platform::linuxbackend {

class LinuxFiles;
class LinuxRegistry;

class LinuxSystem : public System {
public:
    LinuxSystem(const WinePrefix& prefix, LinuxFiles& files, LinuxRegistry& registry);
    ~LinuxSystem() override;
    LinuxSystem(const LinuxSystem&) = delete;
    LinuxSystem& operator=(const LinuxSystem&) = delete;

    bool claimSingleInstance() override;
    [[noreturn]] void endProgram() override;
    QString programFolder() override;
    long specialFolderPath(int csidl, QString& path) override;
    OsVersion osVersion() override;
    QHash<QString, QString> environment() override;

private:
    WinePrefix prefix_;
    LinuxFiles& files_;
    LinuxRegistry& registry_;
    int instanceLock_ = -1; // the locked file's descriptor, held until the process ends
};

} // namespace platform::linuxbackend
