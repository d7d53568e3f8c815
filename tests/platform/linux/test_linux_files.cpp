// The Linux files over a temporary Wine prefix: drives, paths both ways, current folders, files.

#include "fakes/native.h"
#include "fakes/temp_prefix.h"
#include "platform/linux/linux_files.h"

#include <QtTest>

#include <sys/stat.h>

class TestLinuxFiles : public QObject {
    Q_OBJECT

private slots:
    void drivesPathsAndFolders() {
        fakes::TempPrefix prefix;
        QTemporaryDir other;
        for (const char* folder : {"Games/Populous", "Case", "case", ".hidden"})
            prefix.makeFolder(folder);
        prefix.writeFile("drive_c/Games/Populous/poptb.exe", "MZ");
        QDir(other.path()).mkpath("Maps/Old");
        prefix.linkDrive("e:", other.path());
        prefix.linkDrive("a:", other.path() + "/");
        prefix.linkDrive("c::", "/dev/null");
        prefix.linkDrive("x:", prefix.root() + "/missing");
        QVERIFY(QDir::setCurrent(prefix.driveC() + "/Games"));
        platform::linuxbackend::LinuxFiles files(prefix.prefix());
        QCOMPARE(files.drives(), QStringList({"a:", "c:", "e:", "x:", "z:"}));
        // Native paths start with "/" or "$": $C is drive_c, $D the folder linked as a: and e:.
        const QString deep = QStringLiteral("/Map").repeated(3000); // longer than the system takes
        const QList<QPair<QString, QString>> rows = {
            {"c:\\GAMES\\populous\\POPTB.EXE", "$C/Games/Populous/poptb.exe"},
            {"C:\\case", "$C/case"},
            {"C:\\Case", "$C/Case"},
            {"A:\\Maps", "$D/Maps"},
            {"C:\\games\\POPULOUS" + QString(deep).replace('/', '\\'), "$C/Games/Populous" + deep},
            {"$C/../dosdevices/c:/Games/../Games/", "C:\\Games"},
            {"$D/Maps/not/yet", "A:\\Maps\\not\\yet"},
            {"/usr/share", "Z:\\usr\\share"},
        };
        for (auto [from, to] : rows) {
            for (QString* path : {&from, &to})
                path->replace("$C", prefix.driveC()).replace("$D", other.path());
            const QString got = from.startsWith('/') ? files.toWindows(from) : files.toNative(from);
            QVERIFY2(got == to, qPrintable(from.left(70) + " gave " + got.left(70)));
        }
        QCOMPARE(files.subfolders("C:\\"), QStringList({"Case", "case", "Games"}));
        const auto opened = files.openRegularFile("Populous\\POPTB.EXE", QIODevice::ReadOnly);
        QCOMPARE(opened ? opened->readAll() : "none", "MZ");
        // A file that is no file to read is none: a pipe would block.
        QCOMPARE(::mkfifo(QFile::encodeName(other.filePath(".windows-label")), 0600), 0);
        QCOMPARE(files.driveLabel("a:"), QString());
        QVERIFY(!files.openRegularFile("a:\\.windows-label", {}));

        // Each drive has its current folder; the working folder follows the current drive's.
        QVERIFY(files.changeDrive("e"));
        QVERIFY(files.changeDirectory("c:\\games\\populous"));
        QCOMPARE(QFileInfo(QDir::currentPath()), QFileInfo(other.path()));
        QVERIFY(files.changeDirectory("Maps\\Old\\.."));
        QVERIFY(files.changeDirectory("C:.."));
        for (const char* path : {"Nowhere", "C:\\Games\\Populous\\poptb.exe", "Q:\\", ""})
            QVERIFY2(!files.changeDirectory(path), path);
        for (const char* drive : {"q", "x:", ""})
            QVERIFY2(!files.changeDrive(drive), drive);
        QCOMPARE(files.currentDirectory() + files.currentDirectoryOf("c"),
                 QStringLiteral("E:\\MapsC:\\games"));
        QVERIFY(files.changeDrive("C:"));
        QCOMPARE(QFileInfo(QDir::currentPath()), QFileInfo(prefix.driveC() + "/Games"));
        // "/" always has a drive: the highest free letter when Z: is taken.
        prefix.linkDrive("z:", other.path());
        QCOMPARE(files.toWindows("/usr"), QStringLiteral("Y:\\usr"));
    }

    // A write goes only to a regular file of the user's own: a FIFO, a link to a device or to
    // another user's file, a read-only file and a full disk keep what is there. A link to the
    // user's own file is written through, and stays.
    void writesOnlyTheUsersFiles_data() {
        QTest::addColumn<QString>("obstacle");
        for (const char* obstacle : {"fifo", "device link", "another's", "read-only", "full disk"})
            QTest::newRow(obstacle) << QString(obstacle);
    }
    void writesOnlyTheUsersFiles() {
        QFETCH(QString, obstacle);
        fakes::TempPrefix prefix;
        platform::linuxbackend::LinuxFiles files(prefix.prefix());
        const QString file = prefix.driveC() + "/Velkor.cfg", other = prefix.driveC() + "/other";
        prefix.writeFile("drive_c/other", "theirs");
        const QByteArray fd = QFile::encodeName(file);
        const bool made =
            obstacle == "fifo"          ? ::mkfifo(fd, 0600) == 0
            : obstacle == "device link" ? QFile::link("/dev/null", file)
            : obstacle == "another's"   ? QFile::link(other, file) && fakes::giveAway(other)
            : obstacle == "read-only"   ? QFile::copy(other, file) && fakes::makeReadOnly(file)
                                        : QFile::copy(other, file);
        if (!made)
            QSKIP("this process cannot set that obstacle up");
        const fakes::FullDisk full(obstacle == "full disk" ? 0 : 1 << 30);
        if (!full.valid())
            QSKIP("no file size limit on this system");
        QVERIFY(!files.replaceFile("C:\\Velkor.cfg", "mine"));
        if (QFileInfo(file).isFile()) // what was there is kept
            QCOMPARE(fakes::readFile(file), "theirs");
        if (obstacle != "full disk")
            QVERIFY(!files.openRegularFile("C:\\Velkor.cfg", QIODevice::ReadWrite));
    }

    void writesThroughTheUsersLink() {
        fakes::TempPrefix prefix;
        platform::linuxbackend::LinuxFiles files(prefix.prefix());
        const QString file = prefix.driveC() + "/Velkor.cfg";
        QVERIFY(QFile::link(prefix.writeFile("dotfile", "old"), file));
        QVERIFY(files.replaceFile("C:\\Velkor.cfg", "new"));
        QVERIFY(QFileInfo(file).isSymLink());
        QCOMPARE(fakes::readFile(prefix.root() + "/dotfile"), "new");
    }
};

QTEST_GUILESS_MAIN(TestLinuxFiles)
#include "test_linux_files.moc"
