// Finding the game's Wine prefix among those the launchers made, over a throw-away home holding
// the files each launcher writes.

#include "platform/linux/launcher_prefixes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using platform::linuxbackend::PrefixCandidate;
using platform::linuxbackend::WineRunner;
using Kind = WineRunner::Kind;
using Files = QList<QPair<QString, QByteArray>>;

class LauncherPrefixesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void findsTheGamesPrefix_data();
    void findsTheGamesPrefix();

private:
    QByteArray saved[4];
};

namespace {

const char* const Environment[] = {"HOME", "WINEPREFIX", "XDG_CONFIG_HOME", "XDG_DATA_HOME"};

// A 64-bit prefix's system.reg with the game's key where its 32-bit installer writes it.
const QByteArray Game = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                        "#arch=win64\n\n[Software\\\\Wow6432Node\\\\Bullfrog Productions Ltd\\\\"
                        "Populous: The Beginning] 1700000000\n\"InstallDrive\"=\"C:\"\n";
const QByteArray Other = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                         "#arch=win32\n\n[Software\\\\Bullfrog Productions Ltd] 1700000000\n";

QByteArray heroic(const QByteArray& prefix, const QByteArray& type, const QByteArray& bin) {
    return R"({"Populous": {"autoInstallDxvk": true, "winePrefix": ")" + prefix +
           R"(", "wineVersion": {"bin": ")" + bin + R"(", "name": "x", "type": ")" + type +
           R"("}}, "version": "v0"})";
}

} // namespace

void LauncherPrefixesTest::init() {
    for (int i = 0; i < 4; ++i)
        saved[i] = qgetenv(Environment[i]);
    for (const char* name : Environment)
        qunsetenv(name);
}

void LauncherPrefixesTest::cleanup() {
    for (int i = 0; i < 4; ++i)
        saved[i].isNull() ? qunsetenv(Environment[i]) : qputenv(Environment[i], saved[i]);
}

