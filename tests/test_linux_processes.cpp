// Real process starts through the Linux backend: the exact file named runs, with the
// arguments a Windows program would see, in the folder asked for.

#include "fakes/recording_game.h"
#include "fakes/temp_prefix.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_processes.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using platform::linuxbackend::LinuxFiles;
using platform::linuxbackend::LinuxProcesses;

// Declared ahead of the test data: moc cannot read past raw string literals.
class LinuxProcessesTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsTheExactFile_data();
    void startsTheExactFile();
    void failedStarts();
    void windowsProgramsStartThroughWine();
    void launchersRunners();

private:
    std::unique_ptr<fakes::TempPrefix> prefix;
    std::unique_ptr<LinuxFiles> files;
    std::unique_ptr<LinuxProcesses> processes;
    QString decoy; // C:\Program.exe, which a guess from a blank-delimited prefix would run
    QString startDir;
    QByteArray saved[3];
};

namespace {

const QString Game = R"(C:\Program Files\Bullfrog\Populous\HW_SW_Select.exe)";
const QString Folder = R"(C:\Program Files\Bullfrog\Populous)";
const QString Pe = Folder + R"(\D3Dpoptb.exe)";
const char* const Environment[] = {"PATH", "WINE", "WINEPREFIX"};

// A stand-in for wine, recording as the recording game does but with $WINEPREFIX first.
const QByteArray FakeWine = "#!/bin/sh\n{ printf '%s\\n' \"$WINEPREFIX\"; for a in \"$@\"; do "
                            "printf '<%s>\\n' \"$a\"; done; } > \"$0.args.tmp\" && mv "
                            "\"$0.args.tmp\" \"$0.args\"\n";

QString executable(const QString& path) {
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

QString canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

void LinuxProcessesTest::init() {
    startDir = QDir::currentPath();
    for (int i = 0; i < 3; ++i)
        saved[i] = qgetenv(Environment[i]);
    prefix = std::make_unique<fakes::TempPrefix>();
    files = std::make_unique<LinuxFiles>(prefix->prefix());
    processes = std::make_unique<LinuxProcesses>(*files);
    prefix->makeFolder("Program Files/Bullfrog/Populous");
    decoy = prefix->driveC() + "/Program.exe";
    fakes::writeRecordingGame(decoy);
    QVERIFY(files->changeDirectory(R"(C:\Program Files\Bullfrog)"));
    QVERIFY(files->changeDrive("c"));
}

void LinuxProcessesTest::cleanup() {
    for (int i = 0; i < 3; ++i)
        saved[i].isNull() ? qunsetenv(Environment[i]) : qputenv(Environment[i], saved[i]);
    QDir::setCurrent(startDir);
    processes.reset();
    files.reset();
    prefix.reset();
}

void LinuxProcessesTest::startsTheExactFile_data() {
    QTest::addColumn<QString>("application");
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("unquoted path with blanks")
        << Game << Game + " /h tcp /boundip 10.0.0.2 /nAnn" << QString()
        << QStringList{"/h", "tcp", "/boundip", "10.0.0.2", "/nAnn"};
    QTest::newRow("shell characters")
        << Game << Game + " /n; rm -rf ~ $(touch x) `id` > y" << QString()
        << QStringList{"/n;", "rm", "-rf", "~", "$(touch", "x)", "`id`", ">", "y"};
    QTest::newRow("empty addresses, name of blanks")
        << Game << Game + " /h tcp /boundip  /externip  /n    " << QString()
        << QStringList{"/h", "tcp", "/boundip", "/externip", "/n"};
    QTest::newRow("quoted, in a folder")
        << Pe << '"' + Pe + R"(" /j tcp /nB)" << Folder << QStringList{"/j", "tcp", "/nB"};
    QTest::newRow("drive root") << R"(C:\\HW_SW_Select.exe)"
                                << R"(C:\\HW_SW_Select.exe /h)" << QString() << QStringList{"/h"};
}

void LinuxProcessesTest::startsTheExactFile() {
    QFETCH(QString, application);
    QFETCH(QString, commandLine);
    QFETCH(QString, folder);
    QFETCH(QStringList, expected);
    const QString script = files->toNative(application);
    QVERIFY(fakes::writeRecordingGame(script));
    QVERIFY(processes->start(application, commandLine, folder));
    QCOMPARE(fakes::recordedArguments(script), expected);
    // An empty working folder is the current one.
    QCOMPARE(canonical(fakes::recordedFolder(script)),
             canonical(files->toNative(folder.isEmpty() ? files->currentDirectory() : folder)));
    QVERIFY(!QFile::exists(decoy + ".args"));
}

void LinuxProcessesTest::failedStarts() {
    fakes::writeRecordingGame(files->toNative(Game));
    prefix->writeFile("drive_c/Program Files/Bullfrog/Populous/poptb.exe", "#!/bin/sh\n");
    for (const QString& application : QStringList{R"(C:\Program Files\Missing\x.exe)",
                                                  Folder + R"(\poptb.exe)", Folder, R"(Q:\x.exe)"})
        QVERIFY2(!processes->start(application, application + " /h", {}), qPrintable(application));
    QVERIFY(!processes->start(QString(), R"(C:\Program.exe)", QString()));
    QVERIFY(!processes->start(Game, Game, R"(C:\No Such Folder)"));

    // A Windows program without a Wine to run it.
    executable(prefix->writeFile("drive_c/Program Files/Bullfrog/Populous/D3Dpoptb.exe", "MZ"));
    qunsetenv("WINE");
    qputenv("PATH", QFile::encodeName(prefix->root() + "/no-bin"));
    QVERIFY(!processes->start(Pe, Pe, QString()));
    qputenv("WINE", "/nonexistent/wine");
    QVERIFY(!processes->start(Pe, Pe, QString()));

    QTest::qWait(200);
    QVERIFY(!QFile::exists(decoy + ".args"));
    QVERIFY(!QFile::exists(files->toNative(Game) + ".args"));
}

void LinuxProcessesTest::windowsProgramsStartThroughWine() {
    const QString wine = executable(prefix->writeFile("bin/wine", FakeWine));
    const QString chosen = executable(prefix->writeFile("other/mywine", FakeWine));
    const QString exe =
        prefix->writeFile("drive_c/Program Files/Bullfrog/Populous/D3Dpoptb.exe", "MZ\x90");
    // A relative prefix holds for the start folder: the drives still resolve once the current
    // folder has moved into the game's, and Wine (which refuses a relative one) gets it whole.
    qputenv("WINEPREFIX", "../../.."); // from C:\Program Files\Bullfrog
    const auto resolved = platform::linuxbackend::WinePrefix::fromEnvironment();
    QVERIFY(files->changeDirectory(Folder));
    QCOMPARE(canonical(LinuxFiles(resolved).toNative(Folder)), canonical(files->toNative(Folder)));
    qunsetenv("WINE");
    qputenv("PATH", QFile::encodeName(prefix->root() + "/bin") + ":/usr/bin:/bin");
    QVERIFY(processes->start(Pe, '"' + Pe + R"(" /h tcp /n"A B")", Folder));
    const QString given = fakes::recordedFolder(wine); // $WINEPREFIX
    QVERIFY2(QDir::isAbsolutePath(given), qPrintable(given));
    QCOMPARE(canonical(given), canonical(prefix->root()));
    const QStringList arguments = fakes::recordedArguments(wine);
    QCOMPARE(canonical(arguments.first()), canonical(exe));
    QCOMPARE(arguments.mid(1), (QStringList{"/h", "tcp", "/nA B"}));

    // $WINE wins over PATH.
    QFile::remove(wine + ".args");
    qputenv("WINE", QFile::encodeName(chosen));
    QVERIFY(processes->start(Pe, Pe, QString()));
    QCOMPARE(fakes::recordedArguments(chosen).size(), 1);
    QVERIFY(!QFile::exists(wine + ".args"));
}

void LinuxProcessesTest::launchersRunners() {
    using platform::linuxbackend::WineRunner;
    // Records its arguments after the prefix and Steam variables it was given.
    const QByteArray recorder =
        "#!/bin/sh\n{ printf '%s|%s|%s\\n' \"$WINEPREFIX\" "
        "\"$STEAM_COMPAT_DATA_PATH\" \"$STEAM_COMPAT_CLIENT_INSTALL_PATH\"; "
        "for a in \"$@\"; do printf '<%s>\\n' \"$a\"; done; } > "
        "\"$0.args.tmp\" && mv \"$0.args.tmp\" \"$0.args\"\n";
    const QString wine = executable(prefix->writeFile("runners/wine", recorder));
    const QString proton = executable(prefix->writeFile("proton/proton", recorder));
    const QString fallback = executable(prefix->writeFile("bin/wine", recorder));
    const QString exe =
        prefix->writeFile("drive_c/Program Files/Bullfrog/Populous/D3Dpoptb.exe", "MZ\x90");
    qputenv("WINE", QFile::encodeName(fallback));
    qputenv("WINEPREFIX", "/elsewhere");

    LinuxProcesses recorded(*files, prefix->prefix(), {WineRunner::Kind::Wine, wine, {}, {}});
    QVERIFY(recorded.start(Pe, Pe + " /h", QString()));
    QCOMPARE(fakes::recordedFolder(wine), prefix->root() + "||");
    QCOMPARE(canonical(fakes::recordedArguments(wine).value(0)), canonical(exe));

    LinuxProcesses viaProton(*files, prefix->prefix(),
                             {WineRunner::Kind::Proton, proton, "/compat", "/steam"});
    QVERIFY(viaProton.start(Pe, Pe + " /h", QString()));
    QCOMPARE(fakes::recordedFolder(proton), "|/compat|/steam");
    const QStringList arguments = fakes::recordedArguments(proton);
    QCOMPARE(arguments.size(), 3);
    QCOMPARE(arguments[0], "run");
    QCOMPARE(canonical(arguments[1]), canonical(exe));
    QCOMPARE(arguments[2], "/h");

    // A prefix nobody knows how to start: no Wine at all, not even $WINE.
    LinuxProcesses none(*files, prefix->prefix(), {WineRunner::Kind::None, wine, {}, {}});
    QVERIFY(!none.start(Pe, Pe, QString()));
    QVERIFY(!QFile::exists(fallback + ".args"));
}

QTEST_GUILESS_MAIN(LinuxProcessesTest)
#include "test_linux_processes.moc"
