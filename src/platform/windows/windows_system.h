#pragma once
// The program's own process: single instance, end, folders, version and environment.

#include "platform/system.h"

namespace platform::windowsbackend {

class WindowsSystem : public System {
public:
    WindowsSystem() = default;
    ~WindowsSystem() override;
    WindowsSystem(const WindowsSystem&) = delete;
    WindowsSystem& operator=(const WindowsSystem&) = delete;

    // A mutex named for the user in the session's namespace; Windows lets go of it when the
    // holder ends however it ends.
    bool claimSingleInstance() override;
    [[noreturn]] void endProgram() override;
    QString programFolder() override;
    long specialFolderPath(int csidl, QString& path) override;
    // The version the system really is (RtlGetVersion): GetVersionEx tells a program without a
    // compatibility manifest that Windows 10 is 6.2.
    OsVersion osVersion() override;
    QHash<QString, QString> environment() override;

private:
    void* instanceMutex_ = nullptr; // held until the process ends
};

} // namespace platform::windowsbackend
