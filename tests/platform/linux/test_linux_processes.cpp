// Starting programs on Linux: the exact file named, the arguments Windows gives, its folder, Wine.

#include "fakes/recording_game.h"
#include "fakes/rows.h"
#include "fakes/temp_prefix.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_processes.h"

#include <QtTest>

using namespace platform::linuxbackend;
using platform::WineRunner;
using StartCase = std::tuple<QString, QString, QString, QString>;

const QString Folder = R"(C:\Program Files\Bullfrog\Populous)";
const QString Game = Folder + R"(\HW_SW_Select.exe)", Pe = Folder + R"(\D3Dpoptb.exe)";

static QString canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

class LinuxProcessesTest : public QObject {
    Q_OBJECT
    fakes::TempPrefix prefix;
    LinuxFiles files{prefix.prefix()};
    LinuxProcesses processes{files, prefix.prefix()};
    const QString decoy = prefix.driveC() + "/Program.exe"; // a guess at the first blank runs it

private slots:
    void initTestCase() {
        QVERIFY(fakes::writeRecordingGame(decoy));
        prefix.makeFolder("Program Files/Bullfrog/Populous");
        QVERIFY(files.changeDirectory(R"(C:\Program Files\Bullfrog)"));
        QVERIFY(files.changeDrive("c"));
    }

    void startsTheExactFile_data() {
        // {the application, the command line, the folder ("": the current one), the "<arguments>"}
        addCases<StartCase>(
            {{"a blank in the path, another case, shell text",
              {Game, Game.toUpper() + " /h  tcp /n;rm $(touch x) `id`", "",
               "</h><tcp></n;rm><$(touch><x)><`id`>"}},
             {"quoted, in the game's folder",
              {Game, '"' + Game + "\"/j tcp /nB", Folder, "</j><tcp></nB>"}},
             {"a doubled backslash, the path run on",
              {R"(C:\\HW_SW_Select.exe)", R"(C:\\HW_SW_Select.exe/x /h)", "", "</h>"}}});
    }

    void startsTheExactFile() {
        QFETCH(StartCase, row);
        const auto& [application, commandLine, folder, arguments] = row;
        const QString script = files.toNative(application);
        QFile::remove(script + ".args"); // of an earlier row
        QVERIFY(fakes::writeRecordingGame(script));
        QVERIFY(processes.start(application, commandLine, folder));
        const QStringList recorded = fakes::recordedLines(script);
        QCOMPARE(recorded.mid(1).join(""), arguments);
        QCOMPARE(canonical(recorded.value(0)),
                 canonical(files.toNative(folder.isEmpty() ? files.currentDirectory() : folder)));
    }

    void refusesGuessesAndStartsThroughWine() {
        // Nothing starts from what is no executable file, nor from a guess at the command line.
        prefix.writeFile("drive_c/Program Files/Bullfrog/Populous/poptb.exe", "#!/bin/sh\n");
        for (const QString& bad : QStringList{R"(C:\No\x.exe)", Folder + R"(\poptb.exe)", "Q:\\x"})
            QVERIFY2(!processes.start(bad, bad + " /h", {}), qPrintable(bad));
        QVERIFY(!processes.start(Game, Game, R"(C:\No Such Folder)"));

        // Windows programs start through Wine (a recorder here); a Steam prefix only by Steam's.
        const QString wine =
            prefix.writeFile("bin/wine", "#!/bin/sh\n{ echo \"$WINEPREFIX\"; printf '<%s>\\n' "
                                         "\"$@\"; } >$0.t; mv $0.t $0.args\n");
        QFile::setPermissions(wine, QFile::permissions(wine) | QFile::ExeOwner);
        prefix.writeFile("drive_c/Program Files/Bullfrog/Populous/D3Dpoptb.exe", "MZ");
        qputenv("PATH", QFile::encodeName(prefix.root() + "/bin") + ":/usr/bin:/bin");
        qputenv("WINE", "/nonexistent/wine"); // $WINE wins over PATH
        QVERIFY(!processes.start(Pe, Pe, QString()));
        qputenv("WINE", QFile::encodeName(decoy));
        QVERIFY(!LinuxProcesses(files, {prefix.root(), {WineRunner::Kind::None, decoy, {}, {}}})
                     .start(Pe, Pe, QString()));
        // A Proton that is gone fails the start (the alternative load opens then).
        QVERIFY(
            !LinuxProcesses(files, {prefix.root(),
                                    {WineRunner::Kind::Proton, "/nonexistent/proton", "/c", "/s"}})
                 .start(Pe, Pe, QString()));
        // The prefix as Wine gets it (a relative $WINEPREFIX made absolute: e2e/launch.sh).
        qputenv("WINE", "wine"); // found in PATH
        QVERIFY(processes.start(Pe, '"' + Pe + "\" /h tcp /n\"A B\"", Folder));
        const QStringList recorded = fakes::recordedLines(wine);
        QCOMPARE(canonical(recorded.value(0)), canonical(prefix.root()));
        QCOMPARE(recorded.mid(1).join(""), '<' + files.toNative(Pe) + "></h><tcp></nA B>");
        // A launcher's Wine and Proton: e2e/launchers.sh.
    }
};

QTEST_GUILESS_MAIN(LinuxProcessesTest)
#include "test_linux_processes.moc"
