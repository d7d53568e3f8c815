#pragma once
// Where the stores that sell the game today put it: Steam's libraries, Heroic's list of GOG
// installs, and the records GOG's and Steam's own programs leave in a Windows registry. The
// game's locator checks the folders for the game's programs before it takes one.

#include "core/launchers/launcher_prefixes.h"
#include "platform/registry.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace launchers {

// The game's Steam app.
inline const QString SteamAppId = QStringLiteral("2616430");

// Steam's libraries: the Steam folder itself, then each "path" its
// steamapps/libraryfolders.vdf lists, each once.
QStringList steamLibraries(const QString& steamFolder, HostFiles& host);

// The game's folder in a library, from the installdir of its steamapps/appmanifest_2616430.acf
// (steamapps/common/<installdir>); empty when the library has no such manifest or it names
// anything but one plain folder.
QString steamGameFolder(const QString& library, HostFiles& host);

// Heroic's gog_store/installed.json: its Windows installs, by appName and install_path.
struct HeroicInstall {
    QString appName, folder;
};
std::vector<HeroicInstall> heroicInstalls(const QByteArray& json);

// Folders the stores recorded in a Windows registry, as host paths (`toNative` turns a Windows
// path into one): each GOG game's "path" (HKLM\SOFTWARE\GOG.com\Games\<id>), then the game in
// the Steam libraries of HKCU\Software\Valve\Steam's "SteamPath".
QStringList registryRecordedFolders(platform::Registry& registry,
                                    const std::function<QString(const QString&)>& toNative,
                                    HostFiles& host);

} // namespace launchers
