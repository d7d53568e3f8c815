// The options dialog: its controls, what it loads and saves, "Detect", and the "&Settings..."
// command that shows it and reloads the main window afterwards.

#include "app/frmMain.h"
#include "buildconfig.h"
#include "fakes/fake_platform.h"
#include "settings/frmoptions.h"
#include "settings_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

const QString EchoUrl = QStringLiteral(VELKOR_ADDRESS_ECHO_URL);

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

void clickEntry(QListWidget* list, int row) {
    const QRect box = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
}

} // namespace

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        os = std::make_unique<fakes::FakePlatform>();
        place = std::make_unique<settingstest::Place>(*os);
        os->sockets.host = platform::HostEntry{
            4, {QByteArray("\xC0\xA8\x01\x0A", 4), QByteArray("\x0A\x00\x00\x07", 4)}};
    }
    void cleanup() {
        place.reset();
        os.reset();
    }

    void layoutAndTabOrder() {
        frmoptions dialog(place->settingsdir, nullptr);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Options"));
        QCOMPARE(dialog.size(), QSize(425, 292)); // 6375 x 4380 twips
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
        QCOMPARE(dialog.cmdOK->geometry(), QRect(216, 264, 97, 25));
        QCOMPARE(dialog.cmdCancel->geometry(), QRect(320, 264, 97, 25));
        QCOMPARE(dialog.chkAutoRouter->text(),
                 QStringLiteral("Automatically detect my Router IP Address."));
        QCOMPARE(dialog.frDefHost->title(), QStringLiteral("Default Hosting Method:"));
        QCOMPARE(dialog.findChild<QWidget*>(QStringLiteral("custumipbox")), dialog.custumipbox);
        QVERIFY(dialog.ip->isReadOnly());
        QVERIFY(!dialog.custumipbox->isEnabled() && !dialog.lblIPOverride->isEnabled());
        QVERIFY(!dialog.cmdOK->isDefault() && !dialog.cmdCancel->isDefault());

        QList<QWidget*> chain;
        QWidget* w = dialog.lboxIPAddr;
        do {
            if (w->focusPolicy() & Qt::TabFocus)
                chain << w;
            w = w->nextInFocusChain();
        } while (w != dialog.lboxIPAddr);
        const QList<QWidget*> expected{
            dialog.lboxIPAddr,     dialog.ip,          dialog.custumip,      dialog.custumipbox,
            dialog.cmdGetRouterIP, dialog.txtRouterIP, dialog.chkAutoRouter, dialog.rDefPopTB,
            dialog.rDefUW,         dialog.rDefHost,    dialog.rDefJoin,      dialog.rDefWoRouter,
            dialog.rDefWRouter,    dialog.txtUserName, dialog.cmdOK,         dialog.cmdCancel};
        QCOMPARE(chain, expected);
    }

    void loadShowsTheFile() {
        LaunchSettings s;
        s.setDefaultGame(true);
        s.setDefaultWay(true);
        s.setDefaultHosting(true);
        s.setUserName(QStringLiteral(" Matak "));
        s.setOverrideEnabled(true);
        s.setOverrideAddress(QStringLiteral("10.9.8.7"));
        s.setLocalAddress(QStringLiteral("10.0.0.7"));
        s.setRouterAddress(QStringLiteral("198.51.100.1"));
        s.setLocalAddressIndex(1);
        s.setAutoDetectRouter(true);
        place->writeFile(s.image);

        frmoptions dialog(place->settingsdir, nullptr);
        QVERIFY(dialog.Form_Load());
        QCOMPARE(os->sockets.startups, 1);
        QCOMPARE(dialog.lboxIPAddr->count(), 2);
        QVERIFY(dialog.lboxIPAddr->selectedItems().isEmpty());
        QVERIFY(dialog.rDefUW->isChecked() && dialog.rDefJoin->isChecked() &&
                dialog.rDefWRouter->isChecked());
        QCOMPARE(dialog.txtUserName->text(), QStringLiteral("Matak"));
        QVERIFY(dialog.custumip->isChecked());
        QVERIFY(dialog.custumipbox->isEnabled() && dialog.lblIPOverride->isEnabled());
        QCOMPARE(dialog.custumipbox->text(), QStringLiteral("10.9.8.7"));
        QCOMPARE(dialog.ip->text(), QStringLiteral("10.0.0.7"));
        QCOMPARE(dialog.txtRouterIP->text(), QStringLiteral("198.51.100.1"));
        QVERIFY(dialog.chkAutoRouter->isChecked());
        QVERIFY(os->downloads.requests.isEmpty());

        dialog.cmdCancel->click();
        QCOMPARE(os->sockets.cleanups, 1);
        QCOMPARE(place->fileBytes(), s.image);
    }

    void okWithNothingChangedRewritesTheSameValues() {
        QByteArray stored(115, '\0');
        for (int i = 0; i < 115; ++i)
            stored[i] = static_cast<char>(0xC0 | (i & 0x0F)); // reserved and odd bytes
        stored[0] = 2; // flags other than 1 read as clear ...
        stored[1] = char(255);
        stored[2] = 1;
        stored[36] = 0;
        stored[114] = 2;
        stored[113] = 7; // LocalAddressIndex
        LaunchSettings s;
        s.image = stored;
        s.setUserName(QStringLiteral("Ikani"));
        s.setOverrideAddress(QStringLiteral("10.9.8.7"));
        s.setLocalAddress(QStringLiteral("10.0.0.7"));
        s.setRouterAddress(QStringLiteral("198.51.100.1"));
        place->writeFile(s.image);

        frmoptions dialog(place->settingsdir, nullptr);
        QVERIFY(dialog.Form_Load());
        dialog.cmdOK->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(os->sockets.cleanups, 1);

        LaunchSettings expected = s;
        expected.setDefaultGame(false); // ... and are written back as 0
        expected.setDefaultWay(false);
        expected.setAutoDetectRouter(false);
        QCOMPARE(place->fileBytes().toHex(' '), expected.image.toHex(' '));
    }

    void greyedOverrideIsSavedBack() {
        LaunchSettings s;
        s.setOverrideAddress(QStringLiteral("10.9.8.7"));
        place->writeFile(s.image);
        frmoptions dialog(place->settingsdir, nullptr);
        QVERIFY(dialog.Form_Load());
        QVERIFY(!dialog.custumip->isChecked());
        QVERIFY(!dialog.custumipbox->isEnabled());
        QCOMPARE(dialog.custumipbox->text(), QStringLiteral("10.9.8.7"));
        dialog.cmdOK->click();
        LaunchSettings saved;
        saved.image = place->fileBytes();
        QCOMPARE(saved.OverrideAddress(), QStringLiteral("10.9.8.7"));
        QVERIFY(!saved.OverrideEnabled());
    }

    void uncheckingTheOverrideEmptiesIt() {
        LaunchSettings s;
        s.setOverrideEnabled(true);
        s.setOverrideAddress(QStringLiteral("10.9.8.7"));
        place->writeFile(s.image);
        frmoptions dialog(place->settingsdir, nullptr);
        QVERIFY(dialog.Form_Load());
        dialog.custumip->click();
        QVERIFY(!dialog.custumipbox->isEnabled() && !dialog.lblIPOverride->isEnabled());
        QCOMPARE(dialog.custumipbox->text(), QString());
        QCOMPARE(dialog.custumipbox->property("backColor").toULongLong(), 0x8000000FULL);
        dialog.custumip->click();
        QCOMPARE(dialog.custumipbox->property("backColor").toULongLong(), 0x80000005ULL);
        dialog.custumip->click();
        dialog.cmdOK->click();
        LaunchSettings saved;
        saved.image = place->fileBytes();
        QCOMPARE(saved.OverrideAddress(), QString());
        QVERIFY(!saved.OverrideEnabled());
        QCOMPARE(saved.image.at(36), '\0');
    }

    void nameOfSixteenCharacters() {
        frmoptions dialog(place->settingsdir, nullptr);
        QVERIFY(dialog.Form_Load());
        QTest::keyClicks(dialog.txtUserName, QStringLiteral("ABCDEFGHIJKLMNOPQR"));
        QCOMPARE(dialog.txtUserName->text(), QStringLiteral("ABCDEFGHIJKLMNOP"));
        dialog.cmdOK->click();
        LaunchSettings saved;
        saved.image = place->fileBytes();
        QCOMPARE(saved.UserName(), QStringLiteral("ABCDEFGHIJKLMNOP"));
    }

    void escapeDoesNotClose() {
        frmoptions dialog(place->settingsdir, nullptr);
        QVERIFY(dialog.Form_Load());
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(dialog.isVisible());
        QCOMPARE(os->sockets.cleanups, 0);
        dialog.close(); // the title bar's close: unloads without saving
        QCOMPARE(os->sockets.cleanups, 1);
        QVERIFY(!QFileInfo::exists(place->nativeFile()) || place->fileBytes().isEmpty());
    }

    void detect() {
        frmoptions dialog(place->settingsdir, nullptr);
        QVERIFY(dialog.Form_Load());
        dialog.txtRouterIP->setText(QStringLiteral("198.51.100.1"));

        dialog.cmdGetRouterIP->click(); // no answer
        QCOMPARE(os->downloads.requests, QStringList{EchoUrl});
        QCOMPARE(int(os->ui.boxes.size()), 1);
        QCOMPARE(os->ui.boxes[0].text, QStringLiteral("The server is currently unavaliable."));
        QCOMPARE(os->ui.boxes[0].title, QStringLiteral("Velkor"));
        QCOMPARE(os->ui.boxes[0].style, 48);
        QCOMPARE(dialog.txtRouterIP->text(), QStringLiteral("198.51.100.1"));

        os->downloads.bodies[EchoUrl] = "203.0.113.7\n";
        dialog.cmdGetRouterIP->click();
        QCOMPARE(int(os->ui.boxes.size()), 1);
        QCOMPARE(dialog.txtRouterIP->text(), QStringLiteral("203.0.113.7\n"));
        QVERIFY(!QFileInfo::exists(place->nativeFolder() + QStringLiteral("/ip.tmp")));
    }

    void detectWithoutTheFolderCreatesItAndTriesOnceMore() {
        frmoptions dialog(place->settingsdir, nullptr);
        QVERIFY(dialog.Form_Load());
        QDir(place->nativeAppData + QStringLiteral("/Populous")).removeRecursively();
        dialog.cmdGetRouterIP->click();
        QCOMPARE(os->downloads.requests.size(), 2);
        QVERIFY(QFileInfo(place->nativeFolder()).isDir());
        QVERIFY(os->ui.boxes.empty()); // not even when the second try fails
    }

    void socketFailuresEndTheProgram() {
        os->sockets.startupResult = 1;
        frmMain window;
        window.settingsdir = place->settingsdir;
        window.username->setText(QStringLiteral("typed"));
        window.mnusettings_Click(); // ends before any dialog is shown
        QCOMPARE(os->system.endProgramCalls, 1);
        QCOMPARE(os->ui.boxes.back().text, QStringLiteral("Winsock.dll is not responding."));
        QCOMPARE(window.username->text(), QStringLiteral("typed")); // no reload

        os->sockets.startupResult = 0;
        os->sockets.cleanupResult = -1;
        whenModal([](frmoptions* dialog) { dialog->cmdCancel->click(); });
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
        whenModal([&window](frmoptions* dialog) {
            QCOMPARE(dialog->parentWidget(), &window); // owned by the main window
            QVERIFY(dialog->isModal());
            clickEntry(dialog->lboxIPAddr, 1);
            QCOMPARE(dialog->ip->text(), QStringLiteral("10.0.0.7"));
            dialog->cmdOK->click();
        });
        QCOMPARE(window.mnusettings->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
        window.mnusettings->trigger();
        QCOMPARE(window.txtLocalIP->text(), QStringLiteral("10.0.0.7"));
        LaunchSettings saved;
        saved.image = place->fileBytes();
        QCOMPARE(saved.LocalAddressIndex(), 1);
        QCOMPARE(saved.LocalAddress(), QStringLiteral("10.0.0.7"));
        window.hide();
    }

    void cancelLeavesTheFileButReloadsTheMainWindow() {
        LaunchSettings s;
        s.setDefaultHosting(true);
        s.setUserName(QStringLiteral("Dakini"));
        place->writeFile(s.image);
        frmMain window;
        window.Form_Load();
        QVERIFY(window.selwithrouter->isChecked());
        window.selUW->setChecked(true);
        window.seljoin->setChecked(true);
        window.username->setText(QStringLiteral("changed"));
        window.joinIP->setText(QStringLiteral("203.0.113.50"));

        whenModal([](frmoptions* dialog) {
            dialog->txtUserName->setText(QStringLiteral("not saved"));
            dialog->cmdCancel->click();
        });
        window.mnusettings_Click();
        QCOMPARE(place->fileBytes(), s.image);
        QVERIFY(window.selpoptb->isChecked());
        QVERIFY(window.selhost->isChecked());
        QVERIFY(window.selwithoutrouter->isChecked()); // the host handler ran on the way back
        QCOMPARE(window.username->text(), QStringLiteral("Dakini"));
        QCOMPARE(window.joinIP->text(), QStringLiteral("203.0.113.50"));
        QCOMPARE(os->sockets.cleanups, 2); // the main window's load and the dialog's unload
    }

    void notWritableOnOkStillCloses() {
        place->writeFile(QByteArray(115, '\0'));
        QVERIFY(QFile::setPermissions(place->nativeFile(), QFile::ReadOwner));
        const settingstest::WithoutPermissionOverride asAnyUser;
        if (!settingstest::writeRefused(place->nativeFile()))
            QSKIP("this process cannot give up its right to write read-only files");
        frmoptions dialog(place->settingsdir, nullptr);
        QVERIFY(dialog.Form_Load());
        dialog.show();
        dialog.txtUserName->setText(QStringLiteral("Tiyao"));
        dialog.cmdOK->click();
        QCOMPARE(int(os->ui.boxes.size()), 1);
        QCOMPARE(os->ui.boxes[0].style, 48);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(place->fileBytes(), QByteArray(115, '\0'));
    }

private:
    std::unique_ptr<fakes::FakePlatform> os;
    std::unique_ptr<settingstest::Place> place;
};

QTEST_MAIN(OptionsTest)
#include "test_options.moc"
