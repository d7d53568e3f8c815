#pragma once
// Starting programs the way CreateProcess does with both the application and the command
// line given: a Windows program through Wine, anything else directly.

#include "core/launchers/launcher_prefixes.h"
#include "core/launchers/wine_prefix.h"
#include "platform/processes.h"

#include <QStringList>

namespace platform::linuxbackend {

using launchers::WinePrefix;
using launchers::WineRunner;
class LinuxFiles;
class LinuxRegistry;

class LinuxProcesses : public Processes {
public:
    // Windows programs run with $WINE or wine, in the prefix the environment names.
    explicit LinuxProcesses(LinuxFiles& files);
    // Windows programs run in the prefix, started as the runner says.
    LinuxProcesses(LinuxFiles& files, const WinePrefix& prefix, WineRunner runner = {});
    bool start(const QString& application, const QString& commandLine,
               const QString& workingDirectory) override;
    bool running(const QStringList& programNames) override;

private:
    LinuxFiles& files_;
    QString prefix_; // absolute
    WineRunner runner_;
};

} // namespace platform::linuxbackend
