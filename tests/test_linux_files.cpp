// The Linux file system backend over a temporary Wine prefix: drives, path mapping both ways,
// the current drive and folders with Windows semantics, folder listings.

#include "fakes/temp_prefix.h"
#include "platform/linux/linux_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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

    void drives() {
        fakes::TempPrefix prefix;
        QTemporaryDir other;
        prefix.linkDrive("d:", other.path());
        prefix.linkDrive("c::", "/dev/null");
        prefix.linkDrive("com1", "/dev/ttyS0");
        prefix.linkDrive("x:", prefix.root() + "/missing");
        LinuxFiles files(prefix.prefix());
        QCOMPARE(files.drives(), QStringList({"c:", "d:", "x:", "z:"}));

        // "/" always has a drive: Z: without a prefix, or the highest free letter.
        LinuxFiles missing(WinePrefix{"/nonexistent/velkor-prefix"});
        QCOMPARE(missing.drives(), QStringList({"z:"}));
        QCOMPARE(missing.toWindows("/usr/bin"), QStringLiteral("Z:\\usr\\bin"));
        QCOMPARE(missing.toNative("z:\\usr"), QStringLiteral("/usr"));
        prefix.linkDrive("z:", other.path());
        QCOMPARE(files.drives(), QStringList({"c:", "d:", "x:", "y:", "z:"}));
        QCOMPARE(files.toWindows("/usr"), QStringLiteral("Y:\\usr"));
    }

    void mapsPaths_data() {
        // Native paths start with "/" or a placeholder: $C is drive_c, $P the prefix, $D a folder
        // linked as both d: and e:. Others are Windows paths mapped the other way.
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        const auto row = [](const char* name, const char* from, const char* to) {
            QTest::newRow(name) << QString(from) << QString(to);
        };
        row("exact", "C:\\Games\\Populous", "$C/Games/Populous");
        row("any case", "c:\\GAMES\\populous\\POPTB.EXE", "$C/Games/Populous/poptb.exe");
        row("dots, slashes", "C:/Games/./x/../Populous", "$C/Games/Populous");
        row("above the root", "C:\\..\\..", "$C");
        row("missing tail keeps its spelling", "C:\\games\\New Folder\\ip.tmp",
            "$C/Games/New Folder/ip.tmp");
        row("exact spelling wins", "C:\\case", "$C/case");
        row("exact spelling wins 2", "C:\\Case", "$C/Case");
        row("z:", "Z:\\usr\\bin", "/usr/bin");
        row("no such drive", "Q:\\x", "");
        row("UNC", "\\\\server\\share\\x", "");
        row("drive root", "$C", "C:\\");
        row("unclean", "$C/Games/../Games/", "C:\\Games");
        row("through the drive link", "$P/dosdevices/c:/Games", "C:\\Games");
        row("not yet there", "$C/not/yet/there", "C:\\not\\yet\\there");
        row("lowest letter", "$D/Maps", "D:\\Maps");
        row("outside the drives", "/usr/share", "Z:\\usr\\share");
        row("through a file", "$C/Games/Populous/poptb.exe/x", "C:\\Games\\Populous\\poptb.exe\\x");
        // Longer than any path the system takes whole.
        const QString deep = QStringLiteral("/Map").repeated(3000);
        QTest::newRow("long") << "C:\\games\\POPULOUS" + QString(deep).replace('/', '\\')
                              << "$C/Games/Populous" + deep;
        QTest::newRow("long back") << "$C/Games/Populous" + deep
                                   << "C:\\Games\\Populous" + QString(deep).replace('/', '\\');
    }
    void mapsPaths() {
        QFETCH(QString, from);
        QFETCH(QString, to);
        fakes::TempPrefix prefix;
        QTemporaryDir other;
        for (const char* folder : {"Games/Populous", "Case", "case"})
            prefix.makeFolder(folder);
        prefix.writeFile("drive_c/Games/Populous/poptb.exe", "MZ");
        QDir(other.path()).mkpath("Maps");
        prefix.linkDrive("e:", other.path());
        prefix.linkDrive("d:", other.path() + "/");
        const auto expand = [&](QString path) {
            return path.replace("$C", prefix.driveC())
                .replace("$P", prefix.root())
                .replace("$D", other.path());
        };
        LinuxFiles files(prefix.prefix());
        if (from.startsWith('$') || from.startsWith('/'))
            QCOMPARE(files.toWindows(expand(from)), to);
        else
            QCOMPARE(files.toNative(from), expand(to));
    }

    void currentFolderPerDrive() {
        fakes::TempPrefix prefix;
        const QString start = prefix.makeFolder("Start Here");
        const QString games = prefix.makeFolder("Games/Populous");
        prefix.writeFile("drive_c/file.txt", "x");
        QTemporaryDir other;
        QDir(other.path()).mkpath("Maps/Old");
        prefix.linkDrive("d:", other.path());
        prefix.linkDrive("x:", prefix.root() + "/missing");
        QVERIFY(QDir::setCurrent(start));
        qputenv("PWD", start.toLocal8Bit());
        LinuxFiles files(prefix.prefix());
        QCOMPARE(files.currentDirectory(), QStringLiteral("C:\\Start Here"));
        QCOMPARE(files.toNative("poptb.exe"), start + "/poptb.exe");
        QCOMPARE(files.toNative("\\x"), prefix.driveC() + "/x");

        // A new drive starts at its root, and the working folder follows.
        QVERIFY(files.changeDrive("d"));
        QCOMPARE(files.currentDirectory(), QStringLiteral("D:\\"));
        QCOMPARE(real(QDir::currentPath()), real(other.path()));
        // Another drive's folder changes alone: not the current drive, not the working folder.
        QVERIFY(files.changeDirectory("c:\\games\\populous"));
        QCOMPARE(files.currentDirectory(), QStringLiteral("D:\\"));
        QCOMPARE(files.currentDirectoryOf("C"), QStringLiteral("C:\\games\\populous"));
        QCOMPARE(real(QDir::currentPath()), real(other.path()));
        // Relative to the current drive's folder; ".." and drive-relative forms.
        QVERIFY(files.changeDirectory("Maps\\Old"));
        QCOMPARE(real(QDir::currentPath()), real(other.path() + "/Maps/Old"));
        QVERIFY(files.changeDirectory(".."));
        QCOMPARE(files.currentDirectory(), QStringLiteral("D:\\Maps"));
        QVERIFY(files.changeDirectory("C:.."));
        QCOMPARE(files.currentDirectoryOf("c"), QStringLiteral("C:\\games"));

        // Missing folders, files, missing and dangling drives change nothing.
        for (const char* path : {"Nowhere", "C:\\Games\\Nowhere", "C:\\file.txt", "Q:\\", ""})
            QVERIFY2(!files.changeDirectory(path), path);
        for (const char* drive : {"q", "x:", ""})
            QVERIFY2(!files.changeDrive(drive), drive);
        QCOMPARE(files.currentDirectory(), QStringLiteral("D:\\Maps"));
        QCOMPARE(files.currentDirectoryOf("c"), QStringLiteral("C:\\games"));
        QCOMPARE(real(QDir::currentPath()), real(other.path() + "/Maps"));

        // Back to C: in its remembered folder.
        QVERIFY(files.changeDrive("C:"));
        QCOMPARE(files.currentDirectory(), QStringLiteral("C:\\games"));
        QCOMPARE(real(QDir::currentPath()), real(games + "/.."));
    }

    void listsSubfolders() {
        fakes::TempPrefix prefix;
        for (const char* name : {"gamma", "Beta", "alpha", ".hidden", "Alpha2"})
            prefix.makeFolder(name);
        prefix.writeFile("drive_c/file.txt", "x");
        prefix.writeFile("drive_c/.windows-label", "Populous CD\n");
        QFile::link(prefix.driveC() + "/gamma", prefix.driveC() + "/linked");
        QFile::link(prefix.driveC() + "/file.txt", prefix.driveC() + "/linkedfile");
        prefix.linkDrive("x:", prefix.root() + "/missing");
        LinuxFiles files(prefix.prefix());
        QCOMPARE(files.subfolders("C:\\"),
                 QStringList({"alpha", "Alpha2", "Beta", "gamma", "linked"}));
        QCOMPARE(files.subfolders("C:\\Beta"), QStringList());
        for (const char* path : {"X:\\", "C:\\Nowhere", "C:\\file.txt", "Q:\\"})
            QVERIFY2(!files.subfolders(path), path);
        QCOMPARE(files.driveLabel("c:"), QStringLiteral("Populous CD"));
        QCOMPARE(files.driveLabel("q:"), QString());
        // A label that is no file to read is none.
        QTemporaryDir other;
        QCOMPARE(::mkfifo(QFile::encodeName(other.path() + "/.windows-label").constData(), 0600),
                 0);
        prefix.linkDrive("d:", other.path());
        QCOMPARE(files.driveLabel("d:"), QString());
    }
};

QTEST_GUILESS_MAIN(TestLinuxFiles)
#include "test_linux_files.moc"
