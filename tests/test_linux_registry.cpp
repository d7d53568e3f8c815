// The registry of a Wine prefix as Velkor, a 32-bit program, sees it: the real Wine 8.0 files,
// hand-made hives for the 32-bit view and string forms, and writes that Wine would not lose.

#include "fakes/temp_prefix.h"
#include "platform/basRegistry.h"
#include "platform/linux/linux_registry.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::RegEntry;
using platform::RootKey;
using platform::linuxbackend::LinuxRegistry;
namespace regtype = platform::regtype;
namespace winerror = platform::winerror;

// Declared ahead of the test data: moc cannot read past raw string literals.
class TestLinuxRegistry : public QObject {
    Q_OBJECT

private slots:
    void readsTheGameKeyOfARealPrefix();
    void readsAsA32BitProgram();
    void givesStringsAsTheAnsiCallsDo();
    void missingPrefixIsAnEmptyRegistry();
    void refusedHivesAreEmpty_data();
    void refusedHivesAreEmpty();
    void writesKeepTheRestOfTheHive();
    void refusesWhileAServerRuns();
};

namespace {

const QString gameKey =
    QStringLiteral("SOFTWARE\\Bullfrog Productions Ltd\\Populous: The Beginning");
const QString helpKey = QStringLiteral("Software\\Microsoft\\Windows\\HTML Help");

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A prefix holding the registry files of a fresh Wine 8.0 prefix.
void installRealRegistry(const fakes::TempPrefix& prefix) {
    QProcess xz;
    xz.start("xz", {"-dc", VELKOR_TEST_DATA "/wine-8.0/system.reg.xz"});
    QVERIFY2(xz.waitForFinished(60000) && xz.exitCode() == 0, "xz could not unpack system.reg");
    prefix.writeFile("system.reg", xz.readAllStandardOutput());
    for (const QString name : {"user.reg", "userdef.reg"})
        prefix.writeFile(name, readFile(VELKOR_TEST_DATA "/wine-8.0/" + name));
}

QByteArray hive(const QByteArray& arch, const QByteArray& body) {
    return "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=" + arch +
           "\n\n" + body;
}

std::optional<RegEntry> entry(LinuxRegistry& registry, RootKey root, const QString& key,
                              const QString& name) {
    for (const RegEntry& value : registry.values(root, key).value_or(std::vector<RegEntry>()))
        if (value.name.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return std::nullopt;
}

QByteArray data(LinuxRegistry& registry, RootKey root, const QString& key, const QString& name) {
    return entry(registry, root, key, name).value_or(RegEntry{"", 0, "<missing>"}).data;
}

// Another process holding a wineserver's lock on a file, as long as this object lives.
struct ServerLock {
    pid_t pid = -1;
    bool held = false;
    explicit ServerLock(const QString& file) {
        QDir().mkpath(QFileInfo(file).path());
        const QByteArray path = QFile::encodeName(file);
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        if ((pid = ::fork()) == 0) {
            struct flock lock = {};
            lock.l_type = F_WRLCK;
            lock.l_len = 1;
            const int fd = ::open(path.constData(), O_RDWR | O_CREAT, 0600);
            const char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0;
            if (::write(ready[1], &ok, 1) == 1)
                for (;;)
                    ::pause();
            ::_exit(1);
        }
        ::close(ready[1]);
        char ok = 0;
        held = pid > 0 && ::read(ready[0], &ok, 1) == 1 && ok;
        ::close(ready[0]);
    }
    ~ServerLock() {
        if (pid > 0 && ::kill(pid, SIGKILL) == 0)
            ::waitpid(pid, nullptr, 0);
    }
};

QString serverFolderName(const QString& prefix) {
    struct stat st;
    ::stat(QFile::encodeName(prefix).constData(), &st);
    return QStringLiteral("server-%1-%2")
        .arg(static_cast<qulonglong>(st.st_dev), 0, 16)
        .arg(static_cast<qulonglong>(st.st_ino), 0, 16);
}

} // namespace

void TestLinuxRegistry::readsTheGameKeyOfARealPrefix() {
    fakes::TempPrefix prefix;
    installRealRegistry(prefix);
    LinuxRegistry registry(prefix.prefix());

    // The 32-bit installer wrote under Wow6432Node; the plain path finds it.
    const auto drive = entry(registry, RootKey::LocalMachine, gameKey, "installdrive");
    QVERIFY(drive);
    QCOMPARE(drive->type, regtype::Sz);
    QCOMPARE(drive->data, QByteArray("C:\0", 3));
    platform::Services services;
    services.registry = &registry;
    platform::install(services);
    QCOMPARE(ReadRegistryValue(RootKey::LocalMachine, gameKey, "InstallPath").toString(),
             QStringLiteral("C:\\Games\\Populous"));
    platform::install({});

    // The classes through Wine's 32-bit link, and the user hives.
    QCOMPARE(data(registry, RootKey::ClassesRoot,
                  "CLSID\\{41B23C28-488E-4E5C-ACE2-BB0BBABE99E8}\\InprocServer32", ""),
             QByteArray("C:\\windows\\system32\\hhctrl.ocx\0", 31));
    QCOMPARE(data(registry, RootKey::CurrentUser, "Control Panel\\Desktop", "BlockSendInputResets"),
             QByteArray("0\0", 2));
    QCOMPARE(data(registry, RootKey::Users, "S-1-5-21-0-0-0-1000\\Control Panel\\Desktop",
                  "BlockSendInputResets"),
             QByteArray("0\0", 2));

    // Each file was parsed once, however often it was read.
    const int parses = registry.parseCount();
    QVERIFY(parses >= 2 && parses <= 3);
    for (int i = 0; i < 50; ++i)
        registry.values(RootKey::LocalMachine, gameKey);
    QCOMPARE(registry.parseCount(), parses);
}

void TestLinuxRegistry::readsAsA32BitProgram() {
    fakes::TempPrefix prefix;
    const QByteArray body = R"reg([Software\\Both] 1
"which"="64-bit"
[Software\\Classes\\CLSID\\{X}] 1
@="64-bit class"
[Software\\Classes\\CLSID\\{Y}] 1
@="shared class"
[Software\\Classes\\Wow6432Node\\CLSID\\{X}] 1
@="32-bit class"
[Software\\Only64] 1
"which"="64-bit only"
[Software\\Wow6432Node\\Both] 1
"which"="32-bit"
[Software\\Wow6432Node\\Both\\Sub] 1
)reg";
    prefix.writeFile("system.reg", hive("win64", body));
    LinuxRegistry registry(prefix.prefix());
    QCOMPARE(data(registry, RootKey::LocalMachine, "SOFTWARE\\BOTH", "which"),
             QByteArray("32-bit\0", 7));
    QCOMPARE(registry.subkeys(RootKey::LocalMachine, "Software\\Both"), QStringList{"Sub"});
    QCOMPARE(data(registry, RootKey::LocalMachine, "Software\\Only64", "which"),
             QByteArray("64-bit only\0", 12));
    QCOMPARE(data(registry, RootKey::ClassesRoot, "clsid\\{x}", ""),
             QByteArray("32-bit class\0", 13));
    QCOMPARE(data(registry, RootKey::ClassesRoot, "CLSID\\{Y}", ""),
             QByteArray("shared class\0", 13));

