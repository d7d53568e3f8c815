// The Help menu's commands: the help file's contents, the two community sites.

#include "app/frmMain.h"
#include "buildconfig.h"
#include "fakes/fake_platform.h"

#include <QAction>
#include <QtTest>

class HelpMenuTest : public QObject {
    Q_OBJECT
private slots:
    void helpShowsTheContentsEachTime();
    void helpFileMissing();
    void communitySites();
};

void HelpMenuTest::helpShowsTheContentsEachTime() {
    fakes::FakePlatform os;
    os.system.programDir = QStringLiteral("C:\\Games\\Velkor");
    os.prefix.writeFile(QStringLiteral("drive_c/Games/Velkor/velkorhelp.chm"), "x");
    frmMain window;
    window.mnuhelp->trigger();
    window.mnuhelp->trigger();
    QCOMPARE(os.help.calls.size(), std::size_t(2));
    for (const auto& call : os.help.calls) {
        QCOMPARE(call.owner, std::intptr_t(0));
        QCOMPARE(call.path, QStringLiteral("C:\\Games\\Velkor\\velkorhelp.chm"));
        QCOMPARE(call.command, 1u);
    }
    QVERIFY(os.ui.boxes.empty());
}

void HelpMenuTest::helpFileMissing() {
    fakes::FakePlatform os;
    frmMain window;
    window.mnuhelp_Click();
    QVERIFY(os.help.calls.empty());
    QCOMPARE(os.ui.boxes.size(), std::size_t(1));
    QCOMPARE(os.ui.boxes[0].title, QStringLiteral("HTML Help Class"));
    QVERIFY(os.ui.boxes[0].text.startsWith(
        QStringLiteral("The file C:\\Program Files\\Velkor\\velkorhelp.chm does not exist.")));
}

void HelpMenuTest::communitySites() {
    fakes::FakePlatform os;
    frmMain window;
    window.mnuvisitdrovane->trigger();
    window.mnuvisittollmere->trigger();
    QCOMPARE(os.ui.openedUrls, QStringList({QStringLiteral(VELKOR_DROVANE_URL),
                                            QStringLiteral(VELKOR_TOLLMERE_URL)}));
    QVERIFY(os.ui.boxes.empty() && os.help.calls.empty());
}

QTEST_MAIN(HelpMenuTest)
#include "test_help_menu.moc"
