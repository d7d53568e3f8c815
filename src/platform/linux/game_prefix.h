#pragma once
// The Wine prefix the game was installed into, found among those the launchers made.

#include "core/launchers/launcher_prefixes.h"
#include "platform/linux/linux_registry.h"

#include <memory>

namespace platform::linuxbackend {

using launchers::PrefixCandidate;
using launchers::WineRunner;

// The prefix found, with the registry that was read to find it, so that start-up reads its
// game key from there instead of from the file again; no registry when none was read.
struct FoundPrefix : PrefixCandidate {
    std::unique_ptr<LinuxRegistry> registry;
    // Where another store put the game when the prefix holds no key of the game's own
    // installer (a native path holding the game's programs); empty otherwise.
    QString gameFolder;
};

// The prefix to run: $WINEPREFIX alone when set; else the first candidate whose registry holds
// the game's key; else the first folder the stores list (Steam, Heroic, Lutris, then GOG's and
// Steam's records in each candidate's registry) that holds the game's programs, in its prefix;
// else ~/.wine with the default Wine. From the process's environment.
FoundPrefix findGamePrefix();

} // namespace platform::linuxbackend
