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
        const QString lockFile = runtime.path() + QStringLiteral("/velkor-%1.lock").arg(::getuid());
        fakes::TempPrefix prefix;
        {
            Backend first(prefix.prefix());
            QVERIFY(first.system.claimSingleInstance());
            QVERIFY(QFileInfo::exists(lockFile));
            QCOMPARE(inChild([&] { return Backend(prefix.prefix()).system.claimSingleInstance(); }),
                     0);
        }
        QVERIFY(!QFileInfo::exists(lockFile));

        // An instance that died holding the lock does not block the next start.
        QCOMPARE(inChild([&] {
                     return (new Backend(prefix.prefix()))->system.claimSingleInstance() ? 0 : 1;
                 }),
                 0);
        QVERIFY(QFileInfo::exists(lockFile));
        // Ending the program ends the process at once, releasing the lock.
        QCOMPARE(inChild([&] {
                     Backend backend(prefix.prefix());
                     if (!backend.system.claimSingleInstance())
                         return 2;
                     backend.system.endProgram();
                     return 3;
                 }),
                 0);
        QVERIFY(!QFileInfo::exists(lockFile));
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
