#pragma once

#include "platform/system.h"

namespace platform::linuxbackend {

struct WinePrefix;
class LinuxFiles;
class LinuxRegistry;

class LinuxSystem : public System {
public:
    explicit LinuxSystem(const WinePrefix& prefix, LinuxFiles& files, LinuxRegistry& registry);
    bool claimSingleInstance() override;
    void endProgram() override;
    QString programFolder() override;
    long specialFolderPath(int csidl, QString& path) override;
    OsVersion osVersion() override;
};

} // namespace platform::linuxbackend
