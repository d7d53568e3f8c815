#pragma once
// Version resources of PE files, read from the files the Windows paths name.

#include "platform/helpruntime.h"

namespace platform::linuxbackend {

class LinuxFiles;

class LinuxVersionInfo : public VersionInfo {
public:
    explicit LinuxVersionInfo(LinuxFiles& files);
    std::optional<QByteArray> fixedFileInfo(const QString& windowsPath) override;

private:
    LinuxFiles& files_;
};

} // namespace platform::linuxbackend
