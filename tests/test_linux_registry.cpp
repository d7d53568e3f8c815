// The registry of a Wine prefix as Velkor, a 32-bit program, sees it: the real Wine 8.0 files,
// hand-made hives for the 32-bit view and string forms, and writes that Wine would not lose.

#include "fakes/temp_prefix.h"
#include "platform/basRegistry.h"
#include "platform/linux/linux_registry.h"
#include "platform/platform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
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
    xz.start(QStringLiteral("xz"),
             {QStringLiteral("-dc"), QStringLiteral(VELKOR_TEST_DATA "/wine-8.0/system.reg.xz")});
    QVERIFY2(xz.waitForFinished(60000) && xz.exitCode() == 0, "xz could not unpack system.reg");
    prefix.writeFile(QStringLiteral("system.reg"), xz.readAllStandardOutput());
    for (const char* name : {"user.reg", "userdef.reg"})
        prefix.writeFile(
            QLatin1String(name),
            readFile(QStringLiteral(VELKOR_TEST_DATA "/wine-8.0/") + QLatin1String(name)));
}

QByteArray hive(const QByteArray& arch, const QByteArray& body) {
    return "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=" + arch +
           "\n\n" + body;
}

std::optional<RegEntry> entry(LinuxRegistry& registry, RootKey root, const QString& key,
                              const QString& name) {
    const auto values = registry.values(root, key);
    if (values)
        for (const RegEntry& value : *values)
            if (value.name.compare(name, Qt::CaseInsensitive) == 0)
                return value;
    return std::nullopt;
}

QByteArray data(LinuxRegistry& registry, RootKey root, const QString& key, const QString& name) {
    const auto value = entry(registry, root, key, name);
    return value ? value->data : QByteArray("<missing>");
}

// Another process holding a wineserver's lock on a file, as long as this object lives.
class ServerLock {
public:
    explicit ServerLock(const QString& file) {
        QDir().mkpath(QFileInfo(file).path());
        const QByteArray path = QFile::encodeName(file);
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            const int fd = ::open(path.constData(), O_RDWR | O_CREAT, 0600);
            struct flock lock = {};
            lock.l_type = F_WRLCK;
            lock.l_whence = SEEK_SET;
            lock.l_len = 1;
            const char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &lock) == 0;
            if (::write(ready[1], &ok, 1) != 1)
                ::_exit(1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        char ok = 0;
        held_ = pid_ > 0 && ::read(ready[0], &ok, 1) == 1 && ok;
        ::close(ready[0]);
    }
    ~ServerLock() { release(); }
    void release() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }
    bool held() const { return held_; }

private:
    pid_t pid_ = -1;
    bool held_ = false;
};

QString serverFolderName(const QString& prefix) {
    struct stat st;
    ::stat(QFile::encodeName(prefix).constData(), &st);
    return QStringLiteral("server-%1-%2")
        .arg(static_cast<qulonglong>(st.st_dev), 0, 16)
        .arg(static_cast<qulonglong>(st.st_ino), 0, 16);
}

