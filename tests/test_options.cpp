// The options dialog: its controls, what it loads and saves, "Detect", and the "&Settings..."
// command that shows it and reloads the main window afterwards.

#include "app/frmMain.h"
#include "buildconfig.h"
#include "platform/forms.h"
#include "settings/frmoptions.h"
#include "settings_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

// Runs `answer` on the dialog once it is up modally; a dialog a failed check left open is
// closed, so that the test ends instead of waiting.
void whenModal(std::function<void(frmoptions*)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<frmoptions*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        answer(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
}

} // namespace

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { settingstest::setUp(os, place); }
    void cleanup() {
        dialog.reset();
        place.reset();
        os.reset();
    }

    void loadThenOkWithNothingChanged() {
        LaunchSettings s;
        for (int i = 0; i < 115; ++i)
            s.image[i] = static_cast<char>(0xC0 | (i & 0x0F)); // reserved and odd bytes
        s.image[0] = s.image[2] = s.image[36] = 1;
        s.image[1] = char(255); // flags other than 1 read as clear ...
        s.image[114] = 2;
        s.setUserName(" Matak ");
        s.setOverrideAddress("10.9.8.7");
        s.setLocalAddress("10.0.0.7");
        s.setRouterAddress("198.51.100.1");
        s.setLocalAddressIndex(7);
        place->write(s.image);
        open();
        QCOMPARE(dialog->lboxIPAddr->count(), 2);
        QVERIFY(dialog->lboxIPAddr->selectedItems().isEmpty());
        QVERIFY(dialog->rDefUW->isChecked() && dialog->rDefHost->isChecked() &&
                dialog->rDefWRouter->isChecked() && !dialog->chkAutoRouter->isChecked());
        QCOMPARE(dialog->txtUserName->text(), QStringLiteral("Matak"));
        QVERIFY(dialog->custumip->isChecked() && dialog->custumipbox->isEnabled());
        QCOMPARE(dialog->custumipbox->text(), QStringLiteral("10.9.8.7"));
        QCOMPARE(dialog->ip->text(), QStringLiteral("10.0.0.7"));
        QCOMPARE(dialog->txtRouterIP->text(), QStringLiteral("198.51.100.1"));
        QVERIFY(os->downloads.requests.isEmpty());
        dialog->cmdOK->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(os->sockets.cleanups, 1);
        s.image[1] = s.image[114] = 0; // ... and are written back as 0
        s.setUserName("Matak");
        QCOMPARE(place->bytes().toHex(' '), s.image.toHex(' '));
    }

    void overrideAndName() {
        LaunchSettings s;
        s.setOverrideAddress("10.9.8.7");
        place->write(s.image);
        open(); // greyed, yet saved back
        QVERIFY(!dialog->custumip->isChecked() && !dialog->custumipbox->isEnabled());
        QCOMPARE(dialog->custumipbox->text(), QStringLiteral("10.9.8.7"));
        QTest::keyClicks(dialog->txtUserName, "ABCDEFGHIJKLMNOPQR");
        QCOMPARE(dialog->txtUserName->text(), QStringLiteral("ABCDEFGHIJKLMNOP"));
        dialog->cmdOK->click();
        QCOMPARE(place->saved().OverrideAddress(), QStringLiteral("10.9.8.7"));
        QCOMPARE(place->saved().UserName(), QStringLiteral("ABCDEFGHIJKLMNOP"));

        s.setOverrideEnabled(true);
        place->write(s.image);
        open(); // unchecking empties it
        dialog->custumip->click();
        QVERIFY(!dialog->custumipbox->isEnabled() && !dialog->lblIPOverride->isEnabled());
        QCOMPARE(dialog->custumipbox->text(), QString());
        dialog->cmdOK->click();
        QCOMPARE(place->bytes(), LaunchSettings().image);
    }

    void keys() {
        open();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        // Enter in a text box presses no button, not even one that had the focus.
        dialog->cmdOK->setFocus();
        dialog->txtUserName->setFocus();
        QTest::keyClick(dialog->txtUserName, Qt::Key_Return);
        QVERIFY(dialog->isVisible() && os->downloads.requests.isEmpty());
        QCOMPARE(os->sockets.cleanups, 0);
        dialog->close(); // the title bar's close: unloads without saving
        QCOMPARE(os->sockets.cleanups, 1);
        QVERIFY(place->bytes().isEmpty());

        open();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
        dialog->cmdOK->setFocus();
        QTest::keyClick(dialog->cmdOK, Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(place->bytes().size(), 115);
    }

    void autoDetectCaptionWrapsInItsBox() {
        open();
        QCheckBox* box = dialog->chkAutoRouter;
        QCOMPARE(box->geometry(), forms::twips(0, 2880, 2775, 375));
        // The caption's dark rows, right of the indicator, span two lines.
        const QImage shown = box->grab().toImage();
        int top = shown.height(), bottom = -1;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = shown.width() / 4; x < shown.width(); ++x) {
                if (qGray(shown.pixel(x, y)) < 128) {
                    top = std::min(top, y);
                    bottom = y;
                }
            }
        }
        QVERIFY2(bottom - top + 1 > box->fontMetrics().height(),
                 qPrintable(QStringLiteral("rows %1 to %2").arg(top).arg(bottom)));
        // The second line is part of the box as well.
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 4, box->height() - 3));
        QVERIFY(box->isChecked());
    }

    void detect() {
        open();
        dialog->txtRouterIP->setText("198.51.100.1");
        dialog->cmdGetRouterIP->click(); // no answer
        const QString url = VELKOR_ADDRESS_ECHO_URL;
        QCOMPARE(os->downloads.requests, QStringList{url});
        QCOMPARE(int(os->ui.boxes.size()), 1);
        QCOMPARE(os->ui.boxes[0].text, QStringLiteral("The server is currently unavaliable."));
        QCOMPARE(os->ui.boxes[0].title, QStringLiteral("Velkor"));
        QCOMPARE(os->ui.boxes[0].style, 48);
        QCOMPARE(dialog->txtRouterIP->text(), QStringLiteral("198.51.100.1"));

        os->downloads.bodies[url] = "203.0.113.7\n";
        dialog->cmdGetRouterIP->click();
        QCOMPARE(int(os->ui.boxes.size()), 1);
        QCOMPARE(dialog->txtRouterIP->text(), QStringLiteral("203.0.113.7"));
        QVERIFY(!QFileInfo::exists(place->folder + "/ip.tmp"));
        // Anything but an address is no answer.
        os->downloads.bodies[url] = "1.2.3.4 /j 6.6.6.6";
        dialog->cmdGetRouterIP->click();
        QCOMPARE(int(os->ui.boxes.size()), 2);
        QCOMPARE(dialog->txtRouterIP->text(), QStringLiteral("203.0.113.7"));

        // Without the folder: created, and one more try; no message even when that fails.
        os->downloads.bodies.clear();
        os->downloads.requests.clear();
        QVERIFY(QDir(place->appData + "/Populous").removeRecursively());
        dialog->cmdGetRouterIP->click();
        QCOMPARE(os->downloads.requests.size(), 2);
        QVERIFY(QFileInfo(place->folder).isDir());
        QCOMPARE(int(os->ui.boxes.size()), 2);
    }

    void socketFailuresEndTheProgram() {
        os->sockets.startupResult = 1;
        frmMain window;
        window.settingsdir = place->settingsdir;
        window.username->setText("typed");
        window.mnusettings_Click(); // ends before any dialog is shown
        QCOMPARE(os->system.endProgramCalls, 1);
        QCOMPARE(os->ui.boxes.back().text, QStringLiteral("Winsock.dll is not responding."));
        QCOMPARE(window.username->text(), QStringLiteral("typed")); // no reload

        os->sockets.startupResult = 0;
        os->sockets.cleanupResult = -1;
        whenModal([](frmoptions* d) { d->cmdCancel->click(); });
        window.mnusettings_Click();
        QCOMPARE(os->system.endProgramCalls, 2);
        QCOMPARE(os->ui.boxes.back().text, QStringLiteral("Socket error -1 occurred in Cleanup "));
        QCOMPARE(window.username->text(), QStringLiteral("typed"));
    }

    void secondAddressChosenThenShownByTheMainWindow() {
        frmMain window;
        window.Form_Load();
        QCOMPARE(window.txtLocalIP->text(), QStringLiteral("192.168.1.10"));
        window.show();
        whenModal([&window](frmoptions* d) {
            QVERIFY(d->parentWidget() == &window && d->isModal());
            QListWidget* list = d->lboxIPAddr;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(1)).center());
            QCOMPARE(d->ip->text(), QStringLiteral("10.0.0.7"));
            d->cmdOK->click();
        });
        QCOMPARE(window.mnusettings->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        window.mnusettings->trigger();
        QCOMPARE(window.txtLocalIP->text(), QStringLiteral("10.0.0.7"));
        QCOMPARE(place->saved().LocalAddressIndex(), 1);
        QCOMPARE(place->saved().LocalAddress(), QStringLiteral("10.0.0.7"));
    }

    void cancelLeavesTheFileButReloadsTheMainWindow() {
        LaunchSettings s;
        s.setDefaultHosting(true);
        s.setUserName("Dakini");
        place->write(s.image);
        frmMain window;
        window.Form_Load();
        window.selUW->setChecked(true);
        window.seljoin->setChecked(true);
        window.username->setText("changed");
        window.joinIP->setText("203.0.113.50");
        whenModal([](frmoptions* d) {
            d->txtUserName->setText("not saved");
            d->cmdCancel->click();
        });
        window.mnusettings_Click();
        QCOMPARE(place->bytes(), s.image);
        QVERIFY(window.selpoptb->isChecked() && window.selhost->isChecked());
        QVERIFY(window.selwithoutrouter->isChecked()); // the host handler ran on the way back
        QCOMPARE(window.username->text(), QStringLiteral("Dakini"));
        QCOMPARE(window.joinIP->text(), QStringLiteral("203.0.113.50"));
        QCOMPARE(os->sockets.cleanups, 2); // the main window's load and the dialog's unload
    }

    void notWritableOnOkStillCloses() {
        place->write(QByteArray(115, '\0'));
        const settingstest::ReadOnly readOnly(place->file);
        if (!readOnly.refused)
            QSKIP("this process cannot give up its right to write read-only files");
        open();
        dialog->show();
        dialog->txtUserName->setText("Tiyao");
        dialog->cmdOK->click();
        QCOMPARE(int(os->ui.boxes.size()), 1);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(place->bytes(), QByteArray(115, '\0'));
    }

private:
    void open() {
        dialog = std::make_unique<frmoptions>(place->settingsdir, nullptr);
        QVERIFY(dialog->Form_Load());
    }

    std::unique_ptr<fakes::FakePlatform> os;
    std::unique_ptr<settingstest::Place> place;
    std::unique_ptr<frmoptions> dialog;
};

QTEST_MAIN(OptionsTest)
#include "test_options.moc"
