#include "platform/linux/game_prefix.h"

#include "launchers/store_installs.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/lutris_database.h"
#include "platform/linux/regular_file.h"

#include <QDir>

#include <algorithm>
#include <functional>
#include <string_view>

namespace platform::linuxbackend {

namespace {

// The key the game's installer writes; the start-up reads its InstallDrive and InstallPath.
const QString GameKey =
    QStringLiteral("Software\\Bullfrog Productions Ltd\\Populous: The Beginning");

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Whether the text holds the lower-case ASCII needle in any case; skips ahead as far as the
// needle is long, where lowering the whole text first would touch every byte twice.
bool containsFolded(const QByteArray& text, std::string_view needle) {
    struct Hash {
        std::size_t operator()(char c) const { return std::hash<char>()(foldAscii(c)); }
    };
    struct Equal {
        bool operator()(char a, char b) const { return foldAscii(a) == foldAscii(b); }
    };
    const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end(), Hash(),
                                                      Equal());
    return std::search(text.begin(), text.end(), searcher) != text.end();
}

std::optional<QByteArray> machineHive(const PrefixCandidate& candidate) {
    return readRegularFile(candidate.root + QStringLiteral("/system.reg"),
                           LinuxRegistry::MaxHiveSize);
}

// The game in the stores' records of one prefix's registry, as a native path.
QString recordedFolder(const PrefixCandidate& candidate, LinuxRegistry& registry,
                       launchers::GameFolderSearch& search) {
    LinuxFiles files(launchers::WinePrefix{candidate.root});
    const auto toNative = [&files](const QString& path) { return files.toNative(path); };
    for (const QString& folder :
         launchers::registryRecordedFolders(registry, toNative, readRegularFile))
        if (search.holdsGamePrograms(folder))
            return folder;
    return {};
}

} // namespace

FoundPrefix findGamePrefix() {
    if (qEnvironmentVariableIsEmpty("WINEPREFIX")) {
        const QString home = QDir::homePath();
        const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        std::vector<PrefixCandidate> candidates =
            launchers::prefixCandidates(home, environment, readRegularFile);
        for (PrefixCandidate& candidate : candidates) {
            // A hive holding the key names it on a section line (a link keeps its own name
            // too): a file without the name needs no parse, which is most of the time spent
            // with several large hives.
            const auto text = machineHive(candidate);
            if (!text || !containsFolded(*text, "populous: the beginning"))
                continue;
            auto registry = std::make_unique<LinuxRegistry>(launchers::WinePrefix{candidate.root});
            if (registry->values(RootKey::LocalMachine, GameKey))
                return {std::move(candidate), std::move(registry), {}};
        }
        launchers::GameFolderSearch search;
        for (launchers::InstalledGame& game :
             launchers::installedGames(home, environment, readRegularFile, readLutrisDatabase))
            if (search.holdsGamePrograms(game.folder))
                return {std::move(game.prefix), nullptr, game.folder};
        // GOG's installer records its games in system.reg; read again only when it comes to it.
        for (PrefixCandidate& candidate : candidates) {
            const auto text = machineHive(candidate);
            if (!text || !containsFolded(*text, "gog.com\\\\games"))
                continue;
            auto registry = std::make_unique<LinuxRegistry>(launchers::WinePrefix{candidate.root});
            if (QString folder = recordedFolder(candidate, *registry, search); !folder.isEmpty())
                return {std::move(candidate), std::move(registry), folder};
        }
    }
    return {{launchers::WinePrefix::fromEnvironment().root, {}}, nullptr, {}};
}

} // namespace platform::linuxbackend
