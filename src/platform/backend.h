#pragma once
// The operating system behind the seam, as the build chose it: the Linux backend over a Wine
// prefix, or the Windows backend. The program creates it once and installs its services.

#include "platform/platform.h"

#include <memory>

namespace platform {

class Backend {
public:
    virtual ~Backend() = default;
    // The services; valid while the backend lives.
    virtual Services services() = 0;
};

// Defined by the backend the build links.
std::unique_ptr<Backend> createBackend();

} // namespace platform
