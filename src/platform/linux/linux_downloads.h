#pragma once

#include "platform/downloads.h"

namespace platform::linuxbackend {

struct WinePrefix;
class LinuxFiles;
class LinuxRegistry;

class LinuxDownloads : public Downloads {
public:
    explicit LinuxDownloads(LinuxFiles& files);
    long downloadToFile(const QString& url, const QString& windowsPath) override;
};

} // namespace platform::linuxbackend
