#pragma once
// The Linux backend: Windows as the game's Wine prefix presents it.

#include "platform/backend.h"

#include <memory>

namespace platform::linuxbackend {

class LinuxRegistry;
class LinuxFiles;
class LinuxSystem;
class LinuxProcesses;
class LinuxUi;
class LinuxSockets;
class LinuxDownloads;
class LinuxHelpRuntime;
class LinuxVersionInfo;

class Backend : public platform::Backend {
public:
    // That prefix, its programs started with its runner.
    explicit Backend(const WinePrefix& prefix);
    ~Backend();

    Services services() override;

private:
    std::unique_ptr<WinePrefix> prefix_;
    std::unique_ptr<LinuxRegistry> registry_;
    std::unique_ptr<LinuxFiles> files_;
    std::unique_ptr<LinuxSystem> system_;
    std::unique_ptr<LinuxProcesses> processes_;
    std::unique_ptr<LinuxUi> ui_;
    std::unique_ptr<LinuxSockets> sockets_;
    std::unique_ptr<LinuxDownloads> downloads_;
    std::unique_ptr<LinuxHelpRuntime> help_;
    std::unique_ptr<LinuxVersionInfo> versions_;
    std::unique_ptr<Routers> routers_;
};

} // namespace platform::linuxbackend
