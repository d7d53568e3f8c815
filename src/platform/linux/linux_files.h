#pragma once

#include "platform/filesystem.h"

namespace platform::linuxbackend {

struct WinePrefix;
class LinuxFiles;
class LinuxRegistry;

class LinuxFiles : public FileSystem {
public:
    explicit LinuxFiles(const WinePrefix& prefix);
    QStringList drives() override;
    QString driveLabel(const QString& drive) override;
    QString currentDirectory() override;
    QString currentDirectoryOf(const QString& drive) override;
    bool changeDrive(const QString& drive) override;
    bool changeDirectory(const QString& path) override;
    QString toNative(const QString& windowsPath) override;
    QString toWindows(const QString& nativePath) override;
    std::optional<QStringList> subfolders(const QString& windowsPath) override;
};

} // namespace platform::linuxbackend
