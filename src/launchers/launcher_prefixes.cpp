#include "launchers/launcher_prefixes.h"

#include "launchers/launcher_yaml.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

    // GamesConfig/<appName>.json: {"<appName>": {"winePrefix": ..., "wineVersion": {...}}}.
    void heroic() {
        QStringList folders;
        for (const QString& config : config_)
            folders << below(config, QStringLiteral("heroic/GamesConfig"));
        folders << home_ + HeroicFlatpak + QStringLiteral("/config/heroic/GamesConfig");
        for (const QString& folder : folders)
            for (const QString& file : filesIn(folder, QStringLiteral("*.json")))
                heroicGame(file);
        for (const QString& prefix :
             subfolders(below(home_, QStringLiteral("Games/Heroic/Prefixes/default")))) {
            // Proton keeps its Wine prefix in pfx/; without a record of which Proton, none runs.
            if (isDir(below(prefix, QStringLiteral("pfx"))))
                add(below(prefix, QStringLiteral("pfx")), {WineRunner::Kind::None, {}, {}, {}});
            else
                add(prefix, {});
        }
    }

    void heroicGame(const QString& file) {
        const auto bytes = read_(file, SettingsLimit);
        if (!bytes)
            return;
        const QJsonObject games = QJsonDocument::fromJson(*bytes).object();
        for (auto game = games.begin(); game != games.end(); ++game) {
            const QJsonObject settings = game->toObject();
            const QString prefix =
                QDir::cleanPath(expandHome(settings.value("winePrefix").toString(), home_));
            if (!QDir::isAbsolutePath(prefix))
                continue;
            if (!settings.contains(QLatin1String("wineVersion"))) {
                add(prefix, {});
                continue;
            }
            const QJsonObject version = settings.value("wineVersion").toObject();
            const QString type = version.value("type").toString();
            const QString bin = expandHome(version.value("bin").toString(), home_);
            if (type == QLatin1String("wine"))
                add(prefix, {WineRunner::Kind::Wine, bin, {}, {}});
            else if (type == QLatin1String("proton") && !bin.isEmpty())
                add(below(prefix, QStringLiteral("pfx")),
                    {WineRunner::Kind::Proton, bin, prefix, steamFolder(prefix)});
            else if (type == QLatin1String("proton"))
                add(below(prefix, QStringLiteral("pfx")), {WineRunner::Kind::None, {}, {}, {}});
            else
                add(prefix, {WineRunner::Kind::None, {}, {}, {}});
        }
    }

    // games/<slug>-<n>.yml: "game: prefix:" and, for a Wine of its own, "wine: version:".
    void lutris() {
        const QString flatpak = home_ + LutrisFlatpak;
        struct Form {
            QStringList games, data;
        };
        Form native;
        for (const QString& config : config_)
            native.games << below(config, QStringLiteral("lutris/games"));
        for (const QString& data : data_)
            native.games << below(data, QStringLiteral("lutris/games"));
        native.data = data_;
        const Form sandboxed{{flatpak + QStringLiteral("/config/lutris/games"),
                              flatpak + QStringLiteral("/data/lutris/games")},
                             {flatpak + QStringLiteral("/data")}};
        for (const Form& form : {native, sandboxed})
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
        const QString prefix = yamlValue(*bytes, QStringLiteral("game"), QStringLiteral("prefix"));
        if (prefix.isEmpty())
            return;
        const QString version =
            yamlValue(*bytes, QStringLiteral("wine"), QStringLiteral("version"));
        if (version.isEmpty() || version == QLatin1String("system")) {
            add(prefix, {});
        } else if (version == QLatin1String("custom")) {
            const QString custom =
                yamlValue(*bytes, QStringLiteral("wine"), QStringLiteral("custom_wine_path"));
            add(prefix, {custom.isEmpty() ? WineRunner::Kind::None : WineRunner::Kind::Wine,
                         expandHome(custom, home_),
                         {},
                         {}});
        } else {
            add(prefix, runnerIn(data, QStringLiteral("lutris/runners/wine"), version));
        }
    }

    // A launcher's own Wine build: <runners>/<name>/bin/wine, in the first data folder that has
    // it. A name that is not a plain folder name says nothing we can follow.
    static WineRunner runnerIn(const QStringList& data, const QString& runners,
                               const QString& name) {
        if (name.contains(QLatin1Char('/')) || name == QLatin1String(".") ||
            name == QLatin1String(".."))
            return {WineRunner::Kind::None, {}, {}, {}};
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

    // Proton's prefixes are Steam's to start: found, so that no other Wine touches them.
    void steam() {
        for (const QString& steam : steamRoots())
            for (const QString& game :
                 subfolders(below(steam, QStringLiteral("steamapps/compatdata"))))
                add(below(game, QStringLiteral("pfx")), {WineRunner::Kind::None, {}, {}, {}});
    }

    const ReadFile& read_;
    QString home_;
    QStringList config_, data_;
    std::vector<PrefixCandidate> found_;
    QSet<QString> seen_;
};

} // namespace

std::vector<PrefixCandidate> prefixCandidates(const QString& home,
                                              const QProcessEnvironment& environment,
                                              const ReadFile& read) {
    return Collector(QDir::cleanPath(home), environment, read).collect();
}

} // namespace launchers
