// Launch and troubleshoot: command, checks and start; the alternative load dialog and its picker.

#include "core/game/BuildGameArgs.h"
#include "fakes/fake_platform.h"
#include "fakes/rows.h"
#include "gui/main/frmMain.h"
#include "gui/manual/frmaltload.h"
#include "gui/manual/frmfindpop.h"

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

// Clears both options of an exclusive pair, as loading a join choice does to the hosting pair.
void clear(QRadioButton* a, QRadioButton* b) {
    for (QRadioButton* button : {a, b}) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

// The picker's folder list as shown: one "depth:text" per row, top to bottom.
QString rows(QTreeWidget* tree) {
    QStringList shown;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
            ++depth;
        shown << QString::number(depth) + ':' + (*it)->text(0);
    }
    return shown.join(' ');
}

QTreeWidgetItem* rowNamed(QTreeWidget* tree, const QString& text) {
    return tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive).value(0);
}

} // namespace

class LaunchTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        fake = std::make_unique<fakes::FakePlatform>();
        gameNative = fake->prefix.makeFolder("Program Files/Bullfrog/Populous");
        QVERIFY(fake->files->changeDirectory(GameFolder) && fake->files->changeDrive("C"));
    }
    void cleanup() { fake.reset(); }

    // Hosting with a router or joining, the text as typed (the other ways: the launches below).
    void gameArguments() {
        const auto args = [](game::Way way) {
            return game::BuildGameArgs(way, game::Hosting::WithRouter, " 10.0.0.7", "203.0.113.7 ",
                                       "host:1", "Ann \"B\"")
                .value_or("none");
        };
        QCOMPARE(args(game::Way::Host),
                 "/h tcp /boundip  10.0.0.7 /externip 203.0.113.7  /nAnn \"B\"");
        QCOMPARE(args(game::Way::Join), "/j tcp host:1 /nAnn \"B\""); // hosting left set
    }

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
        const fakes::StartCall& call = fake->processes.starts[0];
        const QString selector = GameFolder + "\\HW_SW_Select.exe";
        const QString exe = GameFolder + program;
        QCOMPARE(call.application + '|' + call.commandLine + '|' + call.workingDirectory,
                 program == "selector"
                     ? selector + '|' + selector + (expansion ? " /GAME=UW " : " ") + args + '|'
                     : exe + "|\"" + exe + "\" " + args + '|' + GameFolder);

        // At a drive root the program's path has one backslash; the folder is the root.
        fake->prefix.writeFile("drive_c/popTB.exe", "MZ");
        QVERIFY(fake->files->changeDirectory("C:\\"));
        window.selpoptb->setChecked(true);
        window.launch_Click();
        QCOMPARE(fake->processes.starts.back().application + '|' +
                     fake->processes.starts.back().workingDirectory,
                 "C:\\poptb.exe|C:\\");
    }

    // Only a selection replaces its part of the command; each click passing the checks starts one.
    void commandPartsAndChecks() {
        frmMain window;
        window.launchexe = "OLD\\HW_SW_Select.exe ";
        window.launchargs = "previous";
        window.username->setText("U");
        clear(window.selpoptb, window.selUW);
        clear(window.selhost, window.seljoin);
        window.launch_Click();
        window.selhost->setChecked(true); // hosting, with neither hosting option selected
        clear(window.selwithoutrouter, window.selwithrouter);
        window.launch_Click();
        const fakes::StartCall& call = fake->processes.starts.at(1); // in the current folder
        QCOMPARE(call.application + '|' + call.commandLine + '|' + call.workingDirectory,
                 "OLD\\HW_SW_Select.exe|OLD\\HW_SW_Select.exe previous|");

        // The checks come after the command is built: a refused launch still updates it.
        choose(window, false, true, "", "");
        window.launch_Click();
        choose(window, true, true, "1.1.1.1", "Zed");
        window.launch_Click();
        QCOMPARE(window.launchexe + window.launchargs,
                 GameFolder + "\\HW_SW_Select.exe /GAME=UW /j tcp  /nZed");
        QVERIFY(fake->ui.boxes.size() == 2 && fake->processes.starts.size() == 2);
        QCOMPARE(fake->ui.boxes[0].title + '|' + fake->ui.boxes[1].title,
                 "Username Required!|No IP Adress Specified");
    }

    void troubleshooterAndFailedStart() {
        frmMain window;
        window.launchexe = "kept";
        window.launchargs = "previous";
        choose(window, false, false, "1.2.3.4", "");
        window.mnutroubleshoot->trigger();
        QVERIFY(fake->ui.boxes.size() == 1 && window.launchargs == "previous");
        QCOMPARE(fake->ui.boxes[0].title, "No Username");

        choose(window, true, true, "", "Uma"); // no join-address check here
        onAltLoad(&window);
        window.mnutroubleshoot->trigger();
        QCOMPARE(seen, "\\D3DpoptbUW.exe");
        QCOMPARE(window.launchexe + '|' + window.launchargs, "kept|/j tcp  /nUma");
        QVERIFY(fake->ui.boxes.size() == 1 && fake->processes.starts.empty());

        // A launch whose start fails opens it too, without a message; OK there starts the game.
        fake->processes.succeed = false;
        choose(window, false, false, "9.9.9.9", "Lee");
        onAltLoad(&window, true);
        window.launch_Click();
        QVERIFY(seen == "\\D3Dpoptb.exe" && fake->ui.boxes.size() == 1);
        const fakes::StartCall& call = fake->processes.starts.back();
        const QString exe = GameFolder + "\\D3Dpoptb.exe";
        QCOMPARE(call.application + '|' + call.commandLine + '|' + call.workingDirectory,
                 exe + "|\"" + exe + "\" /h tcp /boundip 9.9.9.9 /nLee|" + GameFolder);
    }

    // Opening enters the default folder, drive and all; the picker opens there, even once gone.
    void altLoadEntersItsFolder() {
        QVERIFY(fake->files->changeDirectory(R"(C:\)") && fake->files->changeDrive("z"));
        frmaltload dialog(false, "");
        QCOMPARE(fake->files->currentDirectory(), GameFolder);
        // Out of it first: Windows keeps a process's current folder from going.
        QVERIFY(QDir::setCurrent(QDir::tempPath()) && QDir(gameNative).removeRecursively());
        frmfindpop picker(&dialog);
        QCOMPARE(rows(picker.Dir), "0:C:\\ 1:Program Files 2:Bullfrog 3:Populous");
        QVERIFY(fake->files->changeDirectory(R"(C:\)") && fake->files->changeDrive("z"));
        frmaltload missing(true, "");
        QCOMPARE(fake->files->currentDirectoryOf("c") + fake->files->currentDirectory().left(2),
                 R"(C:\Z:)");
    }

    // Keys; a missing folder, file or refused start gives one message, the dialog stays.
    void altLoadKeysAndFailures() {
        frmaltload dialog(true, "");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog) && dialog.popdir->hasFocus());
        QTest::keyClick(dialog.popdir, Qt::Key_Escape); // closes nothing, nor Enter in a box
        QTest::keyClick(dialog.popdir, Qt::Key_Return);

        fake->processes.succeed = false;
        dialog.popdir->setText(R"(C:\Nowhere)");
        dialog.OKButton->click();
        dialog.reset->click();
        QTest::mouseClick(dialog.selsoftware, Qt::LeftButton, {}, QPoint(5, 5));
        dialog.OKButton->click();
        QCOMPARE(fake->ui.boxes.size(), 2u);
        QVERIFY(fake->ui.boxes[0].text.contains("the specified file, C:\\Nowhere\\D3Dpoptb.exe."));
        QVERIFY(dialog.isVisible() && fake->processes.starts.size() == 1);
        QCOMPARE(fake->processes.starts[0].application, GameFolder + "\\poptb.exe"); // software
    }

    // Double click or Enter opens a folder; OK hands over the open one; each drive has its own.
    void pickerFoldersAndDrives() {
        fake->prefix.makeFolder("Program Files/Bullfrog/Populous/Levels");
        fake->prefix.makeFolder("Program Files/Bullfrog/Populous/Sounds");
        fake->prefix.makeFolder("D/Music");
        fake->prefix.writeFile("drive_c/.windows-label", "System\n");
        fake->prefix.linkDrive("d:", fake->prefix.driveC() + "/D");
        fake->prefix.linkDrive("e:", fake->prefix.root() + "/no-such-medium");
        QVERIFY(fake->files->changeDirectory(R"(D:\Music)"));
        frmaltload owner(true, "");
        frmfindpop picker(&owner);
        picker.show();
        QVERIFY(QTest::qWaitForWindowActive(&picker) && picker.OKButton->hasFocus());
        QTreeWidget* dir = picker.Dir;
        QCOMPARE(rows(dir), "0:C:\\ 1:Program Files 2:Bullfrog 3:Populous 4:Levels 4:Sounds");
        emit dir->itemDoubleClicked(rowNamed(dir, "Levels"), 0);
        QCOMPARE(rows(dir), "0:C:\\ 1:Program Files 2:Bullfrog 3:Populous 4:Levels");
        dir->setCurrentItem(rowNamed(dir, "Populous"));
        QTest::keyClick(dir, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(picker.dirPath(), GameFolder);
        dir->setCurrentItem(rowNamed(dir, "C:\\"));
        QTest::keyClick(dir, Qt::Key_Return);
        QCOMPARE(rows(dir), "0:C:\\ 1:D 1:Program Files");
        dir->setCurrentItem(rowNamed(dir, "Program Files"));
        picker.OKButton->click();
        QCOMPARE(owner.popdir->text(), R"(C:\)"); // the root keeps its backslash
        QCOMPARE(picker.Drive->itemText(0) + '|' + picker.Drive->itemText(3), "c: [System]|z:");
        picker.Drive->setCurrentIndex(1);
        QCOMPARE(picker.dirPath(), R"(D:\Music)");
        picker.Drive->setCurrentIndex(2);
        QVERIFY(fake->ui.boxes.size() == 1 && fake->ui.boxes[0].text.contains("drive e:."));
        QCOMPARE(rows(picker.Dir), "0:D:\\ 1:Music");
        QCOMPARE(fake->files->currentDirectoryOf("d") + fake->files->currentDirectory(),
                 R"(D:\Music)" + GameFolder);
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
    QString gameNative, seen;
};

QTEST_MAIN(LaunchTest)
#include "test_launch.moc"
