#include "platform/linux/backend.h"

#include "platform/common/upnp_router.h"
#include "platform/linux/linux_downloads.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_help_runtime.h"
#include "platform/linux/linux_host_files.h"
#include "platform/linux/linux_processes.h"
#include "platform/linux/linux_registry.h"
#include "platform/linux/linux_sockets.h"
#include "platform/linux/linux_system.h"
#include "platform/linux/linux_ui.h"
#include "platform/linux/linux_versions.h"

namespace platform::linuxbackend {

Backend::Backend(const WinePrefix& prefix)
    : prefix_(std::make_unique<WinePrefix>(prefix)),
      registry_(std::make_unique<LinuxRegistry>(*prefix_)),
      files_(std::make_unique<LinuxFiles>(*prefix_)),
      system_(std::make_unique<LinuxSystem>(*prefix_, *files_, *registry_)),
      processes_(std::make_unique<LinuxProcesses>(*files_, *prefix_)),
      ui_(std::make_unique<LinuxUi>()), sockets_(std::make_unique<LinuxSockets>()),
      downloads_(std::make_unique<LinuxDownloads>(*files_)),
      help_(std::make_unique<LinuxHelpRuntime>(*files_)),
      versions_(std::make_unique<LinuxVersionInfo>(*files_)),
      routers_(std::make_unique<common::UpnpRouters>()) {}

Backend::~Backend() = default;

Services Backend::services() {
    return Services{registry_.get(), files_.get(),   processes_.get(), ui_.get(),
                    system_.get(),   sockets_.get(), downloads_.get(), help_.get(),
                    versions_.get(), routers_.get(), nullptr};
}

} // namespace platform::linuxbackend

std::unique_ptr<platform::HostFiles> platform::createHostFiles() {
    return std::make_unique<linuxbackend::LinuxHostFiles>();
}

std::unique_ptr<platform::Backend> platform::createBackend(const WinePrefix& prefix) {
    return std::make_unique<linuxbackend::Backend>(prefix);
}
