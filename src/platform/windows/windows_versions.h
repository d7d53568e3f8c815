#pragma once
// Version resources through version.dll.

#include "platform/helpruntime.h"

namespace platform::windowsbackend {

class WindowsVersionInfo : public VersionInfo {
public:
    std::optional<QByteArray> fixedFileInfo(const QString& windowsPath) override;
};

} // namespace platform::windowsbackend
