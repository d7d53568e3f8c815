#pragma once
// The operating system behind the seam, as the build chose it: the Linux backend over a Wine
// prefix, or the Windows backend. The program creates it once and installs its services.

#include "platform/hostfiles.h"
#include "platform/platform.h"
#include "platform/wineprefix.h"

#include <memory>

namespace platform {

class Backend {
public:
    virtual ~Backend() = default;
    // The services; valid while the backend lives.
    virtual Services services() = 0;
};

// Defined by the backend the build links. The machine's own files, for finding the prefix
// before there is a backend.
std::unique_ptr<HostFiles> createHostFiles();
// The Linux backend presents `prefix` (the Windows backend, the system itself, takes none).
std::unique_ptr<Backend> createBackend(const WinePrefix& prefix = {});

} // namespace platform
