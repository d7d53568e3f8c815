// Finding the game's Wine prefix among those launchers made, over a home of their files.

#include "core/game/game_locator.h"
#include "core/launchers/launcher_prefixes.h"
#include "fakes/host_files.h"

#include <QtTest>

#include <sqlite3.h>
#include <sys/stat.h>

using launchers::PrefixCandidate;

class LauncherPrefixesTest : public QObject {
    Q_OBJECT
private slots:
    void findsTheGamesPrefix();
    void findsTheStoresCopies();
};

namespace {

QByteArray heroic(const QByteArray& prefix, const QByteArray& type, const QByteArray& bin) {
    return "{\"Pop\": {\"winePrefix\": \"" + prefix + "\", \"wineVersion\": {\"bin\": \"" + bin +
           "\", \"type\": \"" + type + "\"}}}";
}

// Files below home ("FIFO" a named pipe), home the user's, no Wine prefix chosen.
bool makeFiles(const QTemporaryDir& home, const QList<QPair<QString, QByteArray>>& files) {
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("WINEPREFIX");
    for (const auto& [name, content] : files) {
        QFile file(home.filePath(name));
        if (!QDir().mkpath(QFileInfo(file).path()) ||
            !(content == "FIFO" ? ::mkfifo(QFile::encodeName(file.fileName()), 0600) == 0
                                : file.open(QIODevice::WriteOnly) && file.write(content) >= 0))
            return false;
    }
    return true;
}

bool runSql(sqlite3* database, const char* sql) {
    return sqlite3_exec(database, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

// A database at `path` made by `sql`, left open.
sqlite3* makeDatabase(const QByteArray& path, const char* sql) {
    sqlite3* database = nullptr;
    return sqlite3_open(path, &database) == SQLITE_OK && runSql(database, sql) ? database : nullptr;
}

game::Location locate() {
    fakes::HostFiles host;
    return game::locateInPrefixes(host, QDir::homePath(), QProcessEnvironment::systemEnvironment());
}

} // namespace

void LauncherPrefixesTest::findsTheGamesPrefix() {
    QTemporaryDir home;
    const QByteArray hive = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n"
                            "#arch=win64\n[Software\\\\Wow6432Node\\\\Bullfrog Productions Ltd";
    const QByteArray lutris =
        "game:\n  exe: x.exe\n  launch_configs:\n  - name: b\n    prefix: /no\n"
        "  prefix: '~/Games/pop'  # its own\nwine:\n  version: lutris-7.2 # chosen\nsystem: {}\n";
    const QList<QPair<QString, QByteArray>> files = {
        {".wine/system.reg", "FIFO"},
        {".local/share/wineprefixes/b/system.reg",
         hive + "] 1\n\"x\"=\"Populous: The Beginning\"\n"},
        {".local/share/wineprefixes/c/system.reg", hive + "\\\\Populous: The Beginning] 1\n"},
        {"cfg/heroic/GamesConfig/P.json", heroic("~/H", "wine", "/w/wine")},
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
    QVERIFY(makeFiles(home, files));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("cfg")));

    // In order, each with the Wine its launcher records (0), Proton (1) or none (2), once.
    fakes::HostFiles host;
    QStringList found;
    for (const PrefixCandidate& c :
         launchers::prefixCandidates(home.path(), QProcessEnvironment::systemEnvironment(), host))
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

    // The first with the game's key in either view, else ~/.wine ($WINEPREFIX: e2e/launch.sh).
    QCOMPARE(locate().prefix.root, home.filePath(".local/share/wineprefixes/c"));
    QFile::remove(home.filePath(".local/share/wineprefixes/c/system.reg"));
    QCOMPARE(locate().prefix, (PrefixCandidate{home.filePath(".wine"), {}}));
}

// No key: Heroic's and Lutris's lists, then GOG's registry record (Steam first: e2e/launchers.sh).
void LauncherPrefixesTest::findsTheStoresCopies() {
    QTemporaryDir home;
    const QString heroicGame = "Games/Heroic/Pop/popTB.EXE",
                  lutrisGame = "Games/lutris/drive_c/GOG Games/Populous 3/HW_SW_Select.exe",
                  databaseGame = "Games/db/popTB.exe",
                  gogGame = ".local/share/wineprefixes/gp/drive_c/GOG Games/Populous 3/popTB.exe";
    QVERIFY(makeFiles(
        home,
        {{".config/heroic/gog_store/installed.json",
          R"({"installed": [{"appName": "12", "install_path": "~/Games/Heroic/Pop", "platform": "windows"}]})"},
         {".config/heroic/GamesConfig/12.json",
          R"({"12": {"winePrefix": "~/hp", "wineVersion": {"bin": "/w/wine", "type": "wine"}}})"},
         {heroicGame, "MZ"},
         {".local/share/lutris/games/pop-1.yml",
          "game:\n  exe: ~/" + lutrisGame.toUtf8() + "\n  prefix: ~/Games/lutris\n"},
         {lutrisGame, "MZ"},
         {".local/share/lutris/games/db-2.yml", "game:\n  prefix: ~/dbp\n"},
         {databaseGame, "MZ"},
         {".local/share/wineprefixes/gp/system.reg",
          "WINE REGISTRY Version 2\n#arch=win32\n[Software\\\\GOG.com\\\\Games\\\\12] 1\n"
          "\"path\"=\"C:\\\\GOG Games\\\\Populous 3\"\n"},
         {gogGame, "MZ"}}));
    const QString gp = home.filePath(".local/share/wineprefixes/gp");
    QVERIFY(QDir().mkpath(gp + "/dosdevices"));
    QVERIFY(QFile::link("../drive_c", gp + "/dosdevices/c:"));

    const QByteArray db = QFile::encodeName(home.filePath(".local/share/lutris/pga.db"));
    sqlite3* database =
        makeDatabase(db, "CREATE TABLE games (directory TEXT, configpath TEXT, runner TEXT);"
                         "INSERT INTO games VALUES ('/nowhere', 'none', 'wine'),"
                         " ('~/Games/db', 'db-2', 'wine'), ('~/Games/db', 'db-2', 'linux');");

    // Each found one taken away shows the next.
    QStringList next;
    for (const QString& game : {QString(), heroicGame, lutrisGame, databaseGame}) {
        QFile::remove(home.filePath(game));
        const game::Location found = locate();
        next << QStringList{found.folder, found.prefix.root, found.prefix.runner.program}
                    .join('|')
                    .replace(home.path(), "~");
    }
    QCOMPARE(next, QStringList({"~/Games/Heroic/Pop|~/hp|/w/wine",
                                "~/Games/lutris/drive_c/GOG Games/Populous 3|~/Games/lutris|",
                                "~/Games/db|~/dbp|", // not the record of /nowhere before it
                                "~/.local/share/wineprefixes/gp/drive_c/GOG Games/Populous 3|"
                                "~/.local/share/wineprefixes/gp|"}));

    // A locked database is read without waiting (a planted FIFO: e2e/launchers.sh).
    QVERIFY(runSql(database, "BEGIN EXCLUSIVE; DELETE FROM games;"));
    fakes::HostFiles host;
    QCOMPARE(launchers::readLutrisDatabase(host, db).size(), 2u); // the Wine games, committed
    sqlite3_close(database);
    // A view in the table's place, over a query without end, is not run.
    sqlite3_close(makeDatabase(db + "v",
                               "CREATE VIEW games AS WITH RECURSIVE n(x) AS (SELECT 1 "
                               "UNION ALL SELECT x + 1 FROM n) SELECT 'd' directory, "
                               "'c' configpath, iif(x < 0, 'wine', 'linux') runner FROM n;"));
    QVERIFY(launchers::readLutrisDatabase(host, db + "v").empty());
}

QTEST_GUILESS_MAIN(LauncherPrefixesTest)
#include "test_game_locator.moc"
