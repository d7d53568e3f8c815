#include "launchers/launcher_prefixes.h"

#include "launchers/launcher_yaml.h"
#include "launchers/store_installs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace launchers {

namespace {

// Launchers' settings files are a few KiB.
constexpr qint64 SettingsLimit = 1 << 20;

const QString HeroicFlatpak = QStringLiteral("/.var/app/com.heroicgameslauncher.hgl");
const QString LutrisFlatpak = QStringLiteral("/.var/app/net.lutris.Lutris");
const QString BottlesFlatpak = QStringLiteral("/.var/app/com.usebottles.bottles");
const QString SteamFlatpak = QStringLiteral("/.var/app/com.valvesoftware.Steam");

// For a prefix no launcher records a way to start without harming it: its starts fail.
const WineRunner NoRunner{WineRunner::Kind::None, {}, {}, {}};

QString below(const QString& folder, const QString& relative) {
    return folder + QLatin1Char('/') + relative;
}

// "~" and "~/x" as a shell would expand them; other text unchanged.
QString expandHome(const QString& path, const QString& home) {
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        return home + path.mid(1);
    return path;
}

QStringList subfolders(const QString& folder) {
    QStringList paths;
    for (const QString& name :
         QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name))
        paths << below(folder, name);
    return paths;
}

QStringList filesIn(const QString& folder, const QString& pattern) {
    QStringList paths;
    for (const QString& name : QDir(folder).entryList({pattern}, QDir::Files, QDir::Name))
        paths << below(folder, name);
    return paths;
}

bool isDir(const QString& path) {
    return QFileInfo(path).isDir();
}

// The XDG folder named by the variable (when absolute), then its default below home.
QStringList xdgFolders(const QProcessEnvironment& environment, const char* variable,
                       const QString& fallback) {
    QStringList folders;
    const QString set = QDir::cleanPath(environment.value(QLatin1String(variable)));
    if (QDir::isAbsolutePath(set))
        folders << set;
    if (!folders.contains(fallback))
        folders << fallback;
    return folders;
}

class Collector {
public:
    Collector(const QString& home, const QProcessEnvironment& environment, const ReadFile& read)
        : read_(read), home_(home),
          config_(xdgFolders(environment, "XDG_CONFIG_HOME", home + "/.config")),
          data_(xdgFolders(environment, "XDG_DATA_HOME", home + "/.local/share")) {}

    std::vector<PrefixCandidate> collect() {
        add(below(home_, QStringLiteral(".wine")), {});
        for (const QString& data : data_)
            for (const QString& prefix : subfolders(below(data, QStringLiteral("wineprefixes"))))
                add(prefix, {});
        heroic();
        lutris();
        bottles();
        playOnLinux();
        steam();
        return std::move(found_);
    }

private:
    void add(const QString& path, const WineRunner& runner) {
        const QString root = QDir::cleanPath(expandHome(path, home_));
        if (!QDir::isAbsolutePath(root))
            return;
        const QString canonical = QFileInfo(root).canonicalFilePath();
        if (seen_.contains(canonical.isEmpty() ? root : canonical))
            return;
        seen_.insert(canonical.isEmpty() ? root : canonical);
        found_.push_back({root, runner});
    }

    // Steam's folder for Proton outside Steam; the prefix's own folder serves without Steam.
    QString steamFolder(const QString& compatData) const {
        for (const QString& steam : steamRoots())
            if (isDir(steam))
                return steam;
        return compatData;
    }

    QStringList steamRoots() const {
        QStringList roots{below(home_, QStringLiteral(".steam/steam"))};
        for (const QString& data : data_)
            roots << below(data, QStringLiteral("Steam"));
        roots << home_ + SteamFlatpak + QStringLiteral("/.local/share/Steam");
        return roots;
    }

    // Heroic's own folders; GamesConfig/<appName>.json in each:
    // {"<appName>": {"winePrefix": ..., "wineVersion": {...}}}.
    QStringList heroicFolders() const {
        QStringList folders;
        for (const QString& config : config_)
            folders << below(config, QStringLiteral("heroic"));
        return folders << home_ + HeroicFlatpak + QStringLiteral("/config/heroic");
    }

