#include "core/game/game_locator.h"

#include "core/game/game.h"
#include "core/launchers/store_installs.h"
#include "core/wine/prefix_registry.h"

#include <QDir>

#include <algorithm>
#include <functional>
#include <string_view>

namespace game {

namespace {

using platform::HostFiles;
using platform::WinePrefix;

// A game folder holds a few hundred files; past this many, the folder is not the game's.
constexpr int FolderEntryLimit = 20000;

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

// A candidate prefix's registry, read once from its files; its system.reg already in hand.
class CandidateRegistry : public wine::PrefixRegistry {
public:
    CandidateRegistry(HostFiles& host, const WinePrefix& prefix, QByteArray machine)
        : host_(host), prefix_(prefix), machine_(std::move(machine)) {}

protected:
    QByteArray stamp(HiveFile) override { return "read once"; }
    std::optional<QByteArray> text(HiveFile file) override {
        if (file == System)
            return machine_;
        return host_.read(
            prefix_.path(file == User ? QStringLiteral("user.reg") : QStringLiteral("userdef.reg")),
            wine::MaxHiveSize);
    }
    bool busy() override { return true; } // never written
    bool replace(HiveFile, const QByteArray&) override { return false; }

private:
    HostFiles& host_;
    WinePrefix prefix_;
    QByteArray machine_;
};

std::optional<QByteArray> machineHive(HostFiles& host, const WinePrefix& prefix) {
    return host.read(prefix.path(QStringLiteral("system.reg")), wine::MaxHiveSize);
}

// The game in the stores' records of one prefix's registry, as a host path.
QString recordedFolder(HostFiles& host, const WinePrefix& prefix, platform::Registry& registry,
                       GameFolderSearch& search) {
    const auto toNative = [&](const QString& path) { return host.inPrefix(prefix.root, path); };
    for (const QString& folder : launchers::registryRecordedFolders(registry, toNative, host))
        if (search.holdsGamePrograms(folder))
            return folder;
    return {};
}

} // namespace

bool holdsGamePrograms(HostFiles& host, const QString& folder) {
    return GameFolderSearch(host).holdsGamePrograms(folder);
}

bool GameFolderSearch::holdsGamePrograms(const QString& folder) {
    static const QStringList programs{PopTBDirect3DExe.mid(1), PopTBSoftwareExe.mid(1),
                                      SelectorExe};
    const QString canonical = folder.isEmpty() ? QString() : host_.canonical(folder);
    if (canonical.isEmpty())
        return false;
    if (const auto known = looked_.constFind(canonical); known != looked_.cend())
        return *known;
    int looked = 0;
    const QStringList files =
        host_.list(canonical, HostFiles::Entries::Files,
                   int(std::clamp<qint64>(entriesLeft_, 0, FolderEntryLimit)), &looked);
    entriesLeft_ -= looked;
    const bool holds = std::any_of(files.begin(), files.end(), [](const QString& name) {
        return programs.contains(name, Qt::CaseInsensitive);
    });
    looked_.insert(canonical, holds);
    return holds;
}

Location locateInPrefixes(HostFiles& host, const QString& home,
                          const QProcessEnvironment& environment) {
    if (!environment.value(QStringLiteral("WINEPREFIX")).isEmpty())
        return {launchers::prefixFromEnvironment(home, environment), {}};
    const std::vector<WinePrefix> candidates = launchers::prefixCandidates(home, environment, host);
    for (const WinePrefix& candidate : candidates) {
        // A hive holding the key names it on a section line (a link keeps its own name too): a
        // file without the name needs no parse, which is most of the time spent with several
        // large hives.
        auto text = machineHive(host, candidate);
        if (!text || !containsFolded(*text, "populous: the beginning"))
            continue;
        if (CandidateRegistry(host, candidate, std::move(*text))
                .values(platform::RootKey::LocalMachine, RegistryKey))
            return {candidate, {}};
    }
    GameFolderSearch search(host);
    for (const launchers::InstalledGame& installed :
         launchers::installedGames(home, environment, host))
        if (search.holdsGamePrograms(installed.folder))
            return {installed.prefix, installed.folder};
    // GOG's installer records its games in system.reg; read again only when it comes to it.
    for (const WinePrefix& candidate : candidates) {
        auto text = machineHive(host, candidate);
        if (!text || !containsFolded(*text, "gog.com\\\\games"))
            continue;
        CandidateRegistry registry(host, candidate, std::move(*text));
        if (QString folder = recordedFolder(host, candidate, registry, search); !folder.isEmpty())
            return {candidate, folder};
    }
    return {launchers::prefixFromEnvironment(home, environment), {}};
}

QString locateInRegistry(platform::Registry& registry, HostFiles& host) {
    const auto asIs = [](const QString& path) { return path; };
    GameFolderSearch search(host);
    for (const QString& folder : launchers::registryRecordedFolders(registry, asIs, host))
        if (search.holdsGamePrograms(folder))
            return QDir::toNativeSeparators(QDir::cleanPath(folder));
    return {};
}

} // namespace game
