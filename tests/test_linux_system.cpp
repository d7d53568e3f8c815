// The Linux backend's process services: the single-instance lock, the program and settings
// folders in Windows form, and the Windows version a prefix presents.

#include "fakes/temp_prefix.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_registry.h"
#include "platform/linux/linux_system.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform::linuxbackend;

namespace {

struct Backend {
    explicit Backend(const WinePrefix& prefix)
        : files(prefix), registry(prefix), system(prefix, files, registry) {}
    LinuxFiles files;
    LinuxRegistry registry;
    LinuxSystem system;
};

// Runs `body` in a child process and gives its exit code (-1 when it did not exit).
template <typename Body> int inChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status)
                                                                             : -1;
}

QString versionOf(const QByteArray& systemReg) {
    fakes::TempPrefix prefix;
    prefix.writeFile("system.reg", systemReg);
    const auto v = Backend(prefix.prefix()).system.osVersion();
    return QStringLiteral("%1 %2.%3.%4").arg(v.platformId).arg(v.major).arg(v.minor).arg(v.build);
}

} // namespace

class TestLinuxSystem : public QObject {
    Q_OBJECT

    // Each test sets the environment it depends on.
private slots:

    void oneInstancePerUser() {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        fakes::TempPrefix prefix;
        const auto claimInChild = [&] {
            return inChild([&] { return Backend(prefix.prefix()).system.claimSingleInstance(); });
        };
        {
            Backend first(prefix.prefix());
            QVERIFY(first.system.claimSingleInstance());
            QVERIFY(QFileInfo(runtime.path() + "/velkor.lock").isFile());
            QCOMPARE(claimInChild(), 0);
        }
        QCOMPARE(claimInChild(), 1);

        // An instance that ends, however it ends, leaves the lock free; a game it started and
        // that still runs does not hold it.
        int gameInput[2];
        QCOMPARE(::pipe(gameInput), 0);
        QCOMPARE(inChild([&] {
                     auto* backend = new Backend(prefix.prefix());
                     if (!backend->system.claimSingleInstance())
                         return 1;
                     int started[2]; // closed by the game's exec
                     if (::pipe2(started, O_CLOEXEC) != 0)
                         return 2;
                     if (::fork() == 0) {
                         ::dup2(gameInput[0], 0);
                         ::close(gameInput[1]);
                         ::execlp("cat", "cat", nullptr);
                         ::_exit(127);
                     }
                     ::close(started[1]);
                     char byte;
                     return int(::read(started[0], &byte, 1));
                 }),
                 0);
        ::close(gameInput[0]);
        QCOMPARE(claimInChild(), 1);
        ::close(gameInput[1]); // the game ends
        QCOMPARE(inChild([&] {
                     Backend backend(prefix.prefix());
                     if (!backend.system.claimSingleInstance())
                         return 2;
                     backend.system.endProgram();
                     return 3;
                 }),
                 0);
        QCOMPARE(claimInChild(), 1);
    }

