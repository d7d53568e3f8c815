#pragma once
// The Windows backend: the program's own Windows, through its API.

#include "platform/backend.h"

#include <memory>

namespace platform::windowsbackend {

class WindowsRegistry;
class WindowsFiles;
class WindowsSystem;
class WindowsProcesses;
class WindowsUi;
class WindowsSockets;
class WindowsDownloads;
class WindowsHelpRuntime;
class WindowsVersionInfo;
class WindowsFirewall;

class Backend : public platform::Backend {
public:
    Backend();
    ~Backend();

    Services services() override;

private:
    std::unique_ptr<WindowsRegistry> registry_;
    std::unique_ptr<WindowsFiles> files_;
    std::unique_ptr<WindowsSystem> system_;
    std::unique_ptr<WindowsProcesses> processes_;
    std::unique_ptr<WindowsUi> ui_;
    std::unique_ptr<WindowsSockets> sockets_;
    std::unique_ptr<WindowsDownloads> downloads_;
    std::unique_ptr<WindowsHelpRuntime> help_;
    std::unique_ptr<WindowsVersionInfo> versions_;
    std::unique_ptr<Routers> routers_;
    std::unique_ptr<WindowsFirewall> firewall_;
};

} // namespace platform::windowsbackend
