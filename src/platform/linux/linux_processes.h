#pragma once
// Starting programs the way CreateProcess does with both the application and the command
// line given: a Windows program through Wine, anything else directly.

#include "platform/processes.h"

#include <QStringList>

namespace platform::linuxbackend {

struct WinePrefix;
class LinuxFiles;
class LinuxRegistry;

class LinuxProcesses : public Processes {
public:
    explicit LinuxProcesses(LinuxFiles& files);
    bool start(const QString& application, const QString& commandLine,
               const QString& workingDirectory) override;

private:
    LinuxFiles& files_;
};

} // namespace platform::linuxbackend
