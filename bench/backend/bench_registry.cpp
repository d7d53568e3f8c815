// Start-up cost of the registry: the game key read from a prefix with the real 1.7 MB system.reg
// of a fresh Wine 8.0 prefix, against a prefix whose system.reg holds only that key; then what
// later reads, a changed file and a write cost; and finding the game's prefix among ten that
// launchers made, each with the real system.reg, and then in a Steam library with no key in any
// prefix. Prints its figures; run by hand:
//   bench_registry [rounds]

#include "core/game/game_locator.h"
#include "core/wine/registry_hive.h"
#include "median.h"
#include "platform/linux/linux_host_files.h"
#include "platform/linux/linux_registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <vector>

using namespace platform;
using namespace platform::linuxbackend;
using namespace wine;

namespace {

const QString gameKey =
    QStringLiteral("SOFTWARE\\Bullfrog Productions Ltd\\Populous: The Beginning");

void write(const QString& path, const QByteArray& data) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// What the start-up asks: the game's drive and folder.
bool startupRead(LinuxRegistry& registry) {
    const auto values = registry.values(RootKey::LocalMachine, gameKey);
    return values && values->size() == 2;
}

QByteArray withoutGameKey(const QByteArray& real) {
    const qsizetype key = real.indexOf("[Software\\\\Wow6432Node\\\\Bullfrog");
    return real.left(key) + real.mid(real.indexOf("\n\n", key) + 2);
}

// A home with ten prefixes that launchers made (a hand-made one, three each of Heroic, Lutris and
// Bottles), all with the real system.reg; only the last one tried, a bottle, keeps the game's key.
void makeLauncherHome(const QString& home, const QByteArray& real) {
    const QByteArray without = withoutGameKey(real);
    QStringList prefixes{home + "/.local/share/wineprefixes/tricks"};
    for (int i = 0; i < 3; ++i) {
        const QString prefix =
            home + QStringLiteral("/Games/Heroic/Prefixes/default/Game %1").arg(i);
        QDir().mkpath(home + "/.config/heroic/GamesConfig");
        write(home + QStringLiteral("/.config/heroic/GamesConfig/game%1.json").arg(i),
              R"({"game": {"winePrefix": ")" + prefix.toUtf8() +
                  R"(", "wineVersion": {"bin": "/usr/bin/wine", "type": "wine"}}})");
        prefixes << prefix;
    }
    for (int i = 0; i < 3; ++i) {
        const QString prefix = home + QStringLiteral("/Games/lutris-game-%1").arg(i);
        QDir().mkpath(home + "/.config/lutris/games");
        write(home + QStringLiteral("/.config/lutris/games/game-%1.yml").arg(i),
              "game:\n  prefix: " + prefix.toUtf8() + "\nwine:\n  version: lutris-7.2\n");
        prefixes << prefix;
    }
    for (int i = 0; i < 3; ++i)
        prefixes << home + QStringLiteral("/.local/share/bottles/bottles/bottle%1").arg(i);
    for (const QString& prefix : prefixes) {
        QDir().mkpath(prefix);
        write(prefix + "/system.reg", prefix == prefixes.last() ? real : without);
    }
}

// The game moved to a Steam library that only libraryfolders.vdf names, with Proton's prefix
// beside it (the real hive, no key): no prefix holds the key any more.
void moveGameToSteam(const QString& home, const QByteArray& real) {
    const QByteArray without = withoutGameKey(real);
    write(home + "/.local/share/bottles/bottles/bottle2/system.reg", without);
    const QString steam = home + "/.steam/steam", library = home + "/SteamLibrary";
    const QString compat = library + "/steamapps/compatdata/2616430";
    for (const QString& folder :
         {steam + "/steamapps", library + "/steamapps/common/Populous 3", compat + "/pfx"})
        QDir().mkpath(folder);
    write(steam + "/steamapps/libraryfolders.vdf", R"("libraryfolders" { "0" { "path" ")" +
                                                       steam.toUtf8() + R"(" } "1" { "path" ")" +
                                                       library.toUtf8() + R"(" } })");
    write(library + "/steamapps/appmanifest_2616430.acf",
          R"("AppState" { "appid" "2616430" "installdir" "Populous 3" })");
    write(library + "/steamapps/common/Populous 3/D3DPopTB.exe", "MZ");
    write(compat + "/config_info", "11.0-1\n" + home.toUtf8() + "/Proton/files/share/fonts/\n");
    write(compat + "/pfx/system.reg", without);
}

