#pragma once
// The one seam between the program and the operating system. Forms and modules reach the
// system only through platform::current(); the program installs a backend at start, tests
// install fakes.

#include "platform/downloads.h"
#include "platform/filesystem.h"
#include "platform/firewall.h"
#include "platform/helpruntime.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/router.h"
#include "platform/sockets.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace platform {

struct Services {
    Registry* registry = nullptr;
    FileSystem* files = nullptr;
    Processes* processes = nullptr;
    Ui* ui = nullptr;
    System* system = nullptr;
    Sockets* sockets = nullptr;
    Downloads* downloads = nullptr;
    HelpRuntime* help = nullptr;
    VersionInfo* versions = nullptr;
    Routers* routers = nullptr;
    Firewall* firewall = nullptr; // none where the system has no firewall Velkor knows
};

// The installed services; every member but `firewall` is set before any form is created.
Services& current();
void install(const Services& services);

} // namespace platform
