#pragma once
// The Wine prefixes that may hold the game: players install it with a launcher (Heroic, Lutris,
// Bottles, ...) that makes a prefix of its own and records which Wine runs it. Candidates are
// read from the launchers' files in a home folder; which one holds the game is for the backend
// to tell from its registry.

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace launchers {

// Reads one of the launchers' files whole: its bytes when it is a regular file of at most
// `limit` bytes, nullopt otherwise. Each backend gives its own, as only it can open a file
// without blocking on a FIFO or a device put in its place.
using ReadFile = std::function<std::optional<QByteArray>(const QString& path, qint64 limit)>;

// A name the launchers' files give for one folder or file in a folder they own: not empty, no
// separator, drive or parent. Anything else says nothing we can follow.
inline bool isPlainName(const QString& name) {
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\')) &&
           !name.contains(QLatin1Char(':'));
}

// How Windows programs are started in a prefix.
struct WineRunner {
    enum class Kind {
        Wine,   // `program` (empty: $WINE, else wine from PATH) with WINEPREFIX set
        Proton, // `program run <exe> <args>`, the prefix's Steam variables set
        None,   // no way known to start one without harming the prefix: starts fail
    };
    Kind kind = Kind::Wine;
    QString program;     // Wine's binary or Proton's script
    QString compatData;  // Proton: the folder holding pfx/ (STEAM_COMPAT_DATA_PATH)
    QString steamFolder; // Proton: STEAM_COMPAT_CLIENT_INSTALL_PATH

    bool operator==(const WineRunner&) const = default;
};

struct PrefixCandidate {
    QString root; // the Wine prefix: the folder of system.reg, absolute and cleaned
    WineRunner runner;

    bool operator==(const PrefixCandidate&) const = default;
};

// The prefixes to try, in order: ~/.wine, hand-made ones in ~/.local/share/wineprefixes, then
// Heroic's, Lutris's, Bottles', PlayOnLinux's and Steam's, each launcher's native files before
// its Flatpak ones. The same folder appears once, with the first runner found for it. Folders
// are not checked for a registry here; files that cannot be read or understood are skipped.
std::vector<PrefixCandidate>
prefixCandidates(const QString& home, const QProcessEnvironment& environment, const ReadFile& read);

// A folder where a store installed a game, with the prefix and Wine its launcher runs it with.
struct InstalledGame {
    QString folder;
    PrefixCandidate prefix;
};

// A Lutris database's games: each one's install folder and the name of its YAML file.
struct LutrisRecord {
    QString directory, configPath;
};
using ReadLutrisDatabase = std::function<std::vector<LutrisRecord>(const QString& path)>;

// The folders the stores' launchers list for their games, in order: Steam's libraries (the
// game's copy, in the Proton prefix Steam made for it), Heroic's GOG installs (in the prefix of
// their GamesConfig), Lutris's games (their YAML's `game: exe` folder, and each database
// record's directory). Native files before Flatpak ones. Folders are not checked for the game
// here. A game without a prefix of its own is run in $WINEPREFIX or ~/.wine.
std::vector<InstalledGame> installedGames(const QString& home,
                                          const QProcessEnvironment& environment,
                                          const ReadFile& read,
                                          const ReadLutrisDatabase& readDatabase);

} // namespace launchers
