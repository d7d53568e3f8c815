// The about box and the Help menu's commands: the help file's contents, the two community
// sites, and the about box opened modally over the main window.

#include "app/frmMain.h"
#include "buildconfig.h"
#include "fakes/fake_platform.h"
#include "help/frmAbout.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void aboutBox();
    void closesByOkEnterAndEscape();
    void openedModallyFromTheMenu();
    void helpMenu();
};

void AboutTest::aboutBox() {
    fakes::FakePlatform os;
    frmAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
    QCOMPARE(about.lblVersion->text(), QStringLiteral("Version 1.0.6"));
    QCOMPARE(about.lblDescription->text(),
             QStringLiteral("Allows users to set up multiplayer games of Populous using a direct- "
                            "IP Address connection."));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QVERIFY(!about.logo->pixmap().isNull());
}

void AboutTest::closesByOkEnterAndEscape() {
    fakes::FakePlatform os;
    for (int key : {0, int(Qt::Key_Return), int(Qt::Key_Escape)}) {
        frmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about) && about.cmdOK->hasFocus());
        if (key == 0)
            about.cmdOK->click();
        else
            QTest::keyClick(&about, Qt::Key(key));
        QVERIFY(!about.isVisible());
    }
}

void AboutTest::openedModallyFromTheMenu() {
    fakes::FakePlatform os;
    frmMain window;
    window.show();
    QString seen;
    QTimer::singleShot(0, [&] {
        if (auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget())) {
            seen =
                about->lblVersion->text() + (about->parentWidget() == &window ? " over main" : "");
            about->cmdOK->click();
        }
    });
    window.mnuabout->trigger();
    QCOMPARE(seen, QStringLiteral("Version 1.0.6 over main"));
    QVERIFY(!window.findChild<frmAbout*>()); // created afresh, gone once closed
}

void AboutTest::helpMenu() {
    fakes::FakePlatform os;
    frmMain window;
    window.mnuhelp_Click();
    QVERIFY(os.help.calls.empty());
    QCOMPARE(os.ui.boxes.size(), std::size_t(1));
    QVERIFY(os.ui.boxes[0].text.startsWith(
        QStringLiteral("The file C:\\Program Files\\Velkor\\velkorhelp.chm does not exist.")));

    // The program's folder as the system reports it; one help object serves every click.
    os.system.programDir = QStringLiteral("C:\\Games\\Velkor");
    os.prefix.writeFile(QStringLiteral("drive_c/Games/Velkor/velkorhelp.chm"), "x");
    window.mnuhelp->trigger();
    window.mnuhelp->trigger();
    QCOMPARE(os.help.calls.size(), std::size_t(2));
    for (const auto& call : os.help.calls)
        QVERIFY(call.owner == 0 && call.command == 1 &&
                call.path == QStringLiteral("C:\\Games\\Velkor\\velkorhelp.chm"));
    QCOMPARE(os.ui.boxes.size(), std::size_t(1));

    // The community sites.
    window.mnuvisitdrovane->trigger();
    window.mnuvisittollmere->trigger();
    QCOMPARE(os.ui.openedUrls, QStringList({QStringLiteral(VELKOR_DROVANE_URL),
                                            QStringLiteral(VELKOR_TOLLMERE_URL)}));
}

QTEST_MAIN(AboutTest)
#include "test_about.moc"