void LauncherPrefixesTest::findsTheGamesPrefix_data() {
    // Files below home ("$HOME" in paths and contents is the home folder): "GAME" and "OTHER" are
    // hives with and without the game's key, "FIFO" a named pipe; environment as NAME=VALUE.
    QTest::addColumn<Files>("files");
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<QString>("root");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("compatData");
    QTest::addColumn<QString>("steam");
    const QString wine = ".wine", heroicDefault = "Games/Heroic/Prefixes/default/Populous";
    const QByteArray lutris =
        "game:\n  exe: x.exe\n  launch_configs:\n  - name: b\n    prefix: /no\n"
        "  prefix: '$HOME/Games/pop'  # its own\n"
        "wine:\n  version: lutris-7.2 # chosen\nsystem: {}\n";

    QTest::newRow("nothing found: ~/.wine")
        << Files{{"Games/x/system.reg", Other}} << QStringList() << wine << int(Kind::Wine) << ""
        << ""
        << "";
    QTest::newRow("~/.wine first")
        << Files{{".wine/system.reg", Game},
                 {".config/heroic/GamesConfig/P.json", heroic("$HOME/H", "wine", "/w/wine")},
                 {"H/system.reg", Game}}
        << QStringList() << wine << int(Kind::Wine) << ""
        << ""
        << "";
    QTest::newRow("$WINEPREFIX alone")
        << Files{{".wine/system.reg", Game}} << QStringList{"WINEPREFIX=$HOME/mine//"} << "mine"
        << int(Kind::Wine) << ""
        << ""
        << "";
    QTest::newRow("Heroic's Wine, before Lutris")
        << Files{{".config/heroic/GamesConfig/P.json", heroic("$HOME/H", "wine", "/w/wine")},
                 {"H/system.reg", Game},
                 {".config/lutris/games/pop-1.yml", lutris},
                 {"Games/pop/system.reg", Game}}
        << QStringList() << "H" << int(Kind::Wine) << "/w/wine"
        << ""
        << "";
    QTest::newRow("Heroic's default folder without a record")
        << Files{{heroicDefault + "/system.reg", Game}, {"Games/pop/system.reg", Game}}
        << QStringList() << heroicDefault << int(Kind::Wine) << ""
        << ""
        << "";
    QTest::newRow("Heroic Flatpak, Proton, no Steam")
        << Files{{".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig/P.json",
                  heroic("$HOME/" + heroicDefault.toUtf8(), "proton", "/p/proton")},
                 {heroicDefault + "/pfx/system.reg", Game}}
        << QStringList() << heroicDefault + "/pfx" << int(Kind::Proton) << "/p/proton"
        << "$HOME/" + heroicDefault << "$HOME/" + heroicDefault;
    QTest::newRow("Heroic, Proton, Steam installed")
        << Files{{"cfg/heroic/GamesConfig/P.json", heroic("$HOME/H", "proton", "/p/proton")},
                 {"H/pfx/system.reg", Game},
                 {".local/share/Steam/steamapps/x", ""}}
        << QStringList{"XDG_CONFIG_HOME=$HOME/cfg"} << "H/pfx" << int(Kind::Proton) << "/p/proton"
        << "$HOME/H"
        << "$HOME/.local/share/Steam";
    QTest::newRow("Lutris's Wine, before Bottles")
        << Files{{".config/lutris/games/pop-1.yml", lutris},
                 {"Games/pop/system.reg", Game},
                 {".local/share/lutris/runners/wine/lutris-7.2/bin/wine", ""},
                 {".local/share/bottles/bottles/Pop/system.reg", Game}}
        << QStringList() << "Games/pop" << int(Kind::Wine)
        << "$HOME/.local/share/lutris/runners/wine/lutris-7.2/bin/wine"
        << ""
        << "";
    QTest::newRow("Bottles Flatpak, its runner")
        << Files{{".var/app/com.usebottles.bottles/data/bottles/bottles/Pop/bottle.yml",
                  "Name: Pop\nRunner: caffe-7.20\nArch: win64\n"},
                 {".var/app/com.usebottles.bottles/data/bottles/bottles/Pop/system.reg", Game},
                 {".steam/steam/steamapps/compatdata/1/pfx/system.reg", Game}}
        << QStringList() << ".var/app/com.usebottles.bottles/data/bottles/bottles/Pop"
        << int(Kind::Wine)
        << "$HOME/.var/app/com.usebottles.bottles/data/bottles/runners/caffe-7.20/bin/wine"
        << ""
        << "";
    QTest::newRow("Bottles, the system's Wine")
        << Files{{".local/share/bottles/bottles/P/bottle.yml", "Runner: sys-wine-9.0\n"},
                 {".local/share/bottles/bottles/P/system.reg", Game}}
        << QStringList() << ".local/share/bottles/bottles/P" << int(Kind::Wine) << ""
        << ""
        << "";
    QTest::newRow("damaged and missing skipped")
        << Files{{".wine/system.reg", "FIFO"},
                 {".local/share/wineprefixes/a/system.reg", "\x01garbage[Software"},
                 {".config/heroic/GamesConfig/bad.json", "{\"P\": {\"winePrefix\": 3"},
                 {".config/heroic/GamesConfig/fifo.json", "FIFO"},
                 {".config/heroic/GamesConfig/gone.json", heroic("$HOME/gone", "wine", "/w")},
                 {".config/lutris/games/x-1.yml", "game:\n  exe: prefix: x\n"},
                 {".local/share/bottles/bottles/B/system.reg", Other},
                 {".PlayOnLinux/wineprefix/Pop/playonlinux.cfg", "ARCH=amd64\nVERSION=4.3\n"},
                 {".PlayOnLinux/wineprefix/Pop/system.reg", Game}}
        << QStringList() << ".PlayOnLinux/wineprefix/Pop" << int(Kind::Wine)
        << "$HOME/.PlayOnLinux/wine/linux-amd64/4.3/bin/wine"
        << ""
        << "";
    QTest::newRow("Steam's own prefix: cannot run")
        << Files{{".steam/steam/steamapps/compatdata/1/pfx/system.reg", Game}} << QStringList()
        << ".steam/steam/steamapps/compatdata/1/pfx" << int(Kind::None) << ""
        << ""
        << "";
}

void LauncherPrefixesTest::findsTheGamesPrefix() {
    QFETCH(Files, files);
    QFETCH(QStringList, environment);
    QTemporaryDir home;
    const auto expand = [&](QString text) { return text.replace("$HOME", home.path()); };
    for (auto [path, content] : files) {
        path = home.filePath(path);
        QDir().mkpath(QFileInfo(path).path());
        if (content == "FIFO") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            continue;
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(expand(QString::fromUtf8(content)).toUtf8());
    }
    qputenv("HOME", QFile::encodeName(home.path()));
    for (const QString& assignment : environment)
        qputenv(qPrintable(assignment.section('=', 0, 0)),
                QFile::encodeName(expand(assignment.section('=', 1))));

    QFETCH(QString, root);
    QFETCH(int, kind);
    QFETCH(QString, program);
    QFETCH(QString, compatData);
    QFETCH(QString, steam);
    const PrefixCandidate found = platform::linuxbackend::findGamePrefix();
    QCOMPARE(found.root, home.filePath(root));
    QCOMPARE(int(found.runner.kind), kind);
    QCOMPARE(found.runner.program, expand(program));
    QCOMPARE(found.runner.compatData, expand(compatData));
    QCOMPARE(found.runner.steamFolder, expand(steam));
}

QTEST_GUILESS_MAIN(LauncherPrefixesTest)
#include "test_launcher_prefixes.moc"
