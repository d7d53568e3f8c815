// The Windows backend against a real Windows API (Wine's, in a throw-away prefix): the registry in
// the 32-bit view with ANSI data, the drives' current folders, regular files only, the exact
// program started, the bounded download, the process's own facts (Winsock: tests/windows/start.sh).

#include "platform/windows/backend.h"
#include "platform/windows/windows_files.h"
#include "platform/windows/windows_system.h"
#include "registry_dump.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <algorithm>

#include <windows.h>

using namespace platform;

namespace {

const QString TestKey = QStringLiteral("Software\\Velkor Backend Test");

const auto windowsForm = &QDir::toNativeSeparators;

} // namespace

class TestWindowsBackend : public QObject {
    Q_OBJECT
    std::unique_ptr<Backend> backend = createBackend();
    Services os = backend->services();
    // Not on C:, so that the drives' folders can be told apart: the runner names one on Z:.
    QTemporaryDir temp{qEnvironmentVariable("VELKOR_TEST_FOLDER", QDir::tempPath()) +
                       QStringLiteral("/velkor-XXXXXX")};

private slots:
    void registryValuesAsTheAnsiCallsGiveThem() {
        // The Latin-1 byte is the ANSI code page's.
        const std::vector<RegEntry> stored{
            {QString(), regtype::Sz, QByteArray("default\0", 8)},
            {QStringLiteral("InstallPath"), regtype::Sz, QByteArray("C:\\Games\\Pop\xe9\0", 14)},
            {QStringLiteral("Two"), regtype::Sz, QByteArray("a\0b\0", 4)},
            {QStringLiteral("List"), regtype::MultiSz, QByteArray("x\0yz\0\0", 6)},
            {QStringLiteral("Count"), regtype::Dword, QByteArray("\x07\0\0\0", 4)},
            {QStringLiteral("Raw"), regtype::Binary, QByteArray("\0\1\2", 3)},
        };
        // Written, then read back as stored, NULs and all (reading alone:
        // tests/windows/registry.sh).
        const auto text = [](const std::vector<RegEntry>& values) {
            QStringList lines;
            for (const RegEntry& v : values)
                lines << v.name + u'|' + QString::number(v.type) + u'|' + v.data.toHex();
            lines.sort(); // Wine keeps values by name
            return lines;
        };
        for (const RegEntry& entry : stored)
            QCOMPARE(os.registry->setValue(RootKey::CurrentUser, TestKey, entry),
                     winerror::Success);
        QCOMPARE(text(*os.registry->values(RootKey::CurrentUser, TestKey)), text(stored));
        QCOMPARE(os.registry->deleteValue(RootKey::CurrentUser, TestKey, QStringLiteral("Raw")),
                 winerror::Success);
        QCOMPARE(os.registry->deleteValue(RootKey::CurrentUser, TestKey, QStringLiteral("Raw")),
                 winerror::FileNotFound);
        QCOMPARE(os.registry->values(RootKey::CurrentUser, TestKey)->size(), stored.size() - 1);
    }

