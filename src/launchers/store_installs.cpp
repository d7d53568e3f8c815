#include "launchers/store_installs.h"

#include "game/game.h"
#include "launchers/valve_keyvalues.h"
#include "win32/full_path.h"
#include "win32/text.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace launchers {

namespace {

// Steam's and Heroic's lists are a few KiB; the limit keeps a planted huge file out.
constexpr qint64 ListLimit = 4 << 20;
// A game folder holds a few hundred files; past this many, the folder is not the game's.
constexpr int FolderEntryLimit = 20000;

const QString GogGames = QStringLiteral("SOFTWARE\\GOG.com\\Games");
const QString SteamKey = QStringLiteral("Software\\Valve\\Steam");

std::optional<std::vector<KeyValue>> readKeyValues(const QString& path, const ReadFile& read) {
    const auto bytes = read(path, ListLimit);
    return bytes ? parseKeyValues(*bytes) : std::nullopt;
}

QString registryText(platform::Registry& registry, platform::RootKey root, const QString& key,
                     const QString& name) {
    const auto values = registry.values(root, key);
    if (!values)
        return {};
    for (const platform::RegEntry& value : *values)
        if (value.name.compare(name, Qt::CaseInsensitive) == 0 &&
            (value.type == platform::regtype::Sz || value.type == platform::regtype::ExpandSz)) {
            return QString::fromLocal8Bit(TrimAtNull(value.data));
        }
    return {};
}

// Absolute here, or a Windows path with its drive (a Wine prefix's Steam).
bool isFullPath(const QString& path) {
    return QDir::isAbsolutePath(path) ||
           (path.size() > 2 && win32::isDriveLetter(path[0]) && path[1] == QLatin1Char(':') &&
            (path[2] == QLatin1Char('\\') || path[2] == QLatin1Char('/')));
}

} // namespace

bool holdsGamePrograms(const QString& folder) {
    return GameFolderSearch().holdsGamePrograms(folder);
}

bool GameFolderSearch::holdsGamePrograms(const QString& folder) {
    static const QStringList programs{game::PopTBDirect3DExe.mid(1), game::PopTBSoftwareExe.mid(1),
                                      game::SelectorExe};
    const QString canonical = folder.isEmpty() ? QString() : QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty())
        return false;
    if (const auto known = looked_.constFind(canonical); known != looked_.cend())
        return *known;
    bool holds = false;
    // Every entry counts, folders too: a filter would pass over them uncounted.
    QDirIterator entries(canonical,
                         QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (int seen = 0; !holds && entries.hasNext() && seen < FolderEntryLimit && entriesLeft_ > 0;
         ++seen, --entriesLeft_) {
        entries.next();
        holds = programs.contains(entries.fileName(), Qt::CaseInsensitive) &&
                entries.fileInfo().isFile();
    }
    looked_.insert(canonical, holds);
    return holds;
}

QStringList steamLibraries(const QString& steamFolder, const ReadFile& read) {
    QStringList libraries{QDir::cleanPath(steamFolder)};
    const auto top =
        readKeyValues(steamFolder + QStringLiteral("/steamapps/libraryfolders.vdf"), read);
    if (!top)
        return libraries;
    for (const KeyValue& list : *top) {
        if (list.key.compare(QLatin1String("libraryfolders"), Qt::CaseInsensitive) != 0)
            continue;
        for (const KeyValue& library : list.children) {
            // Old files give the path as the value itself; newer ones in a block.
            const KeyValue* path = library.child(QStringLiteral("path"));
            const QString folder =
                library.isBlock ? (path ? path->value : QString()) : library.value;
            if (isFullPath(folder) && !libraries.contains(QDir::cleanPath(folder)))
                libraries << QDir::cleanPath(folder);
        }
    }
    return libraries;
}

QString steamGameFolder(const QString& library, const ReadFile& read) {
    const QString steamapps = library + QStringLiteral("/steamapps/");
    const auto top =
        readKeyValues(steamapps + QStringLiteral("appmanifest_") + SteamAppId + ".acf", read);
    if (!top)
        return {};
    for (const KeyValue& state : *top) {
        const KeyValue* folder = state.child(QStringLiteral("installdir"));
        if (folder && !folder->isBlock && isPlainName(folder->value))
            return steamapps + QStringLiteral("common/") + folder->value;
    }
    return {};
}

std::vector<HeroicInstall> heroicInstalls(const QByteArray& json) {
    std::vector<HeroicInstall> installs;
    const QJsonArray entries = QJsonDocument::fromJson(json).object().value("installed").toArray();
    for (const QJsonValue& entry : entries) {
        const QJsonObject install = entry.toObject();
        const QString platform = install.value("platform").toString();
        const QString folder = install.value("install_path").toString();
        if (!folder.isEmpty() && (platform.isEmpty() || platform.compare(QLatin1String("windows"),
                                                                         Qt::CaseInsensitive) == 0))
            installs.push_back({install.value("appName").toString(), folder});
    }
    return installs;
}

QStringList registryRecordedFolders(platform::Registry& registry,
                                    const std::function<QString(const QString&)>& toNative,
                                    const ReadFile& read) {
    using platform::RootKey;
    QStringList folders;
    for (const QString& id :
         registry.subkeys(RootKey::LocalMachine, GogGames).value_or(QStringList())) {
        const QString path =
            registryText(registry, RootKey::LocalMachine, GogGames + QLatin1Char('\\') + id,
                         QStringLiteral("path"));
        if (!path.isEmpty())
            folders << toNative(path);
    }
    const QString steam =
        registryText(registry, RootKey::CurrentUser, SteamKey, QStringLiteral("SteamPath"));
    if (!steam.isEmpty()) {
        const QString root = toNative(steam);
        for (const QString& library : steamLibraries(root, read)) {
            // A library's path in libraryfolders.vdf is a Windows path too.
            const QString native = library == QDir::cleanPath(root) ? library : toNative(library);
            const QString game = steamGameFolder(native, read);
            if (!game.isEmpty())
                folders << game;
        }
    }
    folders.removeAll(QString());
    return folders;
}

} // namespace launchers
