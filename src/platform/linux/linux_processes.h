#pragma once
// Starting programs the way CreateProcess does with both the application and the command
// line given: a Windows program through Wine, anything else directly.

#include "platform/processes.h"
#include "platform/wineprefix.h"

#include <QStringList>

namespace platform::linuxbackend {

class LinuxFiles;
class LinuxRegistry;

class LinuxProcesses : public Processes {
public:
    // Windows programs run in the prefix, started as its runner says.
    LinuxProcesses(LinuxFiles& files, const WinePrefix& prefix);
    bool start(const QString& application, const QString& commandLine,
               const QString& workingDirectory) override;
    bool running(const QStringList& programNames) override;

private:
    LinuxFiles& files_;
    QString prefix_; // absolute
    WineRunner runner_;
};

} // namespace platform::linuxbackend
