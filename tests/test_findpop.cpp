// The game folder picker: drives, the folder list, what OK hands over, unreadable drives.

#include "fakes/fake_platform.h"
#include "manual/frmaltload.h"
#include "manual/frmfindpop.h"
#include "platform/forms.h"
#include "platform/linux/linux_files.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

namespace {

// The folder list as shown: one "depth:text" per row, top to bottom.
QStringList rows(QTreeWidget* tree) {
    QStringList shown;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        int depth = 0;
        for (QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent())
            ++depth;
        shown << QString::number(depth) + ':' + (*it)->text(0);
    }
    return shown;
}

QTreeWidgetItem* rowNamed(QTreeWidget* tree, const QString& text) {
    const auto found = tree->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

void doubleClick(QTreeWidget* tree, QTreeWidgetItem* item) {
    QVERIFY(item);
    tree->doItemsLayout();
    const QRect rect = tree->visualItemRect(item);
    QVERIFY(rect.isValid());
    // Apart from any earlier click; then press and release, and the second press as a double
    // click, as the window system delivers them.
    QTest::qWait(QApplication::doubleClickInterval() + 20);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

class FindPopTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() {
        QDir::setCurrent(QDir::tempPath());
        fake.reset();
    }

    void formAndTabOrder();
    void drivesWithLabelsStartAtTheCurrentDrive();
    void opensAtTheCurrentFolder();
    void doubleClickOpensHighlightDoesNot();
    void okHandsOverTheOpenFolder();
    void rootKeepsItsBackslash();
    void otherDriveShowsItsCurrentFolder();
    void unreadableDriveKeepsTheLists();
    void cancelLeavesTheFolder();
    void neverChangesTheWorkingDirectory();

private:
    std::unique_ptr<fakes::FakePlatform> fake;
    std::unique_ptr<frmaltload> owner;
};

void FindPopTest::init() {
    fake = std::make_unique<fakes::FakePlatform>();
    fake->prefix.makeFolder("Games/Populous/Levels");
    fake->prefix.makeFolder("Games/Populous/Sounds");
    fake->prefix.makeFolder("Games/Other");
    fake->prefix.makeFolder("Program Files");
    QVERIFY(fake->files->changeDirectory(R"(C:\Games\Populous)"));
    QVERIFY(fake->files->changeDrive("c"));
    // The owner enters its default folder when it opens; it does not exist here.
    owner = std::make_unique<frmaltload>(true, QString());
    QCOMPARE(fake->files->currentDirectory(), QString(R"(C:\Games\Populous)"));
}

void FindPopTest::formAndTabOrder() {
    frmfindpop picker(owner.get());
    QCOMPARE(picker.windowTitle(), QString("Locate Populous Directory"));
    QCOMPARE(picker.size(), forms::twipsSize(3270, 3525));
    QCOMPARE(picker.parentWidget(), owner.get());
    QCOMPARE(picker.Dir->geometry(), forms::twips(120, 960, 3015, 1890));
    QCOMPARE(picker.Drive->geometry(), forms::twips(120, 360, 3015, 315));
    QCOMPARE(picker.CancelButton->geometry(), forms::twips(1920, 3120, 1215, 375));
    QCOMPARE(picker.OKButton->geometry(), forms::twips(600, 3120, 1215, 375));
    QCOMPARE(picker.Label2->geometry(), forms::twips(120, 720, 1335, 255));
    QCOMPARE(picker.Label1->geometry(), forms::twips(120, 120, 1215, 255));
    QCOMPARE(picker.Label1->text(), QString("Select a Drive:"));
    QCOMPARE(picker.Label2->text(), QString("Select the Path:"));
    QCOMPARE(picker.OKButton->text(), QString("OK"));
    QCOMPARE(picker.CancelButton->text(), QString("Cancel"));
    QVERIFY(picker.findChild<QWidget*>("Line1") && picker.findChild<QWidget*>("Line2"));
    QVERIFY(!picker.OKButton->autoDefault() && !picker.CancelButton->autoDefault());

    QWidget* expected[] = {picker.OKButton, picker.CancelButton, picker.Drive, picker.Dir};
    for (std::size_t i = 1; i < std::size(expected); ++i) {
        QWidget* next = expected[i - 1]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || next->parentWidget() != &picker)
            next = next->nextInFocusChain();
        QCOMPARE(next, expected[i]);
    }
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));
    QCOMPARE(QApplication::focusWidget(), picker.OKButton);
}

void FindPopTest::drivesWithLabelsStartAtTheCurrentDrive() {
    fake->prefix.writeFile("drive_c/.windows-label", "System\n");
    frmfindpop picker(owner.get());
    QStringList entries;
    for (int i = 0; i < picker.Drive->count(); ++i)
        entries << picker.Drive->itemText(i);
    QCOMPARE(entries, (QStringList{"c: [System]", "z:"}));
    QCOMPARE(picker.Drive->currentText(), QString("c: [System]"));

    QVERIFY(fake->files->changeDrive("z"));
    frmfindpop onZ(owner.get());
    QCOMPARE(onZ.Drive->currentText(), QString("z:"));
}

void FindPopTest::opensAtTheCurrentFolder() {
    frmfindpop picker(owner.get());
    QCOMPARE(picker.dirPath(), QString(R"(C:\Games\Populous)"));
    QCOMPARE(rows(picker.Dir),
             (QStringList{"0:C:\\", "1:Games", "2:Populous", "3:Levels", "3:Sounds"}));
    QCOMPARE(picker.Dir->currentItem()->text(0), QString("Populous"));
}