    void heroic() {
        for (const QString& folder : heroicFolders())
            for (const QString& file :
                 filesIn(below(folder, QStringLiteral("GamesConfig")), QStringLiteral("*.json")))
                heroicGame(file);
        for (const QString& prefix :
             subfolders(below(home_, QStringLiteral("Games/Heroic/Prefixes/default")))) {
            // Proton keeps its Wine prefix in pfx/; without a record of which Proton, none runs.
            if (isDir(below(prefix, QStringLiteral("pfx"))))
                add(below(prefix, QStringLiteral("pfx")), NoRunner);
            else
                add(prefix, {});
        }
    }

    void heroicGame(const QString& file) {
        const auto bytes = read_(file, SettingsLimit);
        if (!bytes)
            return;
        const QJsonObject games = QJsonDocument::fromJson(*bytes).object();
        for (auto game = games.begin(); game != games.end(); ++game)
            if (const auto prefix = heroicPrefix(game->toObject()))
                add(prefix->root, prefix->runner);
    }

    std::optional<PrefixCandidate> heroicPrefix(const QJsonObject& settings) const {
        const QString prefix =
            QDir::cleanPath(expandHome(settings.value("winePrefix").toString(), home_));
        if (!QDir::isAbsolutePath(prefix))
            return std::nullopt;
        if (!settings.contains(QLatin1String("wineVersion")))
            return PrefixCandidate{prefix, {}};
        const QJsonObject version = settings.value("wineVersion").toObject();
        const QString type = version.value("type").toString();
        const QString bin = expandHome(version.value("bin").toString(), home_);
        if (type == QLatin1String("wine"))
            return PrefixCandidate{prefix, {WineRunner::Kind::Wine, bin, {}, {}}};
        if (type == QLatin1String("proton") && !bin.isEmpty())
            return PrefixCandidate{below(prefix, QStringLiteral("pfx")),
                                   {WineRunner::Kind::Proton, bin, prefix, steamFolder(prefix)}};
        if (type == QLatin1String("proton"))
            return PrefixCandidate{below(prefix, QStringLiteral("pfx")), NoRunner};
        return PrefixCandidate{prefix, NoRunner};
    }

    // Where Lutris keeps its games' YAML files, its database, and its own Wine builds.
    struct LutrisForm {
        QStringList games, data;
        QString database;
    };
    std::vector<LutrisForm> lutrisForms() const {
        const QString flatpak = home_ + LutrisFlatpak;
        LutrisForm native;
        for (const QString& config : config_)
            native.games << below(config, QStringLiteral("lutris/games"));
        for (const QString& data : data_)
            native.games << below(data, QStringLiteral("lutris/games"));
        native.data = data_;
        native.database = below(data_.constFirst(), QStringLiteral("lutris/pga.db"));
        return {native,
                {{flatpak + QStringLiteral("/config/lutris/games"),
                  flatpak + QStringLiteral("/data/lutris/games")},
                 {flatpak + QStringLiteral("/data")},
                 flatpak + QStringLiteral("/data/lutris/pga.db")}};
    }

    // games/<slug>-<n>.yml: "game: prefix:" and, for a Wine of its own, "wine: version:".
    void lutris() {
        for (const LutrisForm& form : lutrisForms())
            for (const QString& folder : form.games)
                for (const QString& file : filesIn(folder, QStringLiteral("*.yml")))
                    lutrisGame(file, form.data);
        for (const QString& prefix : subfolders(below(home_, QStringLiteral("Games"))))
            add(prefix, {});
    }

    void lutrisGame(const QString& file, const QStringList& data) {
        const auto bytes = read_(file, SettingsLimit);
        if (!bytes)
            return;
        if (const auto prefix = lutrisPrefix(*bytes, data))
            add(prefix->root, prefix->runner);
    }

    std::optional<PrefixCandidate> lutrisPrefix(const QByteArray& yaml,
                                                const QStringList& data) const {
        const QString prefix = yamlValue(yaml, QStringLiteral("game"), QStringLiteral("prefix"));
        if (prefix.isEmpty())
            return std::nullopt;
        const QString version = yamlValue(yaml, QStringLiteral("wine"), QStringLiteral("version"));
        if (version.isEmpty() || version == QLatin1String("system"))
            return PrefixCandidate{prefix, {}};
        if (version == QLatin1String("custom")) {
            const QString custom =
                yamlValue(yaml, QStringLiteral("wine"), QStringLiteral("custom_wine_path"));
            return PrefixCandidate{
                prefix,
                custom.isEmpty()
                    ? NoRunner
                    : WineRunner{WineRunner::Kind::Wine, expandHome(custom, home_), {}, {}}};
        }
        return PrefixCandidate{prefix,
                               runnerIn(data, QStringLiteral("lutris/runners/wine"), version)};
    }

