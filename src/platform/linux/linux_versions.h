#pragma once

#include "platform/helpruntime.h"

namespace platform::linuxbackend {

struct WinePrefix;
class LinuxFiles;
class LinuxRegistry;

class LinuxVersionInfo : public VersionInfo {
public:
    explicit LinuxVersionInfo(LinuxFiles& files);
    std::optional<QByteArray> fixedFileInfo(const QString& windowsPath) override;
};

} // namespace platform::linuxbackend
