#include "platform/windows/backend.h"

#include "platform/common/upnp_router.h"
#include "platform/windows/windows_downloads.h"
#include "platform/windows/windows_files.h"
#include "platform/windows/windows_firewall.h"
#include "platform/windows/windows_help.h"
#include "platform/windows/windows_host_files.h"
#include "platform/windows/windows_processes.h"
#include "platform/windows/windows_registry.h"
#include "platform/windows/windows_sockets.h"
#include "platform/windows/windows_system.h"
#include "platform/windows/windows_ui.h"

namespace platform::windowsbackend {

Backend::Backend()
    : registry_(std::make_unique<WindowsRegistry>()), files_(std::make_unique<WindowsFiles>()),
      system_(std::make_unique<WindowsSystem>()), processes_(std::make_unique<WindowsProcesses>()),
      ui_(std::make_unique<WindowsUi>()), sockets_(std::make_unique<WindowsSockets>()),
      downloads_(std::make_unique<WindowsDownloads>(*files_)),
      help_(std::make_unique<WindowsHelpRuntime>(*files_)),
      versions_(std::make_unique<WindowsVersionInfo>()),
      routers_(std::make_unique<common::UpnpRouters>()),
      firewall_(std::make_unique<WindowsFirewall>()) {}

Backend::~Backend() = default;

Services Backend::services() {
    return Services{registry_.get(), files_.get(),   processes_.get(), ui_.get(),
                    system_.get(),   sockets_.get(), downloads_.get(), help_.get(),
                    versions_.get(), routers_.get(), firewall_.get()};
}

} // namespace platform::windowsbackend

std::unique_ptr<platform::HostFiles> platform::createHostFiles() {
    return std::make_unique<windowsbackend::WindowsHostFiles>();
}

std::unique_ptr<platform::Backend> platform::createBackend(const WinePrefix&) {
    return std::make_unique<windowsbackend::Backend>();
}