    // In a 32-bit prefix there is no other view.
    prefix.writeFile("system.reg", hive("win32", body));
    QCOMPARE(data(registry, RootKey::LocalMachine, "Software\\Both", "which"),
             QByteArray("64-bit\0", 7));
    QCOMPARE(data(registry, RootKey::ClassesRoot, "CLSID\\{X}", ""),
             QByteArray("64-bit class\0", 13));
}

void TestLinuxRegistry::givesStringsAsTheAnsiCallsDo() {
    fakes::TempPrefix prefix;
    prefix.writeFile(
        "system.reg",
        hive("win32", R"reg([Software\\Bullfrog Productions Ltd\\Populous: The Beginning] 1
"InstallPath"="C:\\Games\0junk"
"Number"=dword:0000002a
"Accents"="Caf\xe9 \x263a"
"Expand"=str(2):"%WINDIR%\\x"
"Multi"=str(7):"a\0b\0"
"Cut"=hex(1):41,00
)reg"));
    LinuxRegistry registry(prefix.prefix());
    const auto values = registry.values(RootKey::LocalMachine, gameKey.toLower());
    QVERIFY(values);
    const QList<QByteArray> expected = {QByteArray("C:\\Games\0junk\0", 14),
                                        QByteArray("\x2a\0\0\0", 4),
                                        QString::fromUtf16(u"Café ☺").toLocal8Bit() + '\0',
                                        QByteArray("%WINDIR%\\x\0", 11),
                                        QByteArray("a\0b\0\0", 5),
                                        QByteArray("A")};
    QCOMPARE(values->size(), std::size_t(expected.size()));
    for (qsizetype i = 0; i < expected.size(); ++i)
        QCOMPARE(values->at(std::size_t(i)).data, expected[i]);
    QCOMPARE(values->at(1).type, regtype::Dword);
    QCOMPARE(values->at(3).type, regtype::ExpandSz);

    // A changed file is read again; an unchanged one is not.
    const int parses = registry.parseCount();
    registry.values(RootKey::LocalMachine, gameKey);
    QCOMPARE(registry.parseCount(), parses);
    prefix.writeFile("system.reg", hive("win32", "[Software\\\\Other] 1\n"));
    QVERIFY(!registry.values(RootKey::LocalMachine, gameKey));
    QVERIFY(!registry.values(RootKey::LocalMachine, gameKey));
    QCOMPARE(registry.parseCount(), parses + 1);
    QVERIFY(registry.values(RootKey::LocalMachine, "software\\other"));
}

void TestLinuxRegistry::missingPrefixIsAnEmptyRegistry() {
    const RegEntry value{"a.chm", regtype::Sz, QByteArray("C:\\\0", 4)};
    QTemporaryDir parent;
    const QString root = parent.path() + QStringLiteral("/no-prefix");
    LinuxRegistry missing({root});
    QVERIFY(!missing.values(RootKey::LocalMachine, gameKey));
    QCOMPARE(missing.setValue(RootKey::LocalMachine, helpKey, value), winerror::FileNotFound);
    QVERIFY(!QFileInfo::exists(root));
    // A prefix folder without registry files is no better: nothing is made up.
    fakes::TempPrefix prefix;
    QCOMPARE(LinuxRegistry(prefix.prefix()).setValue(RootKey::LocalMachine, helpKey, value),
             winerror::FileNotFound);
    QVERIFY(!QFileInfo::exists(prefix.root() + "/system.reg"));
}

void TestLinuxRegistry::refusedHivesAreEmpty_data() {
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"fifo", "device", "too large"})
        QTest::newRow(kind) << QString(kind);
}