// `after` is `before` with `inserted` put in at one place.
bool insertedOnce(const QByteArray& before, const QByteArray& after, const QByteArray& inserted) {
    if (after.size() != before.size() + inserted.size())
        return false;
    qsizetype at = 0;
    while (at < before.size() && before[at] == after[at])
        ++at;
    for (; at >= 0; --at)
        if (after.mid(at, inserted.size()) == inserted &&
            after.left(at) + after.mid(at + inserted.size()) == before)
            return true;
    return false;
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
    QCOMPARE(data(registry, RootKey::LocalMachine, gameKey, "InstallPath"),
             QByteArray("C:\\Games\\Populous\0", 18));
    platform::Services services;
    services.registry = &registry;
    platform::install(services);
    QCOMPARE(ReadRegistryValue(RootKey::LocalMachine, gameKey, "InstallPath").toString(),
             QStringLiteral("C:\\Games\\Populous"));
    platform::install({});

    // What the help class asks for.
    QVERIFY(registry.subkeys(RootKey::LocalMachine,
                             "SOFTWARE\\Classes\\TypeLib\\{ADB880A2-D8FF-11CF-9377-"
                             "00AA003B7A11}"));
    QCOMPARE(data(registry, RootKey::ClassesRoot,
                  "CLSID\\{41B23C28-488E-4E5C-ACE2-BB0BBABE99E8}\\InprocServer32", ""),
             QByteArray("C:\\windows\\system32\\hhctrl.ocx\0", 31));
    QVERIFY(!registry.values(RootKey::ClassesRoot,
                             "CLSID\\{4662DAB0-D393-11D0-9A56-00C04FB68B66}\\InprocServer32"));
    QVERIFY(!registry.values(RootKey::LocalMachine, helpKey));
    // Wine 8.0 gives 32-bit programs an empty CurrentVersion key; the native one has the data.
    const QString versionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
    QCOMPARE(data(registry, RootKey::LocalMachine, versionKey, "CurrentVersion"),
             QByteArray("<missing>"));
    const auto native =
        registry.values(RootKey::LocalMachine, versionKey, LinuxRegistry::View::Native);
    QVERIFY(native);
    QVERIFY(std::any_of(native->begin(), native->end(), [](const RegEntry& e) {
        return e.name == "CurrentVersion" && e.data == QByteArray("6.1\0", 4);
    }));
    QVERIFY(std::any_of(native->begin(), native->end(), [](const RegEntry& e) {
        return e.name == "InstallDate" && e.data == QByteArray("\x9a\x01\xe5\x4b", 4);
    }));

    // The user hives.
    QCOMPARE(data(registry, RootKey::CurrentUser, "Control Panel\\Desktop", "BlockSendInputResets"),
             QByteArray("0\0", 2));
    QCOMPARE(data(registry, RootKey::Users, "S-1-5-21-0-0-0-1000\\Control Panel\\Desktop",
                  "BlockSendInputResets"),
             QByteArray("0\0", 2));
    QVERIFY(registry.subkeys(RootKey::Users,
                             ".default\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer"));
    QVERIFY(!registry.values(RootKey::Users, "S-1-5-18\\Control Panel"));
    QVERIFY(!registry.values(RootKey::DynData, ""));

    // Each file was parsed once, however often it was read.
    QCOMPARE(registry.parseCount(), 3);
    for (int i = 0; i < 50; ++i)
        registry.values(RootKey::LocalMachine, gameKey);
    QCOMPARE(registry.parseCount(), 3);
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
    QCOMPARE(data(registry, RootKey::LocalMachine, "Software\\Wow6432Node\\Only64", "which"),
             QByteArray("<missing>"));
    QCOMPARE(data(registry, RootKey::ClassesRoot, "clsid\\{x}", ""),
             QByteArray("32-bit class\0", 13));
    QCOMPARE(data(registry, RootKey::ClassesRoot, "CLSID\\{Y}", ""),
             QByteArray("shared class\0", 13));
    QCOMPARE(data(registry, RootKey::LocalMachine, "Software\\Classes\\CLSID\\{X}", ""),
             QByteArray("64-bit class\0", 13)); // no Wow6432Node\Classes link in this hive

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
"InstallDrive"="D:"
"InstallPath"="C:\\Games\0junk"
"Number"=dword:0000002a
"Accents"="Caf\xe9 \x263a"
"Expand"=str(2):"%WINDIR%\\x"
"Multi"=str(7):"a\0b\0"
"Binary"=hex:01,02
"Cut"=hex(1):41,00
)reg"));
    LinuxRegistry registry(prefix.prefix());
    const auto values = registry.values(RootKey::LocalMachine, gameKey.toLower());
    QVERIFY(values);
    QCOMPARE(values->size(), std::size_t(8));
    QCOMPARE(values->at(0).name, QStringLiteral("InstallDrive"));
    QCOMPARE(values->at(1).data, QByteArray("C:\\Games\0junk\0", 14));
    QCOMPARE(values->at(2).type, regtype::Dword);
    QCOMPARE(values->at(2).data, QByteArray("\x2a\0\0\0", 4));
    QCOMPARE(values->at(3).data, QString::fromUtf16(u"Café ☺").toLocal8Bit() + '\0');
    QCOMPARE(values->at(4).type, regtype::ExpandSz);
    QCOMPARE(values->at(4).data, QByteArray("%WINDIR%\\x\0", 11));
    QCOMPARE(values->at(5).data, QByteArray("a\0b\0\0", 5));
    QCOMPARE(values->at(6).data, QByteArray("\1\2", 2));
    QCOMPARE(values->at(7).data, QByteArray("A"));

    // A changed file is read again; an unchanged one is not.
    const int parses = registry.parseCount();
    registry.values(RootKey::LocalMachine, gameKey);
    QCOMPARE(registry.parseCount(), parses);
    prefix.writeFile("system.reg", hive("win32", "[Software\\\\Other] 1\n"));
    QVERIFY(!registry.values(RootKey::LocalMachine, gameKey));
    QVERIFY(registry.values(RootKey::LocalMachine, "software\\other"));
    QCOMPARE(registry.parseCount(), parses + 1);
}

