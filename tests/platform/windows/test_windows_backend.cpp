// The Windows backend against Wine's API: registry, drives, files, programs, downloads, facts.

#include "core/game/game_locator.h"
#include "platform/windows/backend.h"
#include "registry_dump.h"

#include <QtTest>

#include <windows.h>

using namespace platform;
using namespace Qt::StringLiterals;
using enum RootKey;

const QString TestKey = u"Software\\Velkor Backend Test"_s;

const auto windowsForm = &QDir::toNativeSeparators;

// The file, and the folders to it.
static bool write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

class TestWindowsBackend : public QObject {
    Q_OBJECT
    std::unique_ptr<Backend> backend = createBackend();
    Services os = backend->services();
    // Not on C:, so that the drives' folders can be told apart: the runner names one on Z:.
    QTemporaryDir temp{qEnvironmentVariable("VELKOR_TEST_FOLDER", QDir::tempPath()) +
                       u"/velkor-XXXXXX"_s};

private slots:
    // Written as the ANSI calls take it, the code page's Latin-1 byte and the NUL kept (reading
    // Wine's own values: registry.sh); deleted once.
    void registryValueWrittenAndDeleted() {
        const RegEntry stored{u"InstallPath"_s, regtype::Sz, QByteArray("C:\\Pop\xe9\0", 8)};
        QCOMPARE(os.registry->setValue(CurrentUser, TestKey, stored), winerror::Success);
        const auto values = os.registry->values(CurrentUser, TestKey);
        QCOMPARE(values && values->size() == 1 ? values->front().data : "none", stored.data);
        QCOMPARE(os.registry->deleteValue(CurrentUser, TestKey, stored.name), winerror::Success);
        QCOMPARE(os.registry->deleteValue(CurrentUser, TestKey, stored.name),
                 winerror::FileNotFound);
    }

    // GOG's record in the 32-bit view (either view lost fails), then Steam's from SteamPath.
    void findsTheStoresCopies() {
        const QString gog = temp.filePath(u"GOG Games/Populous 3"_s),
                      steam = temp.filePath(u"Steam"_s), library = temp.filePath(u"Library"_s),
                      game = library + u"/steamapps/common/Populous 3"_s;
        QVERIFY(QDir().mkpath(gog)); // with no game in it yet
        QByteArray listed = windowsForm(library).toUtf8().replace('\\', "\\\\");
        QVERIFY(write(steam + u"/steamapps/libraryfolders.vdf"_s,
                      "\"libraryfolders\" { \"1\" { \"path\" \"" + listed + "\" } }"));
        QVERIFY(write(library + u"/steamapps/appmanifest_2616430.acf"_s,
                      "\"AppState\" { \"installdir\" \"Populous 3\" }"));
        QVERIFY(write(game + u"/D3DPopTB.exe"_s, "MZ"));
        const QString record = u"SOFTWARE\\GOG.com\\Games\\1207658890"_s;
        const QByteArray path = windowsForm(gog).toLocal8Bit() + '\0';
        QCOMPARE(os.registry->setValue(LocalMachine, record, {u"path"_s, regtype::Sz, path}),
                 winerror::Success);
        const QByteArray steamPath = steam.toLower().toLocal8Bit() + '\0'; // as Steam writes it
        QCOMPARE(os.registry->setValue(CurrentUser, u"Software\\Valve\\Steam"_s,
                                       {u"SteamPath"_s, regtype::Sz, steamPath}),
                 winerror::Success);
        const auto host = createHostFiles();
        QCOMPARE(game::locateInRegistry(*os.registry, *host).toLower(),
                 windowsForm(game).toLower());
        QVERIFY(write(gog + u"/popTB.exe"_s, "MZ"));
        QCOMPARE(game::locateInRegistry(*os.registry, *host), windowsForm(gog));
    }

    void registryDumped() {
        // For windows/registry.sh, which names the file and the subtrees (';'-separated).
        const QString file = qEnvironmentVariable("VELKOR_REGISTRY_DUMP");
        if (file.isEmpty())
            QSKIP("no dump asked for");
        QVERIFY(registrydump::dump(*os.registry,
                                   qEnvironmentVariable("VELKOR_REGISTRY_KEYS").split(u';'), file));
    }

    void drivesAndTheirCurrentFolders() {
        QCOMPARE(os.files->drives(), QStringList({"c:", "z:"})); // as the prefix's dosdevices

        QVERIFY(QDir().mkpath(temp.filePath(u"a/b"_s)));
        const QString folder = os.files->toWindows(temp.path()); // on Z:
        QVERIFY(os.files->changeDrive(u"c"_s));
        QVERIFY(os.files->changeDirectory(u"C:\\windows"_s));
        // Another drive's folder is only remembered; entering that drive goes back to it.
        QVERIFY(os.files->changeDirectory(folder + u"\\a\\b\\.."_s));
        QCOMPARE(os.files->currentDirectory().toLower(), u"c:\\windows"_s);
        QCOMPARE(os.files->currentDirectoryOf(u"Z:"_s), folder + u"\\a"_s);
        QVERIFY(os.files->changeDrive(u"z:"_s));
        QCOMPARE(os.files->currentDirectoryOf(u"c"_s).toLower(), u"c:\\windows"_s);
        QVERIFY(os.files->changeDirectory(u"b"_s));
        QCOMPARE(os.files->toNative(u"x.txt"_s), temp.filePath(u"a/b/x.txt"_s));
        QVERIFY(!os.files->changeDirectory(folder + u"\\missing"_s));
        QVERIFY(!os.files->changeDrive(u"1"_s));
        QCOMPARE(os.files->currentDirectory(), folder + u"\\a\\b"_s);
    }

