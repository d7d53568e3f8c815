#pragma once
// Lutris's game database (pga.db, SQLite): read only, never written, never waited on.

#include "core/launchers/launcher_prefixes.h"

#include <vector>

namespace platform::linuxbackend {

// The Wine games' install folders and YAML names; none when the file is not a regular SQLite
// database or cannot be read now (locked, truncated, damaged).
std::vector<launchers::LutrisRecord> readLutrisDatabase(const QString& path);

} // namespace platform::linuxbackend