void TestLinuxRegistry::refusedHivesAreEmpty() {
    // What is read from the prefix is read only when it is a regular file of a hive's size: a
    // FIFO would block for ever, a device or a huge file exhaust the memory.
    QFETCH(QString, kind);
    fakes::TempPrefix prefix;
    const QByteArray game = "[Software\\\\Bullfrog Productions Ltd\\\\Populous: The Beginning] 1\n"
                            "\"InstallPath\"=\"C:\\\\Games\"\n";
    for (const QString name : {"system.reg", "user.reg"}) {
        const QString file = prefix.root() + "/" + name;
        if (kind == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        } else if (kind == "device") {
            QVERIFY(QFile::link("/dev/zero", file));
        } else {
            prefix.writeFile(name, hive("win32", game));
            QVERIFY(QFile::resize(file, LinuxRegistry::MaxHiveSize + 1)); // a sparse tail
        }
    }
    LinuxRegistry registry(prefix.prefix());
    QVERIFY(!registry.values(RootKey::LocalMachine, gameKey));
    QVERIFY(!registry.subkeys(RootKey::LocalMachine, "Software"));
    QVERIFY(!registry.values(RootKey::CurrentUser, gameKey));
    // Nor is a refused hive replaced by a write.
    const QFileInfo before(prefix.root() + "/system.reg");
    QCOMPARE(registry.setValue(RootKey::LocalMachine, helpKey, {"a.chm", regtype::Sz, "C:\\"}),
             winerror::AccessDenied);
    const QFileInfo after(prefix.root() + "/system.reg");
    QCOMPARE(after.isSymLink(), before.isSymLink());
    QCOMPARE(after.size(), before.size());
    QCOMPARE(QDir(prefix.root()).entryList(QDir::Files | QDir::System).size(), 2);
}