    void subfoldersAndRegularFiles() {
        for (const char* name : {"b", "A", "c", ".hidden"})
            QVERIFY(QDir(temp.path()).mkpath(u"list/"_s + QLatin1String(name)));
        QFile(temp.filePath(u"list/file"_s)).open(QIODevice::WriteOnly);
        const QString list = windowsForm(temp.filePath(u"list"_s));
        QCOMPARE(*os.files->subfolders(list), QStringList({"A", "b", "c"}));
        QVERIFY(!os.files->subfolders(list + u"\\missing"_s));

        // Writing in place and reading: the settings tests, run under Wine by windows_units.
        for (const QString& refused : {list, u"NUL"_s, QString()}) // a folder, a device, no name
            QVERIFY2(!os.files->openRegularFile(refused, QIODevice::ReadOnly), qPrintable(refused));

        // Replaced whole, nothing left aside; a folder, or a read-only file, refused and kept.
        const QString record = list + u"\\record"_s;
        const auto content = [&] {
            return os.files->openRegularFile(record, QIODevice::ReadOnly)->readAll();
        };
        QVERIFY(os.files->replaceFile(record, "one"));
        QVERIFY(os.files->replaceFile(record, "two"));
        QCOMPARE(content(), "two");
        QVERIFY(!os.files->replaceFile(list, "x"));
        QVERIFY(QFile::setPermissions(temp.filePath(u"list/record"_s), QFile::ReadOwner));
        QVERIFY(!os.files->replaceFile(record, "three"));
        QCOMPARE(content(), "two");
        QCOMPARE(QDir(list).entryList(QDir::Files | QDir::Hidden), QStringList({"file", "record"}));
    }

    // System folder: nothing starts from what is missing, a library's version, no help file.
    void systemFolderFiles() {
        QString system;
        QCOMPARE(os.system->specialFolderPath(0x25, system), 0L); // CSIDL_SYSTEM
        const QString cmd = system + u"\\cmd.exe"_s, folder = windowsForm(temp.path());
        QVERIFY(!os.processes->start(cmd + u".missing"_s, cmd, folder));
        QVERIFY(!os.processes->start(cmd, cmd, folder + u"\\missing"_s));
        const auto record = os.versions->fixedFileInfo(system + u"\\kernel32.dll"_s);
        QCOMPARE(record ? record->size() : 0, 52);
        QCOMPARE(qFromLittleEndian<quint32>(record->constData()), 0xFEEF04BDu);
        QVERIFY(!os.versions->fixedFileInfo(system + u"\\missing.dll"_s));
        QVERIFY(!os.help->canOpen(system + u"\\kernel32.dll"_s));
    }

    // As the Linux build's (test_linux_downloads): only a whole body, within the bound.
    void downloadsOnlyWholeAnswers() {
        const QString page = qEnvironmentVariable("VELKOR_ECHO_URL");
        if (page.isEmpty())
            QSKIP("no echo page");
        const QString native = temp.filePath(u"ip.tmp"_s), file = windowsForm(native);
        const std::pair<const char*, qint64> cases[] = {
            {"myip.php", 14}, {"moved", 14}, {"full", 64 * 1024}, {"cut", 0},
            {"short", 0},     {"long", 0},   {"endless", 0},      {"drip", 0},
            {"silent", 0},    {"missing", 0}}; // 0: none
        for (const auto& [path, size] : cases) {
            QFile::remove(native);
            const QDeadlineTimer bound(3 * Downloads::TotalTimeoutMs);
            const long result = os.downloads->downloadToFile(page + QLatin1String(path), file);
            QVERIFY2(!bound.hasExpired(), path);
            QVERIFY2((result == 0) == (size > 0), path);
            QCOMPARE(QFileInfo(native).size(), size);
        }
        QVERIFY(os.downloads->downloadToFile(u"file:///C:/windows/win.ini"_s, file));
    }

    // The program's and the application data's folders, one instance: windows/start.sh.
    void theProcessOwnFacts() {
        QCOMPARE_GE(os.system->osVersion().major, 6);
        QCOMPARE(os.system->osVersion().platformId, 2);
        SetEnvironmentVariableW(L"Velkor_Test", L"x");
        const auto environment = os.system->environment();
        QCOMPARE(environment.value(u"VELKOR_TEST"_s), u"x"_s);
        QCOMPARE(environment.keys().filter(QRegularExpression(u"^="_s)), QStringList());
    }

    // Windows states the profiles in use; Wine's firewall objects are stubs that answer
    // E_NOTIMPL, which the read passes on instead of a verdict on no rules.
    void firewallReadOrSaysWhyNot() {
        const FirewallState state = os.firewall->read();
        if (state.read) {
            QCOMPARE_NE(state.currentProfiles & fwprofile::All, 0);
            return;
        }
        QVERIFY2(state.problem.contains(u"0x80004001"_s), qPrintable(state.problem));
        QCOMPARE(state.rules.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestWindowsBackend)
#include "test_windows_backend.moc"