void TestLinuxRegistry::missingPrefixIsAnEmptyRegistry() {
    QTemporaryDir parent;
    const QString root = parent.path() + QStringLiteral("/no-prefix");
    LinuxRegistry registry({root});
    QVERIFY(!registry.values(RootKey::LocalMachine, gameKey));
    QVERIFY(!registry.subkeys(RootKey::LocalMachine, "Software"));
    QVERIFY(!registry.values(RootKey::CurrentUser, "Software"));
    QCOMPARE(registry.setValue(RootKey::LocalMachine, helpKey, {"a.chm", regtype::Sz, "C:\\\0"}),
             winerror::FileNotFound);
    QCOMPARE(registry.deleteValue(RootKey::LocalMachine, helpKey, "a.chm"), winerror::FileNotFound);
    QVERIFY(!QFileInfo::exists(root));

    // A prefix folder without registry files is no better: nothing is made up.
    fakes::TempPrefix prefix;
    LinuxRegistry empty(prefix.prefix());
    QCOMPARE(empty.setValue(RootKey::LocalMachine, helpKey, {"a.chm", regtype::Sz, "C:\\\0"}),
             winerror::FileNotFound);
    QVERIFY(!QFileInfo::exists(prefix.root() + "/system.reg"));
}

void TestLinuxRegistry::writesKeepTheRestOfTheHive() {
    fakes::TempPrefix prefix;
    installRealRegistry(prefix);
    const QString file = prefix.root() + "/system.reg";
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const QByteArray original = readFile(file);
    LinuxRegistry registry(prefix.prefix());

    // A new key, where a 32-bit program's write lands; only its section is added.
    QCOMPARE(registry.setValue(RootKey::LocalMachine, helpKey,
                               {"guide.chm", regtype::Sz, QByteArray("C:\\Docs\\\0", 9)}),
             winerror::Success);
    QCOMPARE(data(registry, RootKey::LocalMachine, helpKey, "GUIDE.CHM"),
             QByteArray("C:\\Docs\\\0", 9));
    const QByteArray added = readFile(file);
    const auto stamp =
        QRegularExpression(
            R"(\[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\HTML Help\] (\d+)\n(#time=[0-9a-f]+)\n)")
            .match(QString::fromLatin1(added));
    QVERIFY(stamp.hasMatch());
    const QByteArray section = "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\HTML Help] " +
                               stamp.captured(1).toLatin1() + "\n" + stamp.captured(2).toLatin1() +
                               "\n\"guide.chm\"=\"C:\\\\Docs\\\\\"\n\n";
    QVERIFY(insertedOnce(original, added, section));
    QVERIFY(qAbs(stamp.captured(1).toLongLong() - QDateTime::currentSecsSinceEpoch()) < 100);
    QCOMPARE(QFile::permissions(file), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                           QFile::ReadUser | QFile::WriteUser);
    QCOMPARE(QDir(prefix.root()).entryList(QDir::Files),
             QStringList({"system.reg", "user.reg", "userdef.reg"}));

    // Set again, another value, non-ASCII text; then deleted.
    QCOMPARE(registry.setValue(
                 RootKey::LocalMachine, helpKey,
                 {"Guide.chm", regtype::Sz, QString::fromUtf16(u"C:\\Été\\\0", 8).toLocal8Bit()}),
             winerror::Success);
    QCOMPARE(registry.setValue(RootKey::LocalMachine, helpKey,
                               {"other.chm", regtype::Sz, QByteArray("D:\\\0", 4)}),
             winerror::Success);
    QVERIFY(readFile(file).contains(
        "\"guide.chm\"=\"C:\\\\\\xc9t\\xe9\\\\\"\n\"other.chm\"=\"D:\\\\\"\n"));
    QCOMPARE(data(registry, RootKey::LocalMachine, helpKey, "guide.chm"),
             QString::fromUtf16(u"C:\\Été\\\0", 8).toLocal8Bit());
    QCOMPARE(registry.deleteValue(RootKey::LocalMachine, helpKey, "GUIDE.chm"), winerror::Success);
    QCOMPARE(registry.deleteValue(RootKey::LocalMachine, helpKey, "guide.chm"),
             winerror::FileNotFound);
    QCOMPARE(registry.deleteValue(RootKey::LocalMachine, "Software\\Nowhere", "x"),
             winerror::FileNotFound);
    QCOMPARE(data(registry, RootKey::LocalMachine, helpKey, "guide.chm"), QByteArray("<missing>"));
    QCOMPARE(data(registry, RootKey::LocalMachine, helpKey, "other.chm"), QByteArray("D:\\\0", 4));

    // An existing value of another key changes in place, and only its key's lines change.
    const QByteArray changed = readFile(file);
    QCOMPARE(registry.setValue(RootKey::LocalMachine, gameKey,
                               {"InstallPath", regtype::Sz, QByteArray("E:\\Pop\0", 7)}),
             winerror::Success);
    QCOMPARE(data(registry, RootKey::LocalMachine, gameKey, "InstallPath"),
             QByteArray("E:\\Pop\0", 7));
    const QList<QByteArray> before = changed.split('\n'), after = readFile(file).split('\n');
    QCOMPARE(after.size(), before.size());
    QStringList differing;
    for (qsizetype i = 0; i < before.size(); ++i)
        if (before[i] != after[i])
            differing << QString::fromLatin1(before[i].left(14));
    QCOMPARE(differing, QStringList({"[Software\\\\Wow", "#time=1dd858ce", "\"InstallPath\"="}));
}

