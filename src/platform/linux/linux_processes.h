#pragma once

#include "platform/processes.h"

namespace platform::linuxbackend {

struct WinePrefix;
class LinuxFiles;
class LinuxRegistry;

class LinuxProcesses : public Processes {
public:
    explicit LinuxProcesses(LinuxFiles& files);
    bool start(const QString& application, const QString& commandLine,
               const QString& workingDirectory) override;
};

} // namespace platform::linuxbackend
