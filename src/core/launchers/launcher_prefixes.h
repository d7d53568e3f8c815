#pragma once
// The Wine prefixes that may hold the game: players install it with a launcher (Heroic, Lutris,
// Bottles, ...) that makes a prefix of its own and records which Wine runs it. Candidates are
// read from the launchers' files in a home folder, through the host's files; which one holds
// the game is for the game's locator to tell from its registry.

#include "platform/hostfiles.h"
#include "platform/wineprefix.h"

#include <QProcessEnvironment>
#include <QString>
#include <vector>

namespace launchers {

using platform::HostFiles;
using platform::WineRunner;
// A prefix to try, and the Wine its launcher runs it with.
using PrefixCandidate = platform::WinePrefix;

// A name the launchers' files give for one folder or file in a folder they own: not empty, no
// separator, drive or parent. Anything else says nothing we can follow.
inline bool isPlainName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QLatin1Char(':'));
}

// The prefixes to try, in order: ~/.wine, hand-made ones in ~/.local/share/wineprefixes, then
// Heroic's, Lutris's, Bottles', PlayOnLinux's and Steam's, each launcher's native files before
// its Flatpak ones. The same folder appears once, with the first runner found for it. Folders
// are not checked for a registry here; files that cannot be read or understood are skipped.
std::vector<PrefixCandidate>
prefixCandidates(const QString& home, const QProcessEnvironment& environment, HostFiles& host);

// The prefix when no launcher's record chose one: $WINEPREFIX (a relative one taken against the
// current folder, once: the folder moves later), else ~/.wine; run with $WINE or wine.
PrefixCandidate prefixFromEnvironment(const QString& home, const QProcessEnvironment& environment);

// A folder where a store installed a game, with the prefix and Wine its launcher runs it with.
struct InstalledGame {
    QString folder;
    PrefixCandidate prefix;
};

// A Lutris database's games: each one's install folder and the name of its YAML file.
struct LutrisRecord {
    QString directory, configPath;
};
// The Wine games of Lutris's database (pga.db, SQLite), read only, never written or waited on;
// none when the file is not a regular SQLite database or cannot be read now (locked,
// truncated, damaged). lutris_database.cpp.
std::vector<LutrisRecord> readLutrisDatabase(HostFiles& host, const QString& path);

// The folders the stores' launchers list for their games, in order: Steam's libraries (the
// game's copy, in the Proton prefix Steam made for it), Heroic's GOG installs (in the prefix of
// their GamesConfig), Lutris's games (their YAML's `game: exe` folder, and each database
// record's directory). Native files before Flatpak ones. Folders are not checked for the game
// here. A game without a prefix of its own is run in $WINEPREFIX or ~/.wine.
std::vector<InstalledGame> installedGames(const QString& home,
                                          const QProcessEnvironment& environment, HostFiles& host);

} // namespace launchers
