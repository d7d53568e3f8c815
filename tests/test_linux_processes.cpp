// Real process starts through the Linux backend: the exact file named runs, with the
// arguments a Windows program would see, in the folder asked for.

#include "fakes/recording_game.h"
#include "fakes/temp_prefix.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_processes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using platform::linuxbackend::LinuxFiles;
using platform::linuxbackend::LinuxProcesses;

namespace {

// A stand-in for wine that records its arguments and the prefix it was given.
const QByteArray FakeWine = "#!/bin/sh\n"
                            "{ printf 'WINEPREFIX=%s\\n' \"$WINEPREFIX\"; for a in \"$@\"; do "
                            "printf '<%s>\\n' \"$a\"; done; } > \"$0.args.tmp\" && mv "
                            "\"$0.args.tmp\" \"$0.args\"\n";

QString writeScript(const QString& path, const QByteArray& content, bool executable = true) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(content);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
    return path;
}

QStringList wrapped(const QStringList& arguments) {
    QStringList lines;
    for (const QString& a : arguments)
        lines << QLatin1Char('<') + a + QLatin1Char('>');
    return lines;
}

QString recorder(const QString& path) {
    fakes::writeRecordingGame(path);
    return path;
}

} // namespace

class LinuxProcessesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsTheExactFileNotAPrefixOfIt();
    void argumentsArriveAsData_data();
    void argumentsArriveAsData();
    void driveRootWithDoubledBackslash();
    void quotedApplicationAndWorkingFolder();
    void emptyWorkingFolderIsTheCurrentOne();
    void failedStarts();
    void windowsProgramsStartThroughWine();
    void noWineMeansNoStart();

private:
    std::unique_ptr<fakes::TempPrefix> prefix;
    std::unique_ptr<LinuxFiles> files;
    std::unique_ptr<LinuxProcesses> processes;
    QString gameFolder; // native
    QString decoy;      // native C:\Program.exe
    QByteArray savedPath, savedWine, savedPrefix;
};

void LinuxProcessesTest::init() {
    savedPath = qgetenv("PATH");
    savedWine = qgetenv("WINE");
    savedPrefix = qgetenv("WINEPREFIX");
    prefix = std::make_unique<fakes::TempPrefix>();
    files = std::make_unique<LinuxFiles>(prefix->prefix());
    processes = std::make_unique<LinuxProcesses>(*files);
    gameFolder = prefix->makeFolder(QStringLiteral("Program Files/Bullfrog/Populous"));
    recorder(gameFolder + QStringLiteral("/HW_SW_Select.exe"));
    decoy = recorder(prefix->driveC() + QStringLiteral("/Program.exe"));
}

void LinuxProcessesTest::cleanup() {
    qputenv("PATH", savedPath);
    if (savedWine.isNull())
        qunsetenv("WINE");
    else
        qputenv("WINE", savedWine);
    if (savedPrefix.isNull())
        qunsetenv("WINEPREFIX");
    else
        qputenv("WINEPREFIX", savedPrefix);
    processes.reset();
    files.reset();
    prefix.reset();
}

void LinuxProcessesTest::startsTheExactFileNotAPrefixOfIt() {
    const QString app = R"(C:\Program Files\Bullfrog\Populous\HW_SW_Select.exe)";
    QVERIFY(processes->start(app, app + " /h tcp /boundip 10.0.0.2 /nAnn", QString()));
    const QStringList lines = fakes::recordedLines(gameFolder + "/HW_SW_Select.exe");
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.mid(1), wrapped({"/h", "tcp", "/boundip", "10.0.0.2", "/nAnn"}));
    // The decoy that a blank-delimited guess would have run never ran.
    QTest::qWait(200);
    QVERIFY(!QFile::exists(decoy + ".args"));
}

void LinuxProcessesTest::argumentsArriveAsData_data() {
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("shell characters")
        << "/j tcp 1.2.3.4 /n; rm -rf ~ $(touch x) `id` > y"
        << QStringList{"/j", "tcp",     "1.2.3.4", "/n;",  "rm", "-rf",
                       "~",  "$(touch", "x)",      "`id`", ">",  "y"};
    QTest::newRow("empty addresses") << "/h tcp /boundip  /externip  /nU"
                                     << QStringList{"/h", "tcp", "/boundip", "/externip", "/nU"};
    QTest::newRow("name of blanks") << "/h tcp /boundip 1.2.3.4 /n    "
                                    << QStringList{"/h", "tcp", "/boundip", "1.2.3.4", "/n"};
    QTest::newRow("quotes and backslashes")
        << R"(/n"A B" C\"D \\x)" << QStringList{"/nA B", R"(C"D)", R"(\\x)"};
    QTest::newRow("none") << "" << QStringList{};
}

void LinuxProcessesTest::argumentsArriveAsData() {
    QFETCH(QString, arguments);
    QFETCH(QStringList, expected);
    const QString app = R"(C:\Program Files\Bullfrog\Populous\HW_SW_Select.exe)";
    QVERIFY(processes->start(app, app + ' ' + arguments, QString()));
    const QStringList lines = fakes::recordedLines(gameFolder + "/HW_SW_Select.exe");
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.mid(1), wrapped(expected));
    QVERIFY(!QFile::exists(QDir::current().filePath("x")));
}

void LinuxProcessesTest::driveRootWithDoubledBackslash() {
    const QString script = recorder(prefix->driveC() + "/HW_SW_Select.exe");
    QVERIFY(
        processes->start(R"(C:\\HW_SW_Select.exe)", R"(C:\\HW_SW_Select.exe /h tcp)", QString()));
    QCOMPARE(fakes::recordedLines(script).mid(1), wrapped({"/h", "tcp"}));
}

