// Start-up cost of a long InstallPath: the game key read from the prefix, then the current drive
// and folder changed to it, as the main window's load does; and a long Unix path mapped back.
// Linear work shows as a steady time per component. Prints its figures; run by hand:
//   bench_paths [rounds]

#include "median.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace platform;
using namespace platform::linuxbackend;

namespace {

const QString gameKey =
    QStringLiteral("SOFTWARE\\Bullfrog Productions Ltd\\Populous: The Beginning");

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir prefix;
    QDir(prefix.path()).mkpath(QStringLiteral("drive_c/Games/Populous"));
    QDir(prefix.path()).mkpath(QStringLiteral("dosdevices"));
    QFile::link(QStringLiteral("../drive_c"), prefix.filePath(QStringLiteral("dosdevices/c:")));
    QFile::link(QStringLiteral("/"), prefix.filePath(QStringLiteral("dosdevices/z:")));
    const QString start = QDir::currentPath();

    std::printf("start-up with an InstallPath of n components below C:\\Games\\Populous "
                "(none there),\nthen a Unix path of n components mapped back; median of %d "
                "runs\n%10s %14s %12s %14s %12s\n",
                rounds, "n", "start-up ms", "us/comp", "to Windows ms", "us/comp");
    for (const int n : {5000, 10000, 20000, 50000, 100000}) {
        QString path = QStringLiteral("C:\\\\Games\\\\Populous");
        for (int i = 0; i < n; ++i)
            path += QStringLiteral("\\\\Map");
        QFile hive(prefix.filePath(QStringLiteral("system.reg")));
        if (!hive.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 1;
        hive.write("WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n"
                   "#arch=win32\n\n[Software\\\\Bullfrog Productions Ltd\\\\Populous: The "
                   "Beginning] 1796566801\n\"InstallDrive\"=\"C:\"\n\"InstallPath\"=\"" +
                   path.toUtf8() + "\"\n");
        hive.close();

        bool ok = true;
        const double startup = median(rounds, [&] {
            QDir::setCurrent(start);
            const WinePrefix wine{prefix.path()};
            LinuxRegistry registry(wine);
            LinuxFiles files(wine);
            const auto values = registry.values(RootKey::LocalMachine, gameKey);
            ok = values && values->size() == 2 && ok;
            if (!ok)
                return;
            files.changeDrive(QStringLiteral("C"));
            // The folder is not there: the change fails, after mapping the whole path.
            const QByteArray text = values->at(1).data;
            ok =
                !files.changeDirectory(QString::fromLocal8Bit(text.left(text.indexOf('\0')))) && ok;
        });
        QString native = prefix.filePath(QStringLiteral("drive_c/Games/Populous"));
        for (int i = 0; i < n; ++i)
            native += QStringLiteral("/Map");
        LinuxFiles files(WinePrefix{prefix.path()});
        const double back = median(rounds, [&] { ok = !files.toWindows(native).isEmpty() && ok; });
        if (!ok) {
            std::fprintf(stderr, "a read or mapping failed at n = %d\n", n);
            return 1;
        }
        std::printf("%10d %14.2f %12.3f %14.2f %12.3f\n", n, startup, startup * 1000 / n, back,
                    back * 1000 / n);
    }
    QDir::setCurrent(start);
    return 0;
}
