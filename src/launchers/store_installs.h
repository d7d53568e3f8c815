#pragma once
// Where the stores that sell the game today put it: Steam's libraries, Heroic's list of GOG
// installs, and the records GOG's and Steam's own programs leave in a Windows registry. Folders
// are checked for the game's programs before anyone takes them.

#include "launchers/launcher_prefixes.h"
#include "platform/registry.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace launchers {

// The game's Steam app.
inline const QString SteamAppId = QStringLiteral("2616430");

// Whether the folder (a path Qt can open) holds D3DPopTB.exe, popTB.exe or HW_SW_Select.exe,
// names compared without regard to case, as Windows compares them.
bool holdsGamePrograms(const QString& folder);

// The same asked of many folders in one search: each folder looked into once, whatever path
// names it, and at most `entryBudget` entries in all, so that lists naming one huge folder
// thousands of times, or thousands of huge folders, cannot hold up the start. Past the budget
// no folder holds the game.
class GameFolderSearch {
public:
    // Some hundred game folders of a thousand files each.
    static constexpr qint64 DefaultEntryBudget = 100000;

    explicit GameFolderSearch(qint64 entryBudget = DefaultEntryBudget)
        : entriesLeft_(entryBudget) {}
    bool holdsGamePrograms(const QString& folder);
    qint64 entriesLeft() const { return entriesLeft_; }

private:
    QHash<QString, bool> looked_; // by the folder's canonical path
    qint64 entriesLeft_;
};

// Steam's libraries: the Steam folder itself, then each "path" its
// steamapps/libraryfolders.vdf lists, each once.
QStringList steamLibraries(const QString& steamFolder, const ReadFile& read);

// The game's folder in a library, from the installdir of its steamapps/appmanifest_2616430.acf
// (steamapps/common/<installdir>); empty when the library has no such manifest or it names
// anything but one plain folder.
QString steamGameFolder(const QString& library, const ReadFile& read);

// Heroic's gog_store/installed.json: its Windows installs, by appName and install_path.
struct HeroicInstall {
    QString appName, folder;
};
std::vector<HeroicInstall> heroicInstalls(const QByteArray& json);

// Folders the stores recorded in a Windows registry, as paths Qt can open (`toNative` turns a
// Windows path into one): each GOG game's "path" (HKLM\SOFTWARE\GOG.com\Games\<id>), then the
// game in the Steam libraries of HKCU\Software\Valve\Steam's "SteamPath".
QStringList registryRecordedFolders(platform::Registry& registry,
                                    const std::function<QString(const QString&)>& toNative,
                                    const ReadFile& read);

} // namespace launchers
