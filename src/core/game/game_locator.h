#pragma once
// Where the game is and how it is started: the game's own key in a registry, else the folders
// the stores and launchers list for it. Everything is read through the seam: the host's files,
// and the registry of the system or of a Wine prefix.

#include "platform/hostfiles.h"
#include "platform/registry.h"
#include "platform/wineprefix.h"

#include <QHash>
#include <QProcessEnvironment>
#include <QString>

namespace game {

struct Location {
    platform::WinePrefix prefix; // the prefix to run the game in, with its launcher's Wine
    // Where a store put the game when the prefix holds no key of the game's own installer: a
    // host path to a folder holding the game's programs. Empty otherwise.
    QString folder;
};

// Where the game's programs are: whether the folder (a host path) holds D3DPopTB.exe, popTB.exe
// or HW_SW_Select.exe, names compared without regard to case, as Windows compares them.
bool holdsGamePrograms(platform::HostFiles& host, const QString& folder);

// The same asked of many folders in one search: each folder looked into once, whatever path
// names it, and at most `entryBudget` entries in all, so that lists naming one huge folder
// thousands of times, or thousands of huge folders, cannot hold up the start. Past the budget
// no folder holds the game.
class GameFolderSearch {
public:
    // Some hundred game folders of a thousand files each.
    static constexpr qint64 DefaultEntryBudget = 100000;

    explicit GameFolderSearch(platform::HostFiles& host, qint64 entryBudget = DefaultEntryBudget)
        : host_(host), entriesLeft_(entryBudget) {}
    bool holdsGamePrograms(const QString& folder);
    qint64 entriesLeft() const { return entriesLeft_; }

private:
    platform::HostFiles& host_;
    QHash<QString, bool> looked_; // by the folder's canonical path
    qint64 entriesLeft_;
};

// On a system whose Windows programs run in Wine prefixes: $WINEPREFIX alone when set; else the
// first prefix the launchers made whose registry holds the game's key; else the first folder
// the stores list (Steam, Heroic, Lutris, then GOG's and Steam's records in each prefix's
// registry) that holds the game's programs, in its prefix; else ~/.wine with the default Wine.
Location locateInPrefixes(platform::HostFiles& host, const QString& home,
                          const QProcessEnvironment& environment);

// On Windows itself, for a registry without the game's key: GOG's records, then Steam's
// libraries, as their programs left them in the registry. The folder (a host path) holding the
// game's programs, empty when none does.
QString locateInRegistry(platform::Registry& registry, platform::HostFiles& host);

} // namespace game