    // A launcher's own Wine build: <runners>/<name>/bin/wine, in the first data folder that has
    // it.
    static WineRunner runnerIn(const QStringList& data, const QString& runners,
                               const QString& name) {
        if (!isPlainName(name))
            return NoRunner;
        QString wine;
        for (const QString& folder : data) {
            const QString candidate =
                folder + '/' + runners + '/' + name + QStringLiteral("/bin/wine");
            if (wine.isEmpty() || QFileInfo::exists(candidate))
                wine = candidate;
            if (QFileInfo::exists(candidate))
                break;
        }
        return {WineRunner::Kind::Wine, wine, {}, {}};
    }

    // bottles/<name>/ is the prefix; its bottle.yml names the runner ("sys-..." is the system's).
    void bottles() {
        QStringList bases;
        for (const QString& data : data_)
            bases << below(data, QStringLiteral("bottles"));
        bases << home_ + BottlesFlatpak + QStringLiteral("/data/bottles");
        for (const QString& base : bases) {
            for (const QString& bottle : subfolders(below(base, QStringLiteral("bottles")))) {
                const auto bytes =
                    read_(below(bottle, QStringLiteral("bottle.yml")), SettingsLimit);
                const QString runner =
                    bytes ? yamlValue(*bytes, QString(), QStringLiteral("Runner")) : QString();
                if (runner.isEmpty() || runner.startsWith(QLatin1String("sys-")))
                    add(bottle, {});
                else
                    add(bottle, runnerIn({base}, QStringLiteral("runners"), runner));
            }
        }
    }

    // wineprefix/<name>/playonlinux.cfg: VERSION (absent for the system's Wine) and ARCH.
    void playOnLinux() {
        const QString base = below(home_, QStringLiteral(".PlayOnLinux"));
        for (const QString& prefix : subfolders(below(base, QStringLiteral("wineprefix")))) {
            QString version, arch = QStringLiteral("x86");
            if (const auto bytes =
                    read_(below(prefix, QStringLiteral("playonlinux.cfg")), SettingsLimit))
                for (const QByteArray& line : bytes->split('\n')) {
                    const QString text = QString::fromUtf8(line).trimmed();
                    if (text.startsWith(QLatin1String("VERSION=")))
                        version = text.mid(8);
                    else if (text.startsWith(QLatin1String("ARCH=")))
                        arch = text.mid(5);
                }
            if (version.isEmpty())
                add(prefix, {});
            else
                add(prefix, runnerIn({below(base, QStringLiteral("wine"))},
                                     QStringLiteral("linux-") + arch, version));
        }
    }

    // Steam's prefixes, each with the Proton Steam last ran it with.
    void steam() {
        for (const QString& steam : steamRoots())
            for (const QString& game :
                 subfolders(below(steam, QStringLiteral("steamapps/compatdata"))))
                add(below(game, QStringLiteral("pfx")), protonOf(game, steam));
    }

    // compatdata/<app>/config_info: the Proton version, then paths into that Proton's files/
    // (or dist/) folder, whose parent holds its `proton` script. Without one, nothing runs.
    WineRunner protonOf(const QString& compatData, const QString& steam) const {
        const auto info = read_(below(compatData, QStringLiteral("config_info")), SettingsLimit);
        for (const QByteArray& line : info ? info->split('\n') : QList<QByteArray>()) {
            const QString path = QString::fromUtf8(line).trimmed();
            for (const QLatin1String part : {QLatin1String("/files/"), QLatin1String("/dist/")}) {
                const qsizetype at = path.indexOf(part);
                if (path.startsWith(QLatin1Char('/')) && at > 0)
                    return {WineRunner::Kind::Proton, path.left(at) + QStringLiteral("/proton"),
                            compatData, steam};
            }
        }
        return NoRunner;
    }

