// The options dialog: load, save, "Detect", and "&Settings..." showing it and reloading the window.

#include "buildconfig.h"
#include "fakes/settings_support.h"
#include "gui/main/frmMain.h"
#include "gui/options/frmoptions.h"

#include <QtTest>
#include <QtWidgets>

// Runs `then` on the dialog once it is up modally.
static void whenModal(std::function<void(frmoptions*)> then) {
    QTimer::singleShot(0, [then] { then(qobject_cast<frmoptions*>(qApp->activeModalWidget())); });
}

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    void loadThenSave() {
        Place os;
        LaunchSettings s{QByteArray(115, char(0xC3))}; // odd bytes everywhere
        s.image[0] = s.image[2] = s.image[36] = 1;
        s.image[1] = char(255); // flags other than 1 read as clear, and are written back as 0
        s.setUserName(" Matak ");
        s.setOverrideAddress("10.9.8.7");
        s.setLocalAddress("10.0.0.7");
        s.setRouterAddress("198.51.100.1");
        s.setLocalAddressIndex(7);
        os.write(s.image);
        frmoptions dialog(os.settingsdir, nullptr);
        QVERIFY(dialog.Form_Load());
        QVERIFY(dialog.custumipbox->isEnabled());
        dialog.custumip->click(); // unchecking empties the box
        QTest::keyClicks(dialog.txtUserName, "ABCDEFGHIJKLMNOPQR");
        QCheckBox* box = dialog.chkAutoRouter; // its caption wraps; the second line belongs
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 4, box->height() - 3));
        dialog.cmdOK->click();
        s.image[1] = s.image[36] = 0;
        s.image[114] = 1;
        s.setUserName("MatakABCDEFGHIJK");
        s.setOverrideAddress("");
        QCOMPARE(os.bytes().toHex(' '), s.image.toHex(' '));
    }

    void settingsCommand() {
        Place os;
        LaunchSettings s;
        s.setOverrideAddress("10.9.8.7"); // unused, so greyed, yet saved back
        os.write(s.image);
        frmMain window;
        window.Form_Load();
        whenModal([](frmoptions* d) {
            d->lboxIPAddr->setCurrentRow(1);
            d->cmdOK->click();
        });
        window.mnusettings->trigger();                   // saved, and the window shows it
        QCOMPARE(window.txtLocalIP->text(), "10.0.0.7"); // the second address's index, reloaded
        QCOMPARE(os.bytes().mid(38, 8), "10.9.8.7");
        const auto cancel = [](frmoptions* d) {
            d->txtUserName->setText("not saved");
            d->cmdCancel->click();
        };
        whenModal(cancel);
        window.username->setText("changed");
        window.mnusettings_Click(); // Cancel (saving nothing: e2e/look_and_keys.sh), yet it reloads
        QCOMPARE(window.username->text(), QString());
        window.username->setText("typed"); // a failing socket library ends the program, no reload
        os.sockets.startupResult = 1;
        window.mnusettings_Click(); // before any dialog is shown
        os.sockets.startupResult = 0;
        os.sockets.cleanupResult = -1;
        whenModal(cancel);
        window.mnusettings_Click();
        QCOMPARE(os.system.endProgramCalls, 2);
        QCOMPARE(window.username->text(), "typed");
    }

    // Last: making a file read-only gives up a right for good.
    void detectThenOkOnAReadOnlyFile() {
        Place os;
        QString routerOutside;
        frmoptions dialog(os.settingsdir, nullptr, [&] { return routerOutside; });
        QVERIFY(dialog.Form_Load());
        const QString url = VELKOR_ADDRESS_ECHO_URL;
        const auto shown = [&] {
            return QString::number(os.ui.boxes.size()) + ' ' + dialog.txtRouterIP->text();
        };
        dialog.txtRouterIP->setText("198.51.100.1");
        dialog.cmdGetRouterIP->click(); // no answer: said so, the box kept
        QCOMPARE(shown(), "1 198.51.100.1");
        os.downloads.bodies[url] = "80.100.100.7\n";
        dialog.cmdGetRouterIP->click();
        QCOMPARE(shown(), "1 80.100.100.7");
        os.downloads.bodies.clear(); // without the folder: made, one more try, and no message
        QVERIFY(QDir(os.appData + "/Populous").removeRecursively());
        dialog.cmdGetRouterIP->click();
        QVERIFY(QFileInfo(os.folder).isDir());
        QCOMPARE(os.ui.boxes.size(), 1u);
        QCOMPARE(os.downloads.requests, QStringList(4, url));
        routerOutside = "80.100.100.1"; // no answer, but the router's own: no message
        dialog.cmdGetRouterIP->click();
        QCOMPARE(shown(), "1 " + routerOutside);
        os.write(QByteArray(115, '\0'));
        if (!makeReadOnly(os.file))
            QSKIP("this process cannot give up its right to write read-only files");
        dialog.show();
        dialog.cmdOK->click(); // not written, said so, and closed all the same
        QCOMPARE(os.ui.boxes.size(), 2u);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(os.bytes(), QByteArray(115, 0));
    }
};

QTEST_MAIN(OptionsTest)
#include "test_options.moc"
