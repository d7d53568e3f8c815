#pragma once
// CreateProcess with the application named, so that no other program a part of an unquoted
// path names is ever started.

#include "platform/processes.h"

namespace platform::windowsbackend {

class WindowsProcesses : public Processes {
public:
    bool start(const QString& application, const QString& commandLine,
               const QString& workingDirectory) override;
    bool running(const QStringList& programNames) override;
};

} // namespace platform::windowsbackend