void TestLinuxRegistry::refusesWhileAServerRuns() {
    fakes::TempPrefix prefix;
    prefix.writeFile("system.reg", hive("win32", "[Software\\\\A] 1\n\"x\"=\"1\"\n"));
    const QString file = prefix.root() + "/system.reg";
    const QByteArray original = readFile(file);
    LinuxRegistry registry(prefix.prefix());
    const RegEntry value{"y", regtype::Sz, QByteArray("2\0", 2)};

    // Upstream Wine's server folder.
    const QString wineTmp = QStringLiteral("/tmp/.wine-%1").arg(::getuid());
    const bool hadWineTmp = QFileInfo::exists(wineTmp);
    const QString server = wineTmp + "/" + serverFolderName(prefix.root());
    {
        ServerLock lock(server + "/lock");
        QVERIFY(lock.held());
        QCOMPARE(registry.setValue(RootKey::LocalMachine, "Software\\A", value), winerror::Busy);
        QCOMPARE(registry.deleteValue(RootKey::LocalMachine, "Software\\A", "x"), winerror::Busy);
        QCOMPARE(readFile(file), original);
        QCOMPARE(QDir(prefix.root()).entryList(QDir::Files), QStringList{"system.reg"});
    }
    // The server gone, its lock file left behind: writes go through.
    QVERIFY(QFileInfo::exists(server + "/lock"));
    QCOMPARE(registry.setValue(RootKey::LocalMachine, "Software\\A", value), winerror::Success);
    QDir(server).removeRecursively();
    if (!hadWineTmp)
        QDir().rmdir(wineTmp);

    // Debian's server folder, named in the prefix.
    QTemporaryDir debian;
    prefix.writeFile("wineserver", QFile::encodeName(debian.path()) + "\n");
    const QByteArray written = readFile(file);
    {
        ServerLock lock(debian.path() + "/" + serverFolderName(prefix.root()) + "/lock");
        QVERIFY(lock.held());
        QCOMPARE(registry.setValue(RootKey::LocalMachine, "Software\\A", value), winerror::Busy);
        QCOMPARE(readFile(file), written);
    }
    QCOMPARE(registry.deleteValue(RootKey::LocalMachine, "Software\\A", "y"), winerror::Success);
}

QTEST_GUILESS_MAIN(TestLinuxRegistry)
#include "test_linux_registry.moc"