void LinuxProcessesTest::quotedApplicationAndWorkingFolder() {
    const QString folder = R"(C:\Program Files\Bullfrog\Populous)";
    const QString script = recorder(gameFolder + "/D3Dpoptb.exe");
    QVERIFY(processes->start(folder + R"(\D3Dpoptb.exe)",
                             '"' + folder + R"(\D3Dpoptb.exe" /j tcp 1.2.3.4 /nB)", folder));
    const QStringList lines = fakes::recordedLines(script);
    QVERIFY(!lines.isEmpty());
    QCOMPARE(QFileInfo(lines.first()).canonicalFilePath(),
             QFileInfo(gameFolder).canonicalFilePath());
    QCOMPARE(lines.mid(1), wrapped({"/j", "tcp", "1.2.3.4", "/nB"}));
}

void LinuxProcessesTest::emptyWorkingFolderIsTheCurrentOne() {
    QVERIFY(files->changeDirectory(R"(C:\Program Files\Bullfrog)"));
    QVERIFY(files->changeDrive("c"));
    const QString app = R"(C:\Program Files\Bullfrog\Populous\HW_SW_Select.exe)";
    QVERIFY(processes->start(app, app, QString()));
    const QStringList lines = fakes::recordedLines(gameFolder + "/HW_SW_Select.exe");
    QVERIFY(!lines.isEmpty());
    QCOMPARE(QFileInfo(lines.first()).canonicalFilePath(),
             QFileInfo(prefix->driveC() + "/Program Files/Bullfrog").canonicalFilePath());
    QCOMPARE(lines.size(), 1);
}

void LinuxProcessesTest::failedStarts() {
    const QString app = R"(C:\Program Files\Bullfrog\Populous\HW_SW_Select.exe)";
    // A missing file, even with the decoy present, is a failed start.
    QVERIFY(!processes->start(R"(C:\Program Files\Missing\HW_SW_Select.exe)",
                              R"(C:\Program Files\Missing\HW_SW_Select.exe /h tcp)", QString()));
    QVERIFY(!processes->start(QString(), "C:\\Program.exe", QString()));
    // A file that cannot be run, a folder, a missing working folder, a drive that is not there.
    writeScript(gameFolder + "/poptb.exe", "#!/bin/sh\n", false);
    QVERIFY(!processes->start(R"(C:\Program Files\Bullfrog\Populous\poptb.exe)", "x", QString()));
    QVERIFY(!processes->start(R"(C:\Program Files\Bullfrog\Populous)", "x", QString()));
    QVERIFY(!processes->start(app, app, R"(C:\No Such Folder)"));
    QVERIFY(!processes->start(R"(Q:\HW_SW_Select.exe)", "x", QString()));
    QTest::qWait(200);
    QVERIFY(!QFile::exists(decoy + ".args"));
    QVERIFY(!QFile::exists(gameFolder + "/HW_SW_Select.exe.args"));
}

void LinuxProcessesTest::windowsProgramsStartThroughWine() {
    QTemporaryDir bin;
    const QString wine = writeScript(bin.path() + "/wine", FakeWine);
    const QString exe =
        writeScript(gameFolder + "/D3Dpoptb.exe", "MZ\x90\0 not really a program", false);
    const QString folder = R"(C:\Program Files\Bullfrog\Populous)";
    qputenv("WINEPREFIX", prefix->root().toUtf8());

    // From PATH.
    qunsetenv("WINE");
    qputenv("PATH", bin.path().toUtf8() + ":/usr/bin:/bin");
    QVERIFY(processes->start(folder + R"(\D3Dpoptb.exe)",
                             '"' + folder + R"(\D3Dpoptb.exe" /h tcp /boundip 1.2.3.4 /n"A B")",
                             folder));
    QStringList lines = fakes::recordedLines(wine);
    QVERIFY(!lines.isEmpty());
    QCOMPARE(lines.first(), "WINEPREFIX=" + prefix->root());
    QCOMPARE(QFileInfo(lines.at(1).mid(1).chopped(1)).canonicalFilePath(),
             QFileInfo(exe).canonicalFilePath());
    QCOMPARE(lines.mid(2), wrapped({"/h", "tcp", "/boundip", "1.2.3.4", "/nA B"}));

    // $WINE wins over PATH.
    QFile::remove(wine + ".args");
    QTemporaryDir other;
    const QString chosen = writeScript(other.path() + "/mywine", FakeWine);
    qputenv("WINE", chosen.toUtf8());
    QVERIFY(processes->start(folder + R"(\D3Dpoptb.exe)", folder + R"(\D3Dpoptb.exe)", QString()));
    QCOMPARE(fakes::recordedLines(chosen).size(), 2);
    QVERIFY(!QFile::exists(wine + ".args"));
}

void LinuxProcessesTest::noWineMeansNoStart() {
    QTemporaryDir empty;
    writeScript(gameFolder + "/D3Dpoptb.exe", "MZ", true);
    qunsetenv("WINE");
    qputenv("PATH", empty.path().toUtf8());
    QVERIFY(
        !processes->start(R"(C:\Program Files\Bullfrog\Populous\D3Dpoptb.exe)", "x", QString()));
    qputenv("WINE", QByteArray("/nonexistent/wine"));
    QVERIFY(
        !processes->start(R"(C:\Program Files\Bullfrog\Populous\D3Dpoptb.exe)", "x", QString()));
}

QTEST_GUILESS_MAIN(LinuxProcessesTest)
#include "test_linux_processes.moc"
