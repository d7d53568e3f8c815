#include "platform/linux/backend.h"

#include "platform/common/upnp_router.h"
#include "platform/linux/game_prefix.h"
#include "platform/linux/linux_downloads.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_help.h"
#include "platform/linux/linux_processes.h"
#include "platform/linux/linux_registry.h"
#include "platform/linux/linux_sockets.h"
#include "platform/linux/linux_system.h"
#include "platform/linux/linux_ui.h"
#include "platform/linux/linux_versions.h"

namespace platform::linuxbackend {

Backend::Backend() : Backend(findGamePrefix()) {}

Backend::Backend(const WinePrefix& prefix) : Backend(FoundPrefix{{prefix.root, {}}, nullptr, {}}) {}

Backend::Backend(FoundPrefix prefix)
    : prefix_(std::make_unique<WinePrefix>(WinePrefix{prefix.root})),
      registry_(prefix.registry ? std::move(prefix.registry)
                                : std::make_unique<LinuxRegistry>(*prefix_)),
      files_(std::make_unique<LinuxFiles>(*prefix_)),
      system_(std::make_unique<LinuxSystem>(*prefix_, *files_, *registry_, prefix.gameFolder)),
      processes_(std::make_unique<LinuxProcesses>(*files_, *prefix_, prefix.runner)),
      ui_(std::make_unique<LinuxUi>()), sockets_(std::make_unique<LinuxSockets>()),
      downloads_(std::make_unique<LinuxDownloads>(*files_)),
      help_(std::make_unique<LinuxHelpRuntime>(*files_)),
      versions_(std::make_unique<LinuxVersionInfo>(*files_)),
      routers_(std::make_unique<common::UpnpRouters>()) {}

Backend::~Backend() = default;

Services Backend::services() {
    return Services{registry_.get(), files_.get(),   processes_.get(), ui_.get(),
                    system_.get(),   sockets_.get(), downloads_.get(), help_.get(),
                    versions_.get(), routers_.get()};
}

} // namespace platform::linuxbackend

std::unique_ptr<platform::Backend> platform::createBackend() {
    return std::make_unique<linuxbackend::Backend>();
}