void TestLinuxRegistry::writesKeepTheRestOfTheHive() {
    fakes::TempPrefix prefix;
    installRealRegistry(prefix);
    const QString file = prefix.root() + "/system.reg";
    const auto mode = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
    QFile::setPermissions(file, mode);
    const QByteArray original = readFile(file);
    LinuxRegistry registry(prefix.prefix());

    // A new key, where a 32-bit program's write lands; only its section is added.
    QCOMPARE(registry.setValue(RootKey::LocalMachine, helpKey,
                               {"guide.chm", regtype::Sz, QByteArray("C:\\Docs\\\0", 9)}),
             winerror::Success);
    const QByteArray added = readFile(file);
    const qsizetype at =
        added.indexOf("[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\HTML Help] ");
    const QByteArray section = added.mid(at, added.indexOf("\n\n", at) + 2 - at);
    QVERIFY(at > 0);
    QCOMPARE(QByteArray(added).remove(at, section.size()), original);
    QVERIFY(section.contains("\n#time="));
    QVERIFY(section.endsWith("\n\"guide.chm\"=\"C:\\\\Docs\\\\\"\n\n"));
    QCOMPARE(QFile::permissions(file), mode | QFile::ReadUser | QFile::WriteUser);
    QCOMPARE(QDir(prefix.root()).entryList(QDir::Files),
             QStringList({"system.reg", "user.reg", "userdef.reg"}));

    // Set again in another case with non-ASCII text; then deleted.
    const QByteArray ete = QString::fromUtf16(u"C:\\Été\\\0", 8).toLocal8Bit();
    QCOMPARE(registry.setValue(RootKey::LocalMachine, helpKey, {"Guide.chm", regtype::Sz, ete}),
             winerror::Success);
    QVERIFY(readFile(file).contains("\"guide.chm\"=\"C:\\\\\\xc9t\\xe9\\\\\"\n"));
    QCOMPARE(data(registry, RootKey::LocalMachine, helpKey, "GUIDE.CHM"), ete);
    QCOMPARE(registry.deleteValue(RootKey::LocalMachine, helpKey, "GUIDE.chm"), winerror::Success);
    QCOMPARE(registry.deleteValue(RootKey::LocalMachine, helpKey, "guide.chm"),
             winerror::FileNotFound);
    QCOMPARE(data(registry, RootKey::LocalMachine, helpKey, "guide.chm"), QByteArray("<missing>"));

    // An existing value of another key changes in place, and only its key's lines change.
    const QList<QByteArray> before = readFile(file).split('\n');
    QCOMPARE(registry.setValue(RootKey::LocalMachine, gameKey,
                               {"InstallPath", regtype::Sz, QByteArray("E:\\Pop\0", 7)}),
             winerror::Success);
    QCOMPARE(data(registry, RootKey::LocalMachine, gameKey, "InstallPath"),
             QByteArray("E:\\Pop\0", 7));
    const QList<QByteArray> after = readFile(file).split('\n');
    QCOMPARE(after.size(), before.size());
    QStringList differing;
    for (qsizetype i = 0; i < before.size(); ++i)
        if (before[i] != after[i])
            differing << QString::fromLatin1(before[i].left(14));
    QCOMPARE(differing, QStringList({"[Software\\\\Wow", "#time=1dd858ce", "\"InstallPath\"="}));

    // A key behind a link loop cannot be written: refused, the file as it was.
    QByteArray loop;
    for (const char c : QByteArray("\\Registry\\Machine\\Software\\Wow6432Node"))
        loop += QByteArray::number(uchar(c), 16) + ",00,";
    const QByteArray looped =
        hive("win64", "[Software\\\\Wow6432Node] 1\n#link\n\"SymbolicLinkValue\"=hex(6):" +
                          loop.chopped(1) + "\n");
    prefix.writeFile("system.reg", looped);
    QCOMPARE(registry.setValue(RootKey::LocalMachine, helpKey, {"v", regtype::Sz, "x"}),
             winerror::AccessDenied);
    QCOMPARE(readFile(file), looped);
}

void TestLinuxRegistry::refusesWhileAServerRuns() {
    fakes::TempPrefix prefix;
    const QString file =
        prefix.writeFile("system.reg", hive("win32", "[Software\\\\A] 1\n\"x\"=\"1\"\n"));
    const QByteArray original = readFile(file);
    LinuxRegistry registry(prefix.prefix());
    const RegEntry value{"y", regtype::Sz, QByteArray("2\0", 2)};
    const auto set = [&] { return registry.setValue(RootKey::LocalMachine, "Software\\A", value); };

    // Upstream Wine's server folder, then Debian's, named in the prefix.
    const QString wineTmp = QStringLiteral("/tmp/.wine-%1").arg(::getuid());
    const bool hadWineTmp = QFileInfo::exists(wineTmp);
    const QString server = wineTmp + "/" + serverFolderName(prefix.root());
    {
        ServerLock lock(server + "/lock");
        QVERIFY(lock.held);
        QCOMPARE(set(), winerror::Busy);
        QCOMPARE(registry.deleteValue(RootKey::LocalMachine, "Software\\A", "x"), winerror::Busy);
        QCOMPARE(readFile(file), original);
        QCOMPARE(QDir(prefix.root()).entryList(QDir::Files), QStringList{"system.reg"});
    }
    QDir(server).removeRecursively();
    if (!hadWineTmp)
        QDir().rmdir(wineTmp);
    QTemporaryDir debian;
    prefix.writeFile("wineserver", QFile::encodeName(debian.path()) + "\n");
    {
        ServerLock lock(debian.path() + "/" + serverFolderName(prefix.root()) + "/lock");
        QVERIFY(lock.held);
        QCOMPARE(set(), winerror::Busy);
        QCOMPARE(readFile(file), original);
    }
    // The server gone, its lock file left behind: writes go through; so they do when the
    // record is no file to read.
    QVERIFY(QFileInfo::exists(debian.path() + "/" + serverFolderName(prefix.root()) + "/lock"));
    QCOMPARE(set(), winerror::Success);
    QFile::remove(prefix.root() + "/wineserver");
    QCOMPARE(::mkfifo(QFile::encodeName(prefix.root() + "/wineserver").constData(), 0600), 0);
    QCOMPARE(set(), winerror::Success);
}

QTEST_GUILESS_MAIN(TestLinuxRegistry)
#include "test_linux_registry.moc"