    // Whatever lies where the lock goes, only a live instance stops a start.
    void nothingPlantedBlocks_data() {
        QTest::addColumn<QString>("planted");
        for (const char* tag :
             {"empty", "garbage", "folder", "full folder", "another user's",
              "another user's folder", "dangling link", "link to a file", "pipe",
              "no runtime folder", "open runtime folder", "cache folder is a link"})
            QTest::newRow(tag) << QString(tag);
    }
    void nothingPlantedBlocks() {
        QFETCH(QString, planted);
        QTemporaryDir root;
        const QString runtime = root.path() + "/run", lock = runtime + "/velkor.lock";
        const QString cache = root.path() + "/home/.cache/velkor", elsewhere = root.path() + "/x";
        QVERIFY(QDir().mkpath(runtime) && QDir().mkpath(root.path() + "/home/.cache"));
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(QDir().mkpath(elsewhere));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        qputenv("HOME", QFile::encodeName(root.path() + "/home"));
        qunsetenv("XDG_CACHE_HOME");
        QString where = lock; // where the lock is expected
        QFile file(lock);
        if (planted == "empty" || planted == "garbage" || planted == "another user's" ||
            planted == "open runtime folder") {
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.write(planted == "garbage" ? QByteArray("\x7f\0\xff 99999\n", 10) : QByteArray());
            file.flush();
            if (planted == "another user's" && ::chown(QFile::encodeName(lock), 65534, 65534))
                QSKIP("giving a file to another user takes root");
            // Held, as by a live program of whoever could plant it.
            if (planted != "empty" && planted != "garbage")
                QCOMPARE(::flock(file.handle(), LOCK_EX), 0);
        } else if (planted.endsWith("folder") && !planted.contains("runtime")) {
            QVERIFY(QDir().mkpath(lock));
            if (planted == "full folder")
                QVERIFY(QFile(lock + "/inside").open(QIODevice::WriteOnly));
            if (planted == "another user's folder" &&
                ::chown(QFile::encodeName(lock), 65534, 65534))
                QSKIP("giving a folder to another user takes root");
        } else if (planted.contains("link")) {
            QVERIFY(QFile(elsewhere + "/target").open(QIODevice::WriteOnly));
            const QString target = planted == "link to a file" ? elsewhere + "/target" : "/absent";
            if (planted == "cache folder is a link") {
                qunsetenv("XDG_RUNTIME_DIR");
                QVERIFY(QFile::link(elsewhere, cache));
                where.clear(); // nowhere: there is no safe place for a lock
            } else {
                QVERIFY(QFile::link(target, lock));
            }
        } else if (planted == "pipe") {
            QCOMPARE(::mkfifo(QFile::encodeName(lock), 0600), 0);
        }
        if (planted.contains("runtime folder")) {
            // The cache folder stands in for a runtime folder that is missing or open to others.
            if (planted == "no runtime folder")
                qunsetenv("XDG_RUNTIME_DIR");
            else
                QFile::setPermissions(runtime, QFile::permissions(runtime) | QFile::WriteOther);
            where = cache + "/velkor.lock";
        }

        fakes::TempPrefix prefix;
        Backend first(prefix.prefix());
        QVERIFY(first.system.claimSingleInstance());
        if (!where.isEmpty()) {
            struct stat lockInfo = {}, folderInfo = {};
            QCOMPARE(::lstat(QFile::encodeName(where), &lockInfo), 0);
            QCOMPARE(::stat(QFile::encodeName(QFileInfo(where).path()), &folderInfo), 0);
            QVERIFY(S_ISREG(lockInfo.st_mode) || S_ISDIR(lockInfo.st_mode));
            QCOMPARE(lockInfo.st_uid, ::getuid());
            QCOMPARE(folderInfo.st_mode & 077, 0u);
            // ... and it works: the next start is stopped.
            QCOMPARE(inChild([&] { return Backend(prefix.prefix()).system.claimSingleInstance(); }),
                     0);
        }
        QVERIFY(QFileInfo(elsewhere + "/target").exists() == planted.contains("link"));
        QVERIFY(QDir(elsewhere).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size() <= 1);
    }

    void folders() {
        fakes::TempPrefix prefix;
        Backend backend(prefix.prefix());
        const QString programFolder = backend.system.programFolder();
        QVERIFY(!programFolder.endsWith(QLatin1Char('\\')));
        QCOMPARE(backend.files.toNative(programFolder),
                 QDir::cleanPath(QCoreApplication::applicationDirPath()));

        QString path = QStringLiteral("unchanged");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(prefix.makeFolder("users/me/Config")));
        QCOMPARE(backend.system.specialFolderPath(26, path), 0L);
        QCOMPARE(path, QStringLiteral("C:\\users\\me\\Config"));
        // Without it (or with a relative one, which XDG says to ignore): ~/.config.
        qputenv("HOME", QFile::encodeName(prefix.makeFolder("home/me")));
        for (const char* value : {"", "relative/config"}) {
            qputenv("XDG_CONFIG_HOME", value);
            QCOMPARE(backend.system.specialFolderPath(26, path), 0L);
            QCOMPARE(path, QStringLiteral("C:\\home\\me\\.config"));
        }
    }

    void versionFromThePrefix() {
        QProcess xz;
        xz.start("xz", {"-dc", VELKOR_TEST_DATA "/wine-8.0/system.reg.xz"});
        QVERIFY(xz.waitForFinished(60000) && xz.exitCode() == 0);
        QCOMPARE(versionOf(xz.readAllStandardOutput()), "2 6.1.7601"); // Wine 8.0: Windows 7 SP1

        const QByteArray key = "WINE REGISTRY Version 2\n#arch=win64\n\n"
                               "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] 1\n";
        // The two numbers win over the compatibility text.
        QCOMPARE(versionOf(key + "\"CurrentBuildNumber\"=\"19045\"\n\"CurrentVersion\"=\"6.3\"\n"
                                 "\"CurrentMajorVersionNumber\"=dword:0000000a\n"
                                 "\"CurrentMinorVersionNumber\"=dword:00000000\n"),
                 "2 10.0.19045");
        QCOMPARE(versionOf(key + "\"CurrentVersion\"=\"5.1\"\n\"CurrentBuildNumber\"=\"2600\"\n"),
                 "2 5.1.2600");
        // Nothing usable: Windows 10.
        QCOMPARE(versionOf(key + "\"CurrentVersion\"=\"six\"\n"), "2 10.0.19045");
        QCOMPARE(versionOf(QByteArray()), "2 10.0.19045");
    }
};

QTEST_GUILESS_MAIN(TestLinuxSystem)
#include "test_linux_system.moc"