long heapKiB() {
    return long(mallinfo2().uordblks / 1024);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 9;

    QProcess xz;
    xz.start(QStringLiteral("xz"),
             {QStringLiteral("-dc"), QStringLiteral(VELKOR_TEST_DATA "/wine-8.0/system.reg.xz")});
    if (!xz.waitForFinished(60000) || xz.exitCode() != 0) {
        std::fprintf(stderr, "xz could not unpack the Wine 8.0 system.reg\n");
        return 1;
    }
    const QByteArray real = xz.readAllStandardOutput();
    const QByteArray small =
        "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n"
        "#arch=win64\n\n"
        "[Software\\\\Wow6432Node\\\\Bullfrog Productions Ltd\\\\Populous: The "
        "Beginning] 1796566801\n#time=1dd858ce1b47a6c\n\"InstallDrive\"=\"C:\"\n"
        "\"InstallPath\"=\"C:\\\\Games\\\\Populous\"\n";

    QTemporaryDir realPrefix, smallPrefix;
    write(realPrefix.filePath(QStringLiteral("system.reg")), real);
    write(smallPrefix.filePath(QStringLiteral("system.reg")), small);

    bool ok = true;
    const double withReal = median(rounds, [&] {
        LinuxRegistry registry(WinePrefix{realPrefix.path()});
        ok = startupRead(registry) && ok;
    });
    const double withSmall = median(rounds, [&] {
        LinuxRegistry registry(WinePrefix{smallPrefix.path()});
        ok = startupRead(registry) && ok;
    });
    const double parseOnly = median(rounds, [&] { parseHive(real); });

    LinuxRegistry registry(WinePrefix{realPrefix.path()});
    const long before = heapKiB();
    startupRead(registry);
    const long after = heapKiB();
    const int reads = 10000;
    const double cached = median(rounds, [&] {
        for (int i = 0; i < reads; ++i)
            startupRead(registry);
    });
    const int parsesBefore = registry.parseCount();
    const double write = median(rounds, [&] {
        ok = registry.setValue(
                 RootKey::LocalMachine, QStringLiteral("Software\\Microsoft\\Windows\\HTML Help"),
                 {QStringLiteral("velkorhelp.chm"), regtype::Sz,
                  QByteArray("C:\\Program Files\\Velkor\\\0", 26)}) == winerror::Success &&
             ok;
    });
    std::vector<double> rereads;
    for (int i = 0; i < rounds; ++i) {
        registry.setValue(RootKey::LocalMachine, gameKey,
                          {QStringLiteral("Touched"), regtype::Dword, QByteArray(4, char(i))});
        QElapsedTimer timer;
        timer.start();
        ok = registry.values(RootKey::LocalMachine, gameKey).has_value() && ok;
        rereads.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(rereads.begin(), rereads.end());
    const double reread = rereads[rereads.size() / 2];

    QTemporaryDir home;
    makeLauncherHome(home.path(), real);
    qputenv("HOME", QFile::encodeName(home.path()));
    qunsetenv("WINEPREFIX");
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
    LinuxHostFiles host;
    const auto locate = [&] {
        return game::locateInPrefixes(host, home.path(), QProcessEnvironment::systemEnvironment());
    };
    const double discovery =
        median(rounds, [&] { ok = locate().prefix.root.endsWith(QLatin1String("bottle2")) && ok; });

    moveGameToSteam(home.path(), real);
    const double inSteam =
        median(rounds, [&] { ok = locate().folder.endsWith(QLatin1String("Populous 3")) && ok; });

    std::printf("registry start-up read (game key: InstallDrive, InstallPath), median of %d runs\n",
                rounds);
    std::printf("  real Wine 8.0 system.reg (%.2f MB, %d keys): %8.2f ms\n", real.size() / 1e6,
                parseHive(real).keyCount(), withReal);
    std::printf("  system.reg with only the game key:          %8.2f ms\n", withSmall);
    std::printf("  parsing the whole real system.reg:          %8.2f ms\n", parseOnly);
    std::printf("  memory held after the start-up read:        %8ld KiB\n", after - before);
    std::printf(
        "  later reads, file unchanged:                %8.4f ms each (%d parse(s) so far)\n",
        cached / reads, parsesBefore);
    std::printf("  one write (rewrite of the real hive):       %8.2f ms\n", write);
    std::printf("  first read after a write changed the file:  %8.2f ms\n", reread);
    std::printf("  files parsed in all: %d\n", registry.parseCount());
    std::printf("finding the game among ten launchers' prefixes (real system.reg each, the game\n"
                "  in the last one tried):                     %8.2f ms\n",
                discovery);
    std::printf("the game in a Steam library instead, no key in any of the eleven prefixes:\n"
                "                                              %8.2f ms\n",
                inSteam);
    if (!ok) {
        std::fprintf(stderr, "a read or write failed\n");
        return 1;
    }
    return 0;
}