    void registryInTheGameInstallersView() {
        // A 64-bit program's own view holds another value; the backend reads and writes the
        // 32-bit one, where the game's 32-bit installer wrote.
        const QString key = QStringLiteral("Software\\Velkor View Test");
        HKEY native = nullptr;
        QCOMPARE(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.toStdWString().c_str(), 0, nullptr, 0,
                                 KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &native, nullptr),
                 LONG(ERROR_SUCCESS));
        RegSetValueExA(native, "InstallPath", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\Wrong"),
                       9);
        RegCloseKey(native);
        QVERIFY(!os.registry->values(RootKey::LocalMachine, key));
        const RegEntry right{QStringLiteral("InstallPath"), regtype::Sz, QByteArray("C:\\Pop", 7)};
        QCOMPARE(os.registry->setValue(RootKey::LocalMachine, key, right), winerror::Success);
        const auto values = os.registry->values(RootKey::LocalMachine, key);
        QVERIFY(values && values->size() == 1);
        QCOMPARE(values->front().data, right.data);
    }

    void registryDumped() {
        // For tests/windows/registry.sh, which names the file and the subtrees (';'-separated)
        // and compares the dump with the Linux backend's of the same prefix.
        const QString file = qEnvironmentVariable("VELKOR_REGISTRY_DUMP");
        if (file.isEmpty())
            QSKIP("no dump asked for");
        QVERIFY(registrydump::dump(*os.registry,
                                   qEnvironmentVariable("VELKOR_REGISTRY_KEYS").split(u';'), file));
    }

    void drivesAndTheirCurrentFolders() {
        QCOMPARE(os.files->drives(), QStringList({"c:", "z:"})); // as the prefix's dosdevices

        QVERIFY(QDir().mkpath(temp.filePath(QStringLiteral("a/b"))));
        const QString folder = os.files->toWindows(temp.path()); // on Z:
        QVERIFY(os.files->changeDrive(QStringLiteral("c")));
        QVERIFY(os.files->changeDirectory(QStringLiteral("C:\\windows")));
        // Another drive's folder is only remembered; entering that drive goes back to it.
        QVERIFY(os.files->changeDirectory(folder + QStringLiteral("\\a\\b\\..")));
        QCOMPARE(os.files->currentDirectory().toLower(), QStringLiteral("c:\\windows"));
        QCOMPARE(os.files->currentDirectoryOf(QStringLiteral("Z:")),
                 folder + QStringLiteral("\\a"));
        QVERIFY(os.files->changeDrive(QStringLiteral("z:")));
        QCOMPARE(os.files->currentDirectory(), folder + QStringLiteral("\\a"));
        QCOMPARE(os.files->currentDirectoryOf(QStringLiteral("c")).toLower(),
                 QStringLiteral("c:\\windows"));
        QVERIFY(os.files->changeDirectory(QStringLiteral("b")));
        QCOMPARE(os.files->toNative(QStringLiteral("x.txt")),
                 temp.filePath(QStringLiteral("a/b/x.txt")));
        QVERIFY(!os.files->changeDirectory(folder + QStringLiteral("\\missing")));
        QVERIFY(!os.files->changeDrive(QStringLiteral("1")));
        QCOMPARE(os.files->currentDirectory(), folder + QStringLiteral("\\a\\b"));
    }

    void subfoldersAndRegularFiles() {
        for (const char* name : {"b", "A", "c", ".hidden"})
            QVERIFY(QDir(temp.path()).mkpath(QStringLiteral("list/") + QLatin1String(name)));
        QFile(temp.filePath(QStringLiteral("list/file"))).open(QIODevice::WriteOnly);
        const QString list = windowsForm(temp.filePath(QStringLiteral("list")));
        QCOMPARE(*os.files->subfolders(list), QStringList({"A", "b", "c"}));
        QVERIFY(!os.files->subfolders(list + QStringLiteral("\\missing")));

        // Writing in place and reading: the settings tests, run under Wine by windows_units.
        for (const QString& refused : {list, list + QStringLiteral("\\missing"),
                                       QStringLiteral("NUL"), QStringLiteral("CON"), QString()})
            QVERIFY2(!os.files->openRegularFile(refused, QIODevice::ReadOnly), qPrintable(refused));
    }

    void startsTheProgramNamed() {
        // The game itself in its folder, not the decoy at the blank: tests/windows/start.sh. A
        // program or folder that is not there starts nothing.
        const QString folder = windowsForm(temp.path());
        QString cmd;
        QCOMPARE(os.system->specialFolderPath(0x25, cmd), 0L); // CSIDL_SYSTEM
        cmd += QStringLiteral("\\cmd.exe");
        QVERIFY(!os.processes->start(cmd + QStringLiteral(".missing"), cmd, folder));
        QVERIFY(!os.processes->start(cmd, cmd, folder + QStringLiteral("\\missing")));
    }

    void downloadsOnlyWholeAnswers() {
        // The loopback echo page the runner started, if any.
        const QString page = qEnvironmentVariable("VELKOR_ECHO_URL");
        if (page.isEmpty())
            QSKIP("no echo page");
        const QString file = windowsForm(temp.filePath(QStringLiteral("ip.tmp")));
        const struct {
            const char* path;
            bool stored;
            qint64 size;
        } cases[] = {{"myip.php", true, 13},
                     {"moved", true, 13},
                     {"big", true, 64 * 1024},
                     {"missing", false, 0}};
        for (const auto& c : cases) {
            QFile::remove(temp.filePath(QStringLiteral("ip.tmp")));
            const long result = os.downloads->downloadToFile(page + QLatin1String(c.path), file);
            const qint64 size = QFileInfo(temp.filePath(QStringLiteral("ip.tmp"))).size();
            QVERIFY2((result == 0) == c.stored && size == c.size, c.path);
        }
        QVERIFY(os.downloads->downloadToFile(QStringLiteral("file:///C:/windows/win.ini"), file));
    }

    void theProcessOwnFacts() {
        QCOMPARE(os.system->programFolder(), windowsForm(QCoreApplication::applicationDirPath()));
        QString appData;
        QCOMPARE(os.system->specialFolderPath(26, appData), 0L);
        QVERIFY2(appData.endsWith(QStringLiteral("\\AppData\\Roaming")), qPrintable(appData));
        QVERIFY(os.system->osVersion().major >= 6 && os.system->osVersion().platformId == 2);
        SetEnvironmentVariableW(L"Velkor_Test", L"x");
        const auto environment = os.system->environment();
        QCOMPARE(environment.value(QStringLiteral("VELKOR_TEST")), QStringLiteral("x"));
        QVERIFY(std::none_of(environment.keyBegin(), environment.keyEnd(), [](const QString& name) {
            return name.startsWith(QLatin1Char('='));
        }));
        // One instance per user: a second claim in this process stands for another Velkor.
        QVERIFY(os.system->claimSingleInstance());
        QVERIFY(!windowsbackend::WindowsSystem().claimSingleInstance());
    }

    void versionsAndHelpFiles() {
        QString system;
        QCOMPARE(os.system->specialFolderPath(0x25, system), 0L);
        const auto record = os.versions->fixedFileInfo(system + QStringLiteral("\\kernel32.dll"));
        QVERIFY(record && record->size() == 52);
        QCOMPARE(qFromLittleEndian<quint32>(record->constData()), 0xFEEF04BDu);
        QVERIFY(!os.versions->fixedFileInfo(system + QStringLiteral("\\missing.dll")));
        const QString help = os.system->programFolder() + QStringLiteral("\\velkorhelp.chm");
        QVERIFY(os.help->canOpen(help));
        QVERIFY(!os.help->canOpen(system + QStringLiteral("\\kernel32.dll")));
    }
};

QTEST_GUILESS_MAIN(TestWindowsBackend)
#include "test_windows_backend.moc"
