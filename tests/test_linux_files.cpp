// The Linux file system backend over a temporary Wine prefix: drives, path mapping both ways,
// the current drive and folders with Windows semantics, folder listings.

#include "fakes/temp_prefix.h"
#include "platform/linux/linux_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using platform::linuxbackend::LinuxFiles;
using platform::linuxbackend::WinePrefix;

class TestLinuxFiles : public QObject {
    Q_OBJECT

    QString startDir_;
    QByteArray startPwd_;

    static QString real(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

private slots:
    void init() {
        startDir_ = QDir::currentPath();
        startPwd_ = qgetenv("PWD");
    }
    void cleanup() {
        QDir::setCurrent(startDir_);
        qputenv("PWD", startPwd_);
    }

    void drivesComeFromDosdevices() {
        fakes::TempPrefix prefix;
        QTemporaryDir other;
        prefix.linkDrive(QStringLiteral("d:"), other.path());
        prefix.linkDrive(QStringLiteral("c::"), QStringLiteral("/dev/null"));
        prefix.linkDrive(QStringLiteral("com1"), QStringLiteral("/dev/ttyS0"));
        prefix.linkDrive(QStringLiteral("x:"), prefix.root() + QStringLiteral("/missing"));
        LinuxFiles files(prefix.prefix());
        QCOMPARE(files.drives(), QStringList({"c:", "d:", "x:", "z:"}));
    }

    void rootAlwaysHasADrive() {
        LinuxFiles missing(WinePrefix{QStringLiteral("/nonexistent/velkor-prefix")});
        QCOMPARE(missing.drives(), QStringList({"z:"}));
        QCOMPARE(missing.toWindows(QStringLiteral("/usr/bin")), QStringLiteral("Z:\\usr\\bin"));
        QCOMPARE(missing.toNative(QStringLiteral("z:\\usr")), QStringLiteral("/usr"));
        QCOMPARE(missing.toNative(QStringLiteral("C:\\")), QString());

        fakes::TempPrefix prefix;
        QFile::remove(prefix.root() + QStringLiteral("/dosdevices/z:"));
        LinuxFiles files(prefix.prefix());
        QCOMPARE(files.drives(), QStringList({"c:", "z:"}));
        QCOMPARE(files.toWindows(QStringLiteral("/")), QStringLiteral("Z:\\"));

        // z: taken by another folder: "/" gets the highest free letter instead.
        QTemporaryDir other;
        prefix.linkDrive(QStringLiteral("z:"), other.path());
        QCOMPARE(files.drives(), QStringList({"c:", "y:", "z:"}));
        QCOMPARE(files.toWindows(QStringLiteral("/usr")), QStringLiteral("Y:\\usr"));
    }

    void windowsToNative() {
        fakes::TempPrefix prefix;
        const QString games = prefix.makeFolder(QStringLiteral("Games/Populous"));
        prefix.writeFile(QStringLiteral("drive_c/Games/Populous/poptb.exe"), "MZ");
        LinuxFiles files(prefix.prefix());
        const QString c = prefix.driveC();

        QCOMPARE(files.toNative(QStringLiteral("C:\\Games\\Populous")), games);
        QCOMPARE(files.toNative(QStringLiteral("c:\\GAMES\\populous\\POPTB.EXE")),
                 games + QStringLiteral("/poptb.exe"));
        QCOMPARE(files.toNative(QStringLiteral("C:/Games/./x/../Populous")), games);
        QCOMPARE(files.toNative(QStringLiteral("C:\\")), c);
        QCOMPARE(files.toNative(QStringLiteral("C:\\..\\..")), c);
        // A missing tail keeps its spelling: the caller may be about to create it.
        QCOMPARE(files.toNative(QStringLiteral("C:\\games\\New Folder\\ip.tmp")),
                 c + QStringLiteral("/Games/New Folder/ip.tmp"));
        QCOMPARE(files.toNative(QStringLiteral("Z:\\usr\\bin")), QStringLiteral("/usr/bin"));
        QCOMPARE(files.toNative(QStringLiteral("Q:\\x")), QString());
        QCOMPARE(files.toNative(QStringLiteral("\\\\server\\share\\x")), QString());
        QCOMPARE(files.toNative(QString()), QString());

        // Two names differing only in case: the exact spelling wins.
        prefix.makeFolder(QStringLiteral("Case"));
        prefix.makeFolder(QStringLiteral("case"));
        QCOMPARE(files.toNative(QStringLiteral("C:\\case")), c + QStringLiteral("/case"));
        QCOMPARE(files.toNative(QStringLiteral("C:\\Case")), c + QStringLiteral("/Case"));
        QVERIFY(
            files.toNative(QStringLiteral("C:\\CASE")).compare(c + "/case", Qt::CaseInsensitive) ==
            0);
    }

    void nativeToWindows() {
        fakes::TempPrefix prefix;
        prefix.makeFolder(QStringLiteral("Games/Populous"));
        QTemporaryDir other;
        QDir(other.path()).mkpath(QStringLiteral("Maps"));
        // Two letters for one folder: the lowest wins.
        prefix.linkDrive(QStringLiteral("e:"), other.path());
        prefix.linkDrive(QStringLiteral("d:"), other.path() + QStringLiteral("/"));
        LinuxFiles files(prefix.prefix());

        QCOMPARE(files.toWindows(prefix.driveC() + QStringLiteral("/Games/Populous")),
                 QStringLiteral("C:\\Games\\Populous"));
        QCOMPARE(files.toWindows(prefix.driveC()), QStringLiteral("C:\\"));
        QCOMPARE(files.toWindows(prefix.driveC() + QStringLiteral("/Games/../Games/")),
                 QStringLiteral("C:\\Games"));
        // Reached through another spelling of the same folder (the dosdevices link itself).
        QCOMPARE(files.toWindows(prefix.root() + QStringLiteral("/dosdevices/c:/Games")),
                 QStringLiteral("C:\\Games"));
        QCOMPARE(files.toWindows(prefix.driveC() + QStringLiteral("/not/yet/there")),
                 QStringLiteral("C:\\not\\yet\\there"));
        QCOMPARE(files.toWindows(other.path() + QStringLiteral("/Maps")),
                 QStringLiteral("D:\\Maps"));
        QCOMPARE(files.toWindows(QStringLiteral("/usr/share")), QStringLiteral("Z:\\usr\\share"));
        QCOMPARE(files.toWindows(QString()), QString());

        // Round trip through a case-insensitive lookup.
        QCOMPARE(files.toWindows(files.toNative(QStringLiteral("C:\\GAMES"))),
                 QStringLiteral("C:\\Games"));
    }

    void startsInTheStartFolder() {
        fakes::TempPrefix prefix;
        const QString start = prefix.makeFolder(QStringLiteral("Start Here"));
        QVERIFY(QDir::setCurrent(start));
        qputenv("PWD", start.toLocal8Bit());
        LinuxFiles files(prefix.prefix());
        QCOMPARE(files.currentDirectory(), QStringLiteral("C:\\Start Here"));
        QCOMPARE(files.currentDirectoryOf(QStringLiteral("c:")), QStringLiteral("C:\\Start Here"));
        QCOMPARE(files.currentDirectoryOf(QStringLiteral("Z")), QStringLiteral("Z:\\"));
        // Relative paths resolve against it.
        QCOMPARE(files.toNative(QStringLiteral("poptb.exe")), start + QStringLiteral("/poptb.exe"));
        QCOMPARE(files.toNative(QStringLiteral("\\x")), prefix.driveC() + QStringLiteral("/x"));
    }

    void currentFolderPerDrive() {
        fakes::TempPrefix prefix;
        const QString games = prefix.makeFolder(QStringLiteral("Games/Populous"));
        QTemporaryDir other;
        QDir(other.path()).mkpath(QStringLiteral("Maps/Old"));
        prefix.linkDrive(QStringLiteral("d:"), other.path());
        prefix.linkDrive(QStringLiteral("x:"), prefix.root() + QStringLiteral("/missing"));
        QVERIFY(QDir::setCurrent(prefix.driveC()));
        LinuxFiles files(prefix.prefix());
        QCOMPARE(files.currentDirectory(), QStringLiteral("C:\\"));

        // A new drive starts at its root, and the working folder follows.
        QVERIFY(files.changeDrive(QStringLiteral("d")));
        QCOMPARE(files.currentDirectory(), QStringLiteral("D:\\"));
        QCOMPARE(real(QDir::currentPath()), real(other.path()));

        // Another drive's folder changes without changing the current drive or working folder.
        QVERIFY(files.changeDirectory(QStringLiteral("c:\\games\\populous")));
        QCOMPARE(files.currentDirectory(), QStringLiteral("D:\\"));
        QCOMPARE(files.currentDirectoryOf(QStringLiteral("C")),
                 QStringLiteral("C:\\games\\populous"));
        QCOMPARE(real(QDir::currentPath()), real(other.path()));

        // Relative to the current drive's folder; ".." and drive-relative forms.
        QVERIFY(files.changeDirectory(QStringLiteral("Maps\\Old")));
        QCOMPARE(files.currentDirectory(), QStringLiteral("D:\\Maps\\Old"));
        QCOMPARE(real(QDir::currentPath()), real(other.path() + QStringLiteral("/Maps/Old")));
        QVERIFY(files.changeDirectory(QStringLiteral("..")));
        QCOMPARE(files.currentDirectory(), QStringLiteral("D:\\Maps"));
        QVERIFY(files.changeDirectory(QStringLiteral("C:..")));
        QCOMPARE(files.currentDirectoryOf(QStringLiteral("c")), QStringLiteral("C:\\games"));

        // Missing folders and drives change nothing.
        QVERIFY(!files.changeDirectory(QStringLiteral("Nowhere")));
        QVERIFY(!files.changeDirectory(QStringLiteral("C:\\Games\\Nowhere")));
        QVERIFY(!files.changeDirectory(QStringLiteral("Q:\\")));
        QVERIFY(!files.changeDirectory(QString()));
        QVERIFY(!files.changeDrive(QStringLiteral("q")));
        QVERIFY(!files.changeDrive(QStringLiteral("x:")));
        QVERIFY(!files.changeDrive(QString()));
        QCOMPARE(files.currentDirectory(), QStringLiteral("D:\\Maps"));
        QCOMPARE(files.currentDirectoryOf(QStringLiteral("c")), QStringLiteral("C:\\games"));
        QCOMPARE(real(QDir::currentPath()), real(other.path() + QStringLiteral("/Maps")));

        // Back to C: with its remembered folder, as the start-up does with the game's drive.
        QVERIFY(files.changeDrive(QStringLiteral("C:")));
        QCOMPARE(files.currentDirectory(), QStringLiteral("C:\\games"));
        QVERIFY(files.changeDirectory(QStringLiteral("C:\\Games\\Populous")));
        QCOMPARE(files.currentDirectory(), QStringLiteral("C:\\Games\\Populous"));
        QCOMPARE(real(QDir::currentPath()), real(games));
        QCOMPARE(files.currentDirectoryOf(QStringLiteral("D")), QStringLiteral("D:\\Maps"));
        // A file is not a folder.
        prefix.writeFile(QStringLiteral("drive_c/file.txt"), "x");
        QVERIFY(!files.changeDirectory(QStringLiteral("C:\\file.txt")));
        QCOMPARE(files.currentDirectory(), QStringLiteral("C:\\Games\\Populous"));
    }

    void listsSubfolders() {
        fakes::TempPrefix prefix;
        for (const char* name : {"gamma", "Beta", "alpha", ".hidden", "Alpha2"})
            prefix.makeFolder(QString::fromLatin1(name));
        prefix.writeFile(QStringLiteral("drive_c/file.txt"), "x");
        QFile::link(prefix.driveC() + QStringLiteral("/gamma"),
                    prefix.driveC() + QStringLiteral("/linked"));
        QFile::link(prefix.driveC() + QStringLiteral("/file.txt"),
                    prefix.driveC() + QStringLiteral("/linkedfile"));
        prefix.linkDrive(QStringLiteral("x:"), prefix.root() + QStringLiteral("/missing"));
        LinuxFiles files(prefix.prefix());

        QCOMPARE(files.subfolders(QStringLiteral("C:\\")),
                 QStringList({"alpha", "Alpha2", "Beta", "gamma", "linked"}));
        QCOMPARE(files.subfolders(QStringLiteral("C:\\Beta")), QStringList());
        QVERIFY(!files.subfolders(QStringLiteral("X:\\")));
        QVERIFY(!files.subfolders(QStringLiteral("C:\\Nowhere")));
        QVERIFY(!files.subfolders(QStringLiteral("C:\\file.txt")));
        QVERIFY(!files.subfolders(QStringLiteral("Q:\\")));
    }

    void driveLabels() {
        fakes::TempPrefix prefix;
        prefix.writeFile(QStringLiteral("drive_c/.windows-label"), "Populous CD\n");
        LinuxFiles files(prefix.prefix());
        QCOMPARE(files.driveLabel(QStringLiteral("c:")), QStringLiteral("Populous CD"));
        QCOMPARE(files.driveLabel(QStringLiteral("q:")), QString());
        QCOMPARE(files.driveLabel(QString()), QString());
    }
};

QTEST_GUILESS_MAIN(TestLinuxFiles)
#include "test_linux_files.moc"
