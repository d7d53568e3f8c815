#pragma once
// Whether a wineserver holds a prefix: it keeps the registry in memory and would overwrite any
// edit made to the files meanwhile.

#include "core/launchers/wine_prefix.h"

namespace platform::linuxbackend {

bool wineServerRunning(const launchers::WinePrefix& prefix);

} // namespace platform::linuxbackend
