// The game folder picker: drives, the folder list, what OK hands over, unreadable drives.

#include "fakes/fake_platform.h"
#include "manual/frmaltload.h"
#include "manual/frmfindpop.h"
#include "platform/forms.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

// The folder list as shown: one "depth:text" per row, top to bottom.
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
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

QPoint centre(QTreeWidget* tree, const QString& text) {
    tree->doItemsLayout();
    return tree->visualItemRect(rowNamed(tree, text)).center();
}

// Apart from any earlier click, then a click and a double click, as the window system sends.
void doubleClick(QTreeWidget* tree, const QString& text) {
    QTest::qWait(QApplication::doubleClickInterval() + 20);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre(tree, text));
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, centre(tree, text));
}

} // namespace

class FindPopTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        fake = std::make_unique<fakes::FakePlatform>();
        fake->prefix.makeFolder("Games/Populous/Levels");
        fake->prefix.makeFolder("Games/Populous/Sounds");
        fake->prefix.makeFolder("Games/Other");
        fake->prefix.makeFolder("Program Files");
        QVERIFY(fake->files->changeDirectory(R"(C:\Games\Populous)"));
        QVERIFY(fake->files->changeDrive("c"));
        // The owner enters its default folder when it opens; it does not exist here.
        owner = std::make_unique<frmaltload>(true, QString());
    }
    void cleanup() {
        QDir::setCurrent(QDir::tempPath());
        owner.reset();
        fake.reset();
    }

    void formAndDrives() {
        fake->prefix.writeFile("drive_c/.windows-label", "System\n");
        frmfindpop picker(owner.get());
        QCOMPARE(picker.windowTitle(), QString("Locate Populous Directory"));
        QCOMPARE(picker.size(), forms::twipsSize(3270, 3525));
        QCOMPARE(picker.parentWidget(), owner.get());
        QCOMPARE(picker.Drive->count(), 2);
        QCOMPARE(picker.Drive->itemText(0) + '|' + picker.Drive->itemText(1), "c: [System]|z:");
        QCOMPARE(picker.Drive->currentText(), QString("c: [System]"));
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        QCOMPARE(QApplication::focusWidget(), picker.OKButton);

        QVERIFY(fake->files->changeDrive("z"));
        QCOMPARE(frmfindpop(owner.get()).Drive->currentText(), QString("z:"));
    }

    void opensFoldersAndHandsOverTheOpenOne() {
        frmfindpop picker(owner.get());
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        QCOMPARE(picker.dirPath(), QString(R"(C:\Games\Populous)"));
        QCOMPARE(rows(picker.Dir), "0:C:\\ 1:Games 2:Populous 3:Levels 3:Sounds");
        QCOMPARE(picker.Dir->currentItem()->text(0), QString("Populous"));

        // Highlighting a folder leaves the open one as it is.
        QTest::mouseClick(picker.Dir->viewport(), Qt::LeftButton, {}, centre(picker.Dir, "Levels"));
        QCOMPARE(picker.Dir->currentItem(), rowNamed(picker.Dir, "Levels"));
        QCOMPARE(picker.dirPath(), QString(R"(C:\Games\Populous)"));
        doubleClick(picker.Dir, "Levels");
        QCOMPARE(picker.dirPath(), QString(R"(C:\Games\Populous\Levels)"));
        QCOMPARE(rows(picker.Dir), "0:C:\\ 1:Games 2:Populous 3:Levels");
        doubleClick(picker.Dir, "Games");
        QCOMPARE(rows(picker.Dir), "0:C:\\ 1:Games 2:Other 2:Populous");
        picker.Dir->setCurrentItem(rowNamed(picker.Dir, "Other"));
        QTest::keyClick(picker.Dir, Qt::Key_Return); // Enter opens as well
        QCOMPARE(picker.dirPath(), QString(R"(C:\Games\Other)"));
        doubleClick(picker.Dir, "C:\\");
        QCOMPARE(rows(picker.Dir), "0:C:\\ 1:Games 1:Program Files");
        picker.Dir->setCurrentItem(rowNamed(picker.Dir, "Games")); // highlighted only
        picker.OKButton->click();
        QCOMPARE(owner->popdir->text(), QString(R"(C:\)")); // the root keeps its backslash
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(fake->files->currentDirectory(), QString(R"(C:\Games\Populous)"));

        frmfindpop again(owner.get());
        again.show();
        again.setDirPath(R"(C:\Games\Other)");
        again.CancelButton->click();
        QVERIFY(!again.isVisible());
        QCOMPARE(owner->popdir->text(), QString(R"(C:\)"));
    }

    void otherDriveShowsItsCurrentFolder() {
        QTemporaryDir d;
        QDir(d.path()).mkpath("Music/Old");
        QDir(d.path()).mkpath("Games");
        fake->prefix.linkDrive("d:", d.path());
        QVERIFY(fake->files->changeDirectory(R"(D:\Music)"));
        const QString cwd = QDir::currentPath();
        frmfindpop picker(owner.get());
        picker.show();
        QCOMPARE(picker.Drive->itemText(1), QString("d:"));
        picker.Drive->setCurrentIndex(1);
        QCOMPARE(picker.dirPath(), QString(R"(D:\Music)"));
        QCOMPARE(rows(picker.Dir), "0:D:\\ 1:Music 2:Old");
        doubleClick(picker.Dir, "Old");
        QCOMPARE(picker.dirPath(), QString(R"(D:\Music\Old)"));
        picker.Drive->setCurrentIndex(0);
        QCOMPARE(picker.dirPath(), QString(R"(C:\Games\Populous)"));
        QVERIFY(fake->ui.boxes.empty());
        // Only the picker moved: neither drive's current folder nor the process's.
        QCOMPARE(fake->files->currentDirectoryOf("d"), QString(R"(D:\Music)"));
        QCOMPARE(fake->files->currentDirectory(), QString(R"(C:\Games\Populous)"));
        QCOMPARE(QDir::currentPath(), cwd);
    }

    void unreadableDriveKeepsTheLists() {
        fake->prefix.linkDrive("d:", fake->prefix.root() + "/no-such-medium");
        frmfindpop picker(owner.get());
        QVERIFY(picker.setDirPath(R"(C:\Games)"));
        const QString before = rows(picker.Dir);
        picker.Drive->setCurrentIndex(1);
        QCOMPARE(fake->ui.boxes.size(), 1u);
        QCOMPARE(fake->ui.boxes[0].text,
                 QString("An error occured while trying to read from drive d:.  Please make sure "
                         "that if it is a removable device that a form of media has been inserted "
                         "into the drive."));
        QCOMPARE(fake->ui.boxes[0].title, QString("Error- Reading Drive"));
        QCOMPARE(fake->ui.boxes[0].style, 48);
        QCOMPARE(picker.Drive->currentText(), QString("d:"));
        QCOMPARE(rows(picker.Dir), before);
        picker.OKButton->click();
        QCOMPARE(owner->popdir->text(), QString(R"(C:\Games)"));
    }

    void openingOnAFolderItCannotList() {
        // The folder the owner entered has gone since; the list still opens at it.
        QVERIFY(fake->files->changeDirectory(R"(C:\Games\Populous\Levels)"));
        QVERIFY(QDir(fake->prefix.driveC() + "/Games/Populous/Levels").removeRecursively());
        frmfindpop picker(owner.get());
        picker.show();
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        QCOMPARE(rows(picker.Dir), "0:C:\\ 1:Games 2:Populous 3:Levels");
        QTest::keyClick(picker.OKButton, Qt::Key_Return); // Enter on the focused OK
        QVERIFY(!picker.isVisible());
        QCOMPARE(owner->popdir->text(), QString(R"(C:\Games\Populous\Levels)"));
    }

private:
    std::unique_ptr<fakes::FakePlatform> fake;
    std::unique_ptr<frmaltload> owner;
};

QTEST_MAIN(FindPopTest)
#include "test_findpop.moc"
