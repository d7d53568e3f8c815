#pragma once
// The program's own process: single instance, end, folders and the Windows version the prefix
// presents.

#include "platform/linux/wine_prefix.h"
#include "platform/system.h"

#include <memory>

class QLockFile;

namespace platform::linuxbackend {

class LinuxFiles;
class LinuxRegistry;

class LinuxSystem : public System {
public:
    LinuxSystem(const WinePrefix& prefix, LinuxFiles& files, LinuxRegistry& registry);
    ~LinuxSystem() override;

    bool claimSingleInstance() override;
    [[noreturn]] void endProgram() override;
    QString programFolder() override;
    long specialFolderPath(int csidl, QString& path) override;
    OsVersion osVersion() override;
    QHash<QString, QString> environment() override; // linux_environment.cpp

    // Where the single-instance lock lives: the user's runtime folder, else the temp folder.
    static QString lockFilePath();

private:
    WinePrefix prefix_;
    LinuxFiles& files_;
    LinuxRegistry& registry_;
    std::unique_ptr<QLockFile> instanceLock_;
};

} // namespace platform::linuxbackend
