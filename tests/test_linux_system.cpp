// The Linux backend's process services: the single-instance lock, ending at once, the program
// and settings folders in Windows form, and the Windows version a prefix presents.

#include "fakes/temp_prefix.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_registry.h"
#include "platform/linux/linux_system.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace platform::linuxbackend;

namespace {

// The backend's three parts over one prefix, as the program builds them.
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
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

platform::OsVersion versionOf(const QByteArray& systemReg) {
    fakes::TempPrefix prefix;
    prefix.writeFile("system.reg", systemReg);
    return Backend(prefix.prefix()).system.osVersion();
}

} // namespace

namespace platform {
static bool operator==(const OsVersion& a, const OsVersion& b) {
    return a.platformId == b.platformId && a.major == b.major && a.minor == b.minor &&
           a.build == b.build;
}
} // namespace platform

namespace QTest {
template <> char* toString(const platform::OsVersion& v) {
    return qstrdup(QStringLiteral("%1 %2.%3.%4")
                       .arg(v.platformId)
                       .arg(v.major)
                       .arg(v.minor)
                       .arg(v.build)
                       .toLatin1());
}
} // namespace QTest

class TestLinuxSystem : public QObject {
    Q_OBJECT

    QByteArray savedEnvironment_[3];
    static constexpr const char* saved[] = {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "HOME"};

private slots:
    void init() {
        for (int i = 0; i < 3; ++i)
            savedEnvironment_[i] = qgetenv(saved[i]);
    }
    void cleanup() {
        for (int i = 0; i < 3; ++i)
            qputenv(saved[i], savedEnvironment_[i]);
    }

    void oneInstancePerUser() {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        const QString lockFile = runtime.path() + QStringLiteral("/velkor-%1.lock").arg(::getuid());
        QCOMPARE(LinuxSystem::lockFilePath(), lockFile);
        fakes::TempPrefix prefix;
        {
            Backend first(prefix.prefix());
            QVERIFY(first.system.claimSingleInstance());
            QVERIFY(first.system.claimSingleInstance()); // held for the process's life
            QVERIFY(QFileInfo::exists(lockFile));
            Backend second(prefix.prefix());
            QVERIFY(!second.system.claimSingleInstance());
            QCOMPARE(inChild([&] {
                         Backend other(prefix.prefix());
                         return other.system.claimSingleInstance() ? 0 : 1;
                     }),
                     1);
        }
        QVERIFY(!QFileInfo::exists(lockFile));

        // An instance that died holding the lock does not block the next start.
        QCOMPARE(inChild([&] {
                     auto* crashed = new Backend(prefix.prefix()); // never destroyed
                     return crashed->system.claimSingleInstance() ? 0 : 1;
                 }),
                 0);
        QVERIFY(QFileInfo::exists(lockFile));
        Backend next(prefix.prefix());
        QVERIFY(next.system.claimSingleInstance());
    }

    void endsAtOnce() {
        QTemporaryDir runtime;
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
        fakes::TempPrefix prefix;
        const int code = inChild([&] {
            Backend backend(prefix.prefix());
            if (!backend.system.claimSingleInstance())
                return 2;
            backend.system.endProgram();
            return 3; // never reached
        });
        QCOMPARE(code, 0);
        QVERIFY(!QFileInfo::exists(LinuxSystem::lockFilePath()));
    }

    void foldersInWindowsForm() {
        fakes::TempPrefix prefix;
        prefix.linkDrive("p:", QCoreApplication::applicationDirPath());
        Backend backend(prefix.prefix());
        QCOMPARE(backend.system.programFolder(), QStringLiteral("P:\\"));
        QFile::remove(prefix.root() + "/dosdevices/p:");
        const QString programFolder = backend.system.programFolder();
        QVERIFY(programFolder.startsWith(QStringLiteral("Z:\\")));
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

        path = QStringLiteral("unchanged");
        QVERIFY(backend.system.specialFolderPath(5, path) != 0);
        QCOMPARE(path, QStringLiteral("unchanged"));
    }

    void versionFromThePrefix() {
        const platform::OsVersion windows10{2, 10, 0, 19045};
        // A fresh Wine 8.0 prefix says Windows 7 SP1.
        QProcess xz;
        xz.start("xz", {"-dc", VELKOR_TEST_DATA "/wine-8.0/system.reg.xz"});
        QVERIFY(xz.waitForFinished(60000) && xz.exitCode() == 0);
        QCOMPARE(versionOf(xz.readAllStandardOutput()), (platform::OsVersion{2, 6, 1, 7601}));

        const QByteArray header = "WINE REGISTRY Version 2\n#arch=win64\n\n"
                                  "[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] 1\n";
        // Set to Windows 10: the two numbers win over the compatibility text.
        QCOMPARE(versionOf(header + "\"CurrentBuildNumber\"=\"19045\"\n"
                                    "\"CurrentMajorVersionNumber\"=dword:0000000a\n"
                                    "\"CurrentMinorVersionNumber\"=dword:00000000\n"
                                    "\"CurrentVersion\"=\"6.3\"\n"),
                 windows10);
        QCOMPARE(
            versionOf(header + "\"CurrentVersion\"=\"5.1\"\n\"CurrentBuildNumber\"=\"2600\"\n"),
            (platform::OsVersion{2, 5, 1, 2600}));
        // Nothing usable: Windows 10.
        QCOMPARE(versionOf(header + "\"CurrentVersion\"=\"six\"\n"), windows10);
        QCOMPARE(versionOf(QByteArray()), windows10);
        QCOMPARE(Backend(WinePrefix{"/nonexistent/velkor-prefix"}).system.osVersion(), windows10);
    }
};

QTEST_GUILESS_MAIN(TestLinuxSystem)
#include "test_linux_system.moc"