void FindPopTest::doubleClickOpensHighlightDoesNot() {
    frmfindpop picker(owner.get());
    picker.show();
    QVERIFY(QTest::qWaitForWindowExposed(&picker));

    // Highlighting a folder leaves the open one as it is.
    QTreeWidgetItem* levels = rowNamed(picker.Dir, "Levels");
    QVERIFY(levels);
    QTest::mouseClick(picker.Dir->viewport(), Qt::LeftButton, {},
                      picker.Dir->visualItemRect(levels).center());
    QCOMPARE(picker.Dir->currentItem(), levels);
    QCOMPARE(picker.dirPath(), QString(R"(C:\Games\Populous)"));

    doubleClick(picker.Dir, levels);
    QCOMPARE(picker.dirPath(), QString(R"(C:\Games\Populous\Levels)"));
    QCOMPARE(rows(picker.Dir), (QStringList{"0:C:\\", "1:Games", "2:Populous", "3:Levels"}));

    // Up the chain: opening "Games" shows its subfolders.
    doubleClick(picker.Dir, rowNamed(picker.Dir, "Games"));
    QCOMPARE(picker.dirPath(), QString(R"(C:\Games)"));
    QCOMPARE(rows(picker.Dir), (QStringList{"0:C:\\", "1:Games", "2:Other", "2:Populous"}));

    // Enter opens the highlighted folder as well.
    picker.Dir->setCurrentItem(rowNamed(picker.Dir, "Other"));
    QTest::keyClick(picker.Dir, Qt::Key_Return);
    QCOMPARE(picker.dirPath(), QString(R"(C:\Games\Other)"));
}

void FindPopTest::okHandsOverTheOpenFolder() {
    frmfindpop picker(owner.get());
    picker.show();
    QVERIFY(picker.setDirPath(R"(C:\Games\Populous\Sounds)"));
    picker.Dir->setCurrentItem(rowNamed(picker.Dir, "Games")); // highlighted only
    picker.OKButton->click();
    QCOMPARE(owner->popdir->text(), QString(R"(C:\Games\Populous\Sounds)"));
    QVERIFY(!picker.isVisible());
    QCOMPARE(picker.result(), int(QDialog::Accepted));
}

void FindPopTest::rootKeepsItsBackslash() {
    frmfindpop picker(owner.get());
    picker.show();
    doubleClick(picker.Dir, rowNamed(picker.Dir, "C:\\"));
    QCOMPARE(picker.dirPath(), QString(R"(C:\)"));
    QCOMPARE(rows(picker.Dir), (QStringList{"0:C:\\", "1:Games", "1:Program Files"}));
    picker.OKButton->click();
    QCOMPARE(owner->popdir->text(), QString(R"(C:\)"));
}

void FindPopTest::otherDriveShowsItsCurrentFolder() {
    QTemporaryDir d;
    QDir(d.path()).mkpath("Music/Old");
    QDir(d.path()).mkpath("Games");
    fake->prefix.linkDrive("d:", d.path());
    QVERIFY(fake->files->changeDirectory(R"(D:\Music)"));

    frmfindpop picker(owner.get());
    QCOMPARE(picker.Drive->itemText(1), QString("d:"));
    picker.Drive->setCurrentIndex(1);
    QVERIFY(fake->ui.boxes.empty());
    QCOMPARE(picker.dirPath(), QString(R"(D:\Music)"));
    QCOMPARE(rows(picker.Dir), (QStringList{"0:D:\\", "1:Music", "2:Old"}));
    picker.Drive->setCurrentIndex(0);
    QCOMPARE(picker.dirPath(), QString(R"(C:\Games\Populous)"));
}

void FindPopTest::unreadableDriveKeepsTheLists() {
    fake->prefix.linkDrive("d:", fake->prefix.root() + "/no-such-medium");
    frmfindpop picker(owner.get());
    QVERIFY(picker.setDirPath(R"(C:\Games)"));
    const QStringList before = rows(picker.Dir);
    QCOMPARE(picker.Drive->itemText(1), QString("d:"));

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
    QCOMPARE(picker.dirPath(), QString(R"(C:\Games)"));

    picker.OKButton->click();
    QCOMPARE(owner->popdir->text(), QString(R"(C:\Games)"));
}

void FindPopTest::cancelLeavesTheFolder() {
    const QString before = owner->popdir->text();
    frmfindpop picker(owner.get());
    picker.show();
    picker.setDirPath(R"(C:\Games\Other)");
    picker.CancelButton->click();
    QVERIFY(!picker.isVisible());
    QCOMPARE(owner->popdir->text(), before);
}

void FindPopTest::neverChangesTheWorkingDirectory() {
    QTemporaryDir d;
    QDir(d.path()).mkpath("x");
    fake->prefix.linkDrive("d:", d.path());
    const QString cwd = QDir::currentPath();
    frmfindpop picker(owner.get());
    picker.show();
    picker.Drive->setCurrentIndex(1);
    doubleClick(picker.Dir, rowNamed(picker.Dir, "x"));
    QCOMPARE(picker.dirPath(), QString(R"(D:\x)"));
    QCOMPARE(fake->files->currentDirectory(), QString(R"(C:\Games\Populous)"));
    QCOMPARE(fake->files->currentDirectoryOf("d"), QString(R"(D:\)"));
    QCOMPARE(QDir::currentPath(), cwd);
}

QTEST_MAIN(FindPopTest)
#include "test_findpop.moc"
