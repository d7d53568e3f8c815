// Launch and troubleshoot: the command, its checks and the start; the alternative load on failure.

#include "fakes/fake_platform.h"
#include "fakes/rows.h"
#include "gui/main/frmMain.h"
#include "gui/manual/frmaltload.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QString GameFolder = R"(C:\Program Files\Bullfrog\Populous)";

// {Undiscovered Worlds, 0 host, 1 with a router, 2 join; the files; the program or "selector"}
using FolderCase = std::tuple<bool, int, QStringList, QString>;

// The game, hosting without a router or joining (no address to join), the local address, the name.
void choose(frmMain& window, bool expansion, bool join, const QString& local, const QString& name) {
    (expansion ? window.selUW : window.selpoptb)->setChecked(true);
    (join ? window.seljoin : window.selhost)->setChecked(true);
    window.txtLocalIP->setText(local);
    window.username->setText(name);
}

// "application|command line|folder" of a start.
QString started(const fakes::StartCall& call) {
    return call.application + '|' + call.commandLine + '|' + call.workingDirectory;
}

// Clears an exclusive pair's chosen option, as loading a join choice does to the hosting pair.
void clear(QRadioButton* chosen) {
    chosen->setAutoExclusive(false);
    chosen->setChecked(false);
    chosen->setAutoExclusive(true);
}

} // namespace

class LaunchTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        fake = std::make_unique<fakes::FakePlatform>();
        fake->prefix.makeFolder("Program Files/Bullfrog/Populous");
        QVERIFY(fake->files->changeDirectory(GameFolder));
        QVERIFY(fake->files->changeDrive("C"));
    }
    void cleanup() { fake.reset(); }

    // Without the selector the chosen game's own program starts, else the selector's command.
    void launchWithoutSelector_data() {
        const QString d3d = "D3DPopTB.exe", soft = "popTB.exe", d3dUW = "D3DPOPTBUW.exe",
                      softUW = "popTBUW.exe";
        addCases<FolderCase>({
            {"poptb host, both", {false, 0, {d3d, soft}, "\\D3Dpoptb.exe"}},
            {"UW host", {true, 0, {d3d, d3dUW, softUW}, "\\D3DpoptbUW.exe"}},
            {"UW host with router, software only", {true, 1, {soft, softUW}, "\\poptbUW.exe"}},
            {"UW join", {true, 2, {d3dUW}, "\\D3DpoptbUW.exe"}},
            {"UW, the base game's only", {true, 0, {d3d, soft}, "selector"}},
            {"the selector there", {false, 0, {"hw_sw_select.EXE", d3d}, "selector"}},
            {"a folder of the program's name", {false, 0, {d3d + "/x"}, "selector"}},
        });
    }
    void launchWithoutSelector() {
        QFETCH(FolderCase, row);
        const auto& [expansion, way, files, program] = row;
        for (const QString& file : files)
            fake->prefix.writeFile("drive_c/Program Files/Bullfrog/Populous/" + file, "MZ");
        frmMain window;
        choose(window, expansion, way == 2, "10.0.0.2", "Ann");
        (way == 1 ? window.selwithrouter : window.selwithoutrouter)->setChecked(way != 2);
        window.txtRouterIP->setText("203.0.113.9");
        window.joinIP->setText("10.0.0.3");
        window.launch_Click();
        const QString args = way == 2   ? "/j tcp 10.0.0.3 /nAnn"
                             : way == 1 ? "/h tcp /boundip 10.0.0.2 /externip 203.0.113.9 /nAnn"
                                        : "/h tcp /boundip 10.0.0.2 /nAnn";
        QCOMPARE(fake->processes.starts.size(), 1u);
        const QString selector = GameFolder + "\\HW_SW_Select.exe", exe = GameFolder + program;
        QCOMPARE(started(fake->processes.starts[0]),
                 program == "selector"
                     ? selector + '|' + selector + (expansion ? " /GAME=UW " : " ") + args + '|'
                     : exe + "|\"" + exe + "\" " + args + '|' + GameFolder);

        // At a drive root the program's path has one backslash; the folder is the root.
        fake->prefix.writeFile("drive_c/popTB.exe", "MZ");
        QVERIFY(fake->files->changeDirectory("C:\\"));
        window.selpoptb->setChecked(true);
        window.launch_Click();
        QCOMPARE(started(fake->processes.starts.back()),
                 "C:\\poptb.exe|\"C:\\poptb.exe\" " + args + "|C:\\");
    }

    // Only a selection replaces its part of the command; each click passing the checks starts one.
    void commandPartsAndChecks() {
        frmMain window;
        window.launchexe = "OLD\\HW_SW_Select.exe ";
        window.launchargs = "previous";
        window.username->setText("U");
        clear(window.selpoptb); // the window's first choices
        clear(window.selhost);
        window.launch_Click();
        window.selhost->setChecked(true); // hosting, with neither hosting option selected
        clear(window.selwithoutrouter);
        window.launch_Click();
        QCOMPARE(started(fake->processes.starts.at(1)), // in the current folder
                 "OLD\\HW_SW_Select.exe|OLD\\HW_SW_Select.exe previous|");

        // The checks come after the command is built: a refused launch still updates it.
        choose(window, false, true, "", "");
        window.launch_Click();
        choose(window, true, true, "1.1.1.1", "Zed");
        window.launch_Click();
        QCOMPARE(window.launchexe + window.launchargs,
                 GameFolder + "\\HW_SW_Select.exe /GAME=UW /j tcp  /nZed");
        QCOMPARE(fake->processes.starts.size(), 2u);
        QCOMPARE(fake->ui.boxes[0].title + '|' + fake->ui.boxes[1].title,
                 "Username Required!|No IP Adress Specified");
    }

    void troubleshooterAndFailedStart() {
        frmMain window;
        window.launchexe = "kept";
        window.launchargs = "previous";
        choose(window, false, false, "1.2.3.4", "");
        window.mnutroubleshoot->trigger();
        QCOMPARE(window.launchargs, "previous");
        QCOMPARE(fake->ui.boxes.empty() ? "none" : fake->ui.boxes[0].title, "No Username");

        choose(window, true, true, "", "Uma"); // no join-address check here
        onAltLoad(&window);
        window.mnutroubleshoot->trigger();
        QCOMPARE(seen, "\\D3DpoptbUW.exe");
        QCOMPARE(window.launchexe + '|' + window.launchargs, "kept|/j tcp  /nUma");
        QCOMPARE(fake->processes.starts.size(), 0u);

        // A launch whose start fails opens it too, without a message; OK there starts the game.
        fake->processes.succeed = false;
        choose(window, false, false, "9.9.9.9", "Lee");
        onAltLoad(&window, true);
        window.launch_Click();
        QCOMPARE(seen, "\\D3Dpoptb.exe");
        QCOMPARE(fake->ui.boxes.size(), 1u);
        const QString exe = GameFolder + "\\D3Dpoptb.exe";
        QCOMPARE(started(fake->processes.starts.back()),
                 exe + "|\"" + exe + "\" /h tcp /boundip 9.9.9.9 /nLee|" + GameFolder);
    }

private:
    // Once the alternative load dialog is up: its game file if `owner` owns it; Cancel, or OK.
    void onAltLoad(QWidget* owner, bool ok = false) {
        seen.clear();
        QTimer::singleShot(0, this, [=, this] {
            auto* dialog = qobject_cast<frmaltload*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            seen = dialog->parentWidget() == owner ? dialog->gameexe->text() : "another owner";
            fake->processes.succeed = fake->processes.succeed || ok;
            (ok ? dialog->OKButton : dialog->CancelButton)->click();
        });
    }

    std::unique_ptr<fakes::FakePlatform> fake;
    QString seen;
};

QTEST_MAIN(LaunchTest)
#include "test_launch.moc"
