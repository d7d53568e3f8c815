// The single-instance lock: one live instance per user; nothing planted at the lock stops a start.

#include "fakes/temp_prefix.h"
#include "platform/linux/backend.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::linuxbackend::Backend;

static bool claim(Backend* backend) {
    return backend->services().system->claimSingleInstance();
}

// Runs `body` in a child process and gives its exit code (-1 when it did not exit).
template <typename Body> static int inChild(Body body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// 1 when another instance may start.
static int claimInChild(const fakes::TempPrefix& prefix) {
    return inChild([&] { return claim(new Backend(prefix.prefix())); });
}

class TestLinuxSystem : public QObject {
    Q_OBJECT

private slots:
    void endedInstanceFreesTheLock() {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        fakes::TempPrefix prefix;
        // An ended instance leaves the lock free, even while a game it started still runs.
        int game[2]; // the game's input
        QCOMPARE(::pipe(game), 0);
        QCOMPARE(inChild([&] {
                     int started[2]; // closed by the game's exec
                     if (!claim(new Backend(prefix.prefix())) || ::pipe2(started, O_CLOEXEC) != 0)
                         return 1;
                     if (::fork() == 0) {
                         ::dup2(game[0], 0);
                         ::close(game[1]);
                         ::execlp("cat", "cat", nullptr);
                         ::_exit(127);
                     }
                     ::close(started[1]);
                     return int(::read(started[0], &started[1], 1));
                 }),
                 0);
        QCOMPARE(claimInChild(prefix), 1);
        ::close(game[1]); // the game ends
    }

    // Each as by whoever could plant it, a lock file held as a live program would.
    void nothingPlantedBlocks_data() {
        QTest::addColumn<QString>("planted");
        for (const char* planted :
             {"another user's file", "full folder", "another user's folder", "link to a file",
              "runtime folder open to all", "cache folder a link"})
            QTest::newRow(planted) << QString(planted);
    }
    void nothingPlantedBlocks() {
        QFETCH(QString, planted);
        QTemporaryDir root;
        const QString runtime = root.filePath("run"), lock = runtime + "/velkor.lock";
        const QString cache = root.filePath(".cache/velkor"), elsewhere = cache + "-x";
        QCOMPARE(::mkdir(QFile::encodeName(runtime), 0700), 0);
        QVERIFY(QDir().mkpath(elsewhere));
        QVERIFY(QFile(elsewhere + "/target").open(QIODevice::WriteOnly));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));
        qputenv("HOME", QFile::encodeName(root.path()));
        qunsetenv("XDG_CACHE_HOME");
        QString where = lock; // where the lock is expected; none when there is no safe place
        QFile file(lock);
        if (planted.endsWith("file") || planted.endsWith("to all"))
            QCOMPARE(file.open(QIODevice::WriteOnly) ? ::flock(file.handle(), LOCK_EX) : -2, 0);
        if (planted.endsWith("folder"))
            QVERIFY(QDir().mkpath(planted == "full folder" ? lock + "/inside" : lock));
        if (planted == "link to a file")
            QVERIFY(QFile::remove(lock) ? QFile::link(elsewhere + "/target", lock) : false);
        if (planted.startsWith("another") && ::chown(QFile::encodeName(lock), 65534, 65534))
            QSKIP("giving a file away to another user takes root");
        if (planted.endsWith("to all")) {
            QFile::setPermissions(runtime, QFile::permissions(runtime) | QFile::WriteOther);
            where = cache + "/velkor.lock";
        } else if (planted == "cache folder a link") {
            qunsetenv("XDG_RUNTIME_DIR");
            QVERIFY(QFile::link(elsewhere, cache));
            where.clear();
        }
        fakes::TempPrefix prefix;
        Backend first(prefix.prefix());
        QVERIFY(claim(&first));
        if (struct stat info = {}; !where.isEmpty()) {
            QCOMPARE(::lstat(QFile::encodeName(where), &info), 0);
            QVERIFY2(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode),
                     "the lock is no file or folder");
            QCOMPARE(info.st_uid, ::getuid());
            QCOMPARE(claimInChild(prefix), 0); // and it works
        }
        QCOMPARE(QDir(elsewhere).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{"target"});
    }
};

QTEST_GUILESS_MAIN(TestLinuxSystem)
#include "test_linux_system.moc"
