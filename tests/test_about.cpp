// The about box: its layout, its version text, how it closes, and the menu command that opens
// it modally over the main window.

#include "app/frmMain.h"
#include "fakes/fake_platform.h"
#include "help/frmAbout.h"
#include "platform/forms.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using forms::twips;

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void layout();
    void versionText();
    void closesByOkEnterAndEscape();
    void openedModallyFromTheMenu();
};

void AboutTest::layout() {
    fakes::FakePlatform os;
    frmAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About"));
    QCOMPARE(about.size(), forms::twipsSize(5730, 2235));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    QVERIFY(!(about.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(about.windowFlags() & Qt::WindowMinimizeButtonHint));

    // The control list in its order, each where the form puts it.
    QStringList names;
    for (QObject* child : about.children()) {
        if (child->isWidgetType())
            names << child->objectName();
    }
    QCOMPARE(names, QStringList({"cmdOK", "logo", "Line1", "lblDescription", "lblTitle", "Line1",
                                 "lblVersion", "lblDisclaimer"}));
    QCOMPARE(about.cmdOK->geometry(), twips(4245, 1665, 1260, 345));
    QCOMPARE(about.logo->geometry(), twips(120, 240, 600, 600));
    QCOMPARE(about.lblDescription->geometry(), twips(1080, 960, 3885, 450));
    QCOMPARE(about.lblTitle->geometry(), twips(1050, 240, 3885, 240));
    QCOMPARE(about.lblVersion->geometry(), twips(1050, 600, 3885, 225));
    QCOMPARE(about.lblDisclaimer->geometry(), twips(255, 1665, 3870, 465));
    QCOMPARE(about.Line1[0]->property("Index").toInt(), 0);
    QCOMPARE(about.Line1[1]->property("Index").toInt(), 1);
    QVERIFY(about.Line1[1]->y() < about.Line1[0]->y());

    QCOMPARE(about.lblTitle->text(), QStringLiteral("Velkor"));
    QCOMPARE(about.lblDescription->text(),
             QStringLiteral("Allows users to set up multiplayer games of Populous using a direct- "
                            "IP Address connection."));
    QVERIFY(about.lblDescription->wordWrap() && about.lblDisclaimer->wordWrap());
    QVERIFY(about.lblDisclaimer->text().contains(QLatin1Char('@')));
    QCOMPARE(about.lblTitle->palette().color(QPalette::WindowText), QColor(Qt::black));
    QVERIFY(!about.logo->pixmap().isNull());
    QVERIFY(about.logo->hasScaledContents());
    QVERIFY(about.cmdOK->isDefault());
}

void AboutTest::versionText() {
    fakes::FakePlatform os;
    frmAbout about;
    QCOMPARE(about.lblVersion->text(), QStringLiteral("Version 1.0.6"));
}

void AboutTest::closesByOkEnterAndEscape() {
    fakes::FakePlatform os;
    for (int key : {0, int(Qt::Key_Return), int(Qt::Key_Escape)}) {
        frmAbout about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(QApplication::focusWidget(), about.cmdOK);
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
    QString version;
    QWidget* owner = nullptr;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
        if (!about)
            return;
        version = about->lblVersion->text();
        owner = about->parentWidget();
        modal = about->isModal();
        about->cmdOK->click();
    });
    window.mnuabout->trigger();
    QCOMPARE(version, QStringLiteral("Version 1.0.6"));
    QCOMPARE(owner, &window);
    QVERIFY(modal);
    // Created afresh and gone once closed.
    QVERIFY(!window.findChild<frmAbout*>());
}

QTEST_MAIN(AboutTest)
#include "test_about.moc"