    // The prefix of a Lutris database record: its YAML file's, in the first games folder that
    // holds it.
    PrefixCandidate lutrisRecordPrefix(const QString& configPath, const LutrisForm& form,
                                       const PrefixCandidate& fallback) const {
        for (const QString& folder : isPlainName(configPath) ? form.games : QStringList())
            if (const auto yaml = read_(below(folder, configPath + ".yml"), SettingsLimit))
                return lutrisPrefix(*yaml, form.data).value_or(fallback);
        return fallback;
    }

public:
    // The stores' own lists of what they installed, each with the prefix it runs in.
    std::vector<InstalledGame> installed(const ReadLutrisDatabase& readDatabase) {
        std::vector<InstalledGame> games;
        const PrefixCandidate fallback{below(home_, QStringLiteral(".wine")), {}};
        for (const QString& steam : steamRoots()) {
            if (!isDir(steam))
                continue;
            for (const QString& library : steamLibraries(steam, read_)) {
                const QString folder = steamGameFolder(library, read_);
                if (folder.isEmpty())
                    continue;
                // Steam keeps the prefix in the game's library, or in its own folder.
                PrefixCandidate prefix = fallback;
                for (const QString& base : {library, steam}) {
                    const QString compatData =
                        base + QStringLiteral("/steamapps/compatdata/") + SteamAppId;
                    if (isDir(compatData)) {
                        prefix = {below(compatData, QStringLiteral("pfx")),
                                  protonOf(compatData, steam)};
                        break;
                    }
                }
                games.push_back({folder, prefix});
            }
        }
        for (const QString& heroic : heroicFolders()) {
            const auto list =
                read_(below(heroic, QStringLiteral("gog_store/installed.json")), SettingsLimit);
            for (const HeroicInstall& install :
                 list ? heroicInstalls(*list) : std::vector<HeroicInstall>()) {
                PrefixCandidate prefix = fallback;
                const auto config = isPlainName(install.appName)
                                        ? read_(heroic + QStringLiteral("/GamesConfig/") +
                                                    install.appName + ".json",
                                                SettingsLimit)
                                        : std::nullopt;
                if (config)
                    prefix = heroicPrefix(QJsonDocument::fromJson(*config)
                                              .object()
                                              .value(install.appName)
                                              .toObject())
                                 .value_or(fallback);
                games.push_back({QDir::cleanPath(expandHome(install.folder, home_)), prefix});
            }
        }
        for (const LutrisForm& form : lutrisForms()) {
            for (const QString& folder : form.games)
                for (const QString& file : filesIn(folder, QStringLiteral("*.yml"))) {
                    const auto yaml = read_(file, SettingsLimit);
                    const QString exe = yaml ? expandHome(yamlValue(*yaml, QStringLiteral("game"),
                                                                    QStringLiteral("exe")),
                                                          home_)
                                             : QString();
                    if (QDir::isAbsolutePath(exe))
                        games.push_back({QFileInfo(exe).path(),
                                         lutrisPrefix(*yaml, form.data).value_or(fallback)});
                }
            // Each YAML file read once, however many records name it.
            QHash<QString, PrefixCandidate> prefixes;
            for (const LutrisRecord& record : readDatabase(form.database)) {
                const QString directory = QDir::cleanPath(expandHome(record.directory, home_));
                if (!QDir::isAbsolutePath(directory))
                    continue;
                auto prefix = prefixes.constFind(record.configPath);
                if (prefix == prefixes.cend())
                    prefix = prefixes.insert(record.configPath,
                                             lutrisRecordPrefix(record.configPath, form, fallback));
                games.push_back({directory, *prefix});
            }
        }
        return games;
    }

private:
    const ReadFile& read_;
    QString home_;
    QStringList config_, data_;
    std::vector<PrefixCandidate> found_;
    QSet<QString> seen_;
};

} // namespace

std::vector<InstalledGame> installedGames(const QString& home,
                                          const QProcessEnvironment& environment,
                                          const ReadFile& read,
                                          const ReadLutrisDatabase& readDatabase) {
    return Collector(QDir::cleanPath(home), environment, read).installed(readDatabase);
}

std::vector<PrefixCandidate> prefixCandidates(const QString& home,
                                              const QProcessEnvironment& environment,
                                              const ReadFile& read) {
    return Collector(QDir::cleanPath(home), environment, read).collect();
}

} // namespace launchers
