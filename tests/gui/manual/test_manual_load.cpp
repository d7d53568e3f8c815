// The alternative load dialog and its folder picker: folders, drives, keys and failures.

#include "fakes/fake_platform.h"
#include "gui/manual/frmaltload.h"
#include "gui/manual/frmfindpop.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QString GameFolder = R"(C:\Program Files\Bullfrog\Populous)";

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

class ManualLoadTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        fake = std::make_unique<fakes::FakePlatform>();
        fake->prefix.makeFolder("Program Files/Bullfrog/Populous");
    }
    void cleanup() { fake.reset(); }

    // Opening enters the default folder, drive and all; the picker opens there, even once gone.
    void altLoadEntersItsFolder() {
        QVERIFY(fake->files->changeDrive("z"));
        frmaltload dialog(false, "");
        QCOMPARE(fake->files->currentDirectory(), GameFolder);
        // Out of it first: Windows keeps a process's current folder from going.
        QVERIFY(QDir::setCurrent(QDir::tempPath()));
        QVERIFY(QDir(fake->files->toNative(GameFolder)).removeRecursively());
        frmfindpop picker(&dialog);
        QCOMPARE(rows(picker.Dir), "0:C:\\ 1:Program Files 2:Bullfrog 3:Populous");
        QVERIFY(fake->files->changeDirectory(R"(C:\)"));
        QVERIFY(fake->files->changeDrive("z"));
        frmaltload missing(true, "");
        QCOMPARE(fake->files->currentDirectoryOf("c") + fake->files->currentDirectory().left(2),
                 R"(C:\Z:)");
    }

    // Keys; a missing folder, file or refused start gives one message, the dialog stays.
    void altLoadKeysAndFailures() {
        frmaltload dialog(true, "");
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
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
        QVERIFY(dialog.isVisible());
        QCOMPARE(fake->processes.starts.size(), 1u);
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
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        QVERIFY(picker.OKButton->hasFocus());
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
        QCOMPARE(fake->ui.boxes.size(), 1u);
        QVERIFY2(fake->ui.boxes[0].text.contains("drive e:."), qPrintable(fake->ui.boxes[0].text));
        QCOMPARE(rows(picker.Dir), "0:D:\\ 1:Music");
        QCOMPARE(fake->files->currentDirectoryOf("d") + fake->files->currentDirectory(),
                 R"(D:\Music)" + GameFolder);
    }

private:
    std::unique_ptr<fakes::FakePlatform> fake;
};

QTEST_MAIN(ManualLoadTest)
#include "test_manual_load.moc"
