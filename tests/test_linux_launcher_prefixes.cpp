// Finding the game's Wine prefix among those launchers made, over a home of their files.

#include "platform/linux/game_prefix.h"
#include "platform/linux/regular_file.h"

#include <QtTest>

#include <sys/stat.h>

using namespace platform::linuxbackend;

class LauncherPrefixesTest : public QObject {
    Q_OBJECT
private slots:
    void findsTheGamesPrefix();
};

namespace {

QByteArray heroic(const QByteArray& prefix, const QByteArray& type, const QByteArray& bin) {
    return "{\"Pop\": {\"winePrefix\": \"" + prefix + "\", \"wineVersion\": {\"bin\": \"" + bin +
           "\", \"type\": \"" + type + "\"}}}";
}

} // namespace

void LauncherPrefixesTest::findsTheGamesPrefix() {
    QTemporaryDir home;
    const QByteArray hive = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n"
                            "#arch=win64\n[Software\\\\Wow6432Node\\\\Bullfrog Productions Ltd";
    const QByteArray lutris =
        "game:\n  exe: x.exe\n  launch_configs:\n  - name: b\n    prefix: /no\n"
        "  prefix: '~/Games/pop'  # its own\nwine:\n  version: lutris-7.2 # chosen\nsystem: {}\n";
    // Files below home; "FIFO" is a named pipe.
    const QList<QPair<QString, QByteArray>> files = {
        {".wine/system.reg", "FIFO"},
        {".local/share/wineprefixes/b/system.reg",
         hive + "] 1\n\"x\"=\"Populous: The Beginning\"\n"},
        {".local/share/wineprefixes/c/system.reg", hive + "\\\\Populous: The Beginning] 1\n"},
        {"cfg/heroic/GamesConfig/P.json", heroic("~/H", "wine", "/w/wine")},
        {"cfg/heroic/GamesConfig/bad.json", "{\"P\": {\"winePrefix\": 3"},
        {"cfg/heroic/GamesConfig/fifo.json", "FIFO"},
        {".config/heroic/GamesConfig/Q.json", heroic("~/HP", "proton", "/p/proton")},
        {".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig/F.json",
         heroic("~/HN/", "proton", "")},
        {"Games/Heroic/Prefixes/default/X/drive_c/x", ""},
        {"Games/Heroic/Prefixes/default/Y/pfx/system.reg", ""},
        {".config/lutris/games/pop-1.yml", lutris},
        {"Games/pop/system.reg", ""},
        {".local/share/lutris/runners/wine/lutris-7.2/bin/wine", ""},
        {".local/share/bottles/bottles/P/bottle.yml", "Runner: sys-wine-9.0\n"},
        {".var/app/com.usebottles.bottles/data/bottles/bottles/Pop/bottle.yml",
         "Name: Pop\nRunner: caffe-7.20\nArch: win64\n"},
        {".PlayOnLinux/wineprefix/Pop/playonlinux.cfg", "ARCH=amd64\nVERSION=4.3\n"},
        {".steam/steam/steamapps/compatdata/1/pfx/system.reg", ""}};
    for (const auto& [name, content] : files) {
        QFile file(home.filePath(name));
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QVERIFY(content == "FIFO" ? ::mkfifo(QFile::encodeName(file.fileName()), 0600) == 0
                                  : file.open(QIODevice::WriteOnly) && file.write(content) >= 0);
    }
    qputenv("HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("cfg")));
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("WINEPREFIX");

    // In order, each with the Wine its launcher records (0), Proton (1) or none (2), once.
    const auto environment = QProcessEnvironment::systemEnvironment();
    QStringList found;
    for (const PrefixCandidate& c :
         launchers::prefixCandidates(home.path(), environment, readRegularFile))
        found << QStringList{c.root, QString::number(int(c.runner.kind)), c.runner.program,
                             c.runner.compatData, c.runner.steamFolder}
                     .join('|');
    const QString bottles = "~/.var/app/com.usebottles.bottles/data/bottles/";
    QCOMPARE(
        found.replaceInStrings(home.path(), "~"),
        QStringList(
            {"~/.wine|0|||", "~/.local/share/wineprefixes/b|0|||",
             "~/.local/share/wineprefixes/c|0|||", "~/H|0|/w/wine||",
             "~/HP/pfx|1|/p/proton|~/HP|~/.steam/steam", "~/HN/pfx|2|||",
             "~/Games/Heroic/Prefixes/default/X|0|||", "~/Games/Heroic/Prefixes/default/Y/pfx|2|||",
             "~/Games/pop|0|~/.local/share/lutris/runners/wine/lutris-7.2/bin/wine||",
             "~/Games/Heroic|0|||", "~/.local/share/bottles/bottles/P|0|||",
             bottles + "bottles/Pop|0|" + bottles + "runners/caffe-7.20/bin/wine||",
             "~/.PlayOnLinux/wineprefix/Pop|0|~/.PlayOnLinux/wine/linux-amd64/4.3/bin/wine||",
             "~/.steam/steam/steamapps/compatdata/1/pfx|2|||"}));

    // The first with the game's key in either view; $WINEPREFIX alone when set; else ~/.wine.
    QCOMPARE(findGamePrefix().root, home.filePath(".local/share/wineprefixes/c"));
    qputenv("WINEPREFIX", QFile::encodeName(home.filePath("mine//")));
    QCOMPARE(findGamePrefix(), (PrefixCandidate{home.filePath("mine"), {}}));
    qunsetenv("WINEPREFIX");
    QFile::remove(home.filePath(".local/share/wineprefixes/c/system.reg"));
    QCOMPARE(findGamePrefix(), (PrefixCandidate{home.filePath(".wine"), {}}));
    // Without Steam, Proton runs with the prefix's folder in its place: e2e/launchers.sh.
}

QTEST_GUILESS_MAIN(LauncherPrefixesTest)
#include "test_linux_launcher_prefixes.moc"
