// The alternative load dialog: its form, the folder it enters, the renderer options, the
// folder picker and the manual start.

#include "fakes/fake_platform.h"
#include "fakes/recording_game.h"
#include "manual/frmaltload.h"
#include "manual/frmfindpop.h"
#include "platform/linux/linux_processes.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace {

const QString Default = R"(C:\Program Files\Bullfrog\Populous)";
const QString Args = "/h tcp /boundip 10.0.0.5 /nAnn";

QString failure(const QString& file) {
    return "Velkor was unable to start Populous because the specified file, " + file +
           ".  Please make sure the right file is being loaded.";
}

// Answers the folder picker once it is up: opens `folder` and presses OK, or Cancel when empty.
void answerPicker(QWidget* owner, const QString& folder, bool& seen) {
    QTimer::singleShot(0, [=, &seen] {
        auto* picker = qobject_cast<frmfindpop*>(QApplication::activeModalWidget());
        if (!picker)
            return;
        seen = picker->parentWidget() == owner;
        if (folder.isEmpty()) {
            picker->setDirPath(R"(C:\)");
            picker->CancelButton->click();
        } else {
            QVERIFY(picker->setDirPath(folder));
            picker->OKButton->click();
        }
    });
}

} // namespace

class AltLoadTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        fake = std::make_unique<fakes::FakePlatform>();
        gameNative = fake->prefix.makeFolder("Program Files/Bullfrog/Populous");
        fake->prefix.makeFolder("Other/Game");
        QVERIFY(fake->files->changeDirectory(R"(C:\Other)"));
        QVERIFY(fake->files->changeDrive("c"));
    }
    void cleanup() {
        QDir::setCurrent(QDir::tempPath());
        fake.reset();
    }

    void windowAndTabOrder() {
        frmaltload dialog(true, Args);
        QCOMPARE(dialog.windowTitle(), QString("Alternative Load"));
        QCOMPARE(dialog.size(), forms::twipsSize(6030, 2940));
        QCOMPARE(dialog.Label1->text(),
                 "If an error occured while trying to launch Populous normally, then use this "
                 "dialog to try and launch it manually.  Most reasons for having to use this "
                 "method involved invalid registry entries and / or a corrupt Populous install.  "
                 "Reinstalling Populous might ressolve this issue.");
        QCOMPARE(dialog.popdir->text(), Default);
        // The working fields lie below the client area and are never seen.
        QWidget* hidden[] = {dialog.quote, dialog.cmdline, dialog.gameexe, dialog.Label3,
                             dialog.Label4};
        for (QWidget* w : hidden)
            QVERIFY(w->geometry().top() >= dialog.height());
        QVERIFY(dialog.OKButton->geometry().bottom() < dialog.height());
        QVERIFY(dialog.selD3D->isChecked() && !dialog.selsoftware->isChecked());
        for (QPushButton* b : dialog.findChildren<QPushButton*>())
            QVERIFY(!b->autoDefault() && !b->isDefault());
        QWidget* expected[] = {
            dialog.popdir,   dialog.browse,       dialog.reset,   dialog.selsoftware, dialog.selD3D,
            dialog.OKButton, dialog.CancelButton, dialog.gameexe, dialog.cmdline,     dialog.quote};
        for (std::size_t i = 1; i < std::size(expected); ++i) {
            QWidget* next = expected[i - 1]->nextInFocusChain();
            while (next->focusPolicy() == Qt::NoFocus)
                next = next->nextInFocusChain();
            QCOMPARE(next->objectName(), expected[i]->objectName());
        }
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(QApplication::focusWidget(), dialog.popdir);
        QTest::keyClick(dialog.popdir, Qt::Key_Escape);
        QTest::keyClick(dialog.popdir, Qt::Key_Return);
        QVERIFY(dialog.isVisible() && fake->processes.starts.empty());
        dialog.CancelButton->setFocus(); // Enter presses the focused button
        QTest::keyClick(dialog.CancelButton, Qt::Key_Return);
        QVERIFY(!dialog.isVisible() && fake->processes.starts.empty());
    }

    void openingEntersTheDefaultFolder() {
        QVERIFY(fake->files->changeDrive("z"));
        frmaltload dialog(false, Args);
        QCOMPARE(fake->files->currentDirectory(), Default);
        QCOMPARE(QFileInfo(QDir::currentPath()).canonicalFilePath(),
                 QFileInfo(gameNative).canonicalFilePath());

        // Without the folder nothing changes, on either drive.
        QVERIFY(QDir(gameNative).removeRecursively());
        QVERIFY(fake->files->changeDirectory(R"(C:\Other)") && fake->files->changeDrive("z"));
        const QString before = fake->files->currentDirectory();
        frmaltload missing(true, Args);
        QCOMPARE(fake->files->currentDirectory(), before);
        QCOMPARE(fake->files->currentDirectoryOf("c"), QString(R"(C:\Other)"));
        QVERIFY(fake->ui.boxes.empty());
    }

    void rendererOptions_data() {
        QTest::addColumn<bool>("popTB");
        QTest::addColumn<QString>("direct3D");
        QTest::addColumn<QString>("software");
        QTest::newRow("The Beginning") << true << "\\D3Dpoptb.exe"
                                       << "\\poptb.exe";
        QTest::newRow("Undiscovered Worlds") << false << "\\D3DpoptbUW.exe"
                                             << "\\poptbUW.exe";
    }
    void rendererOptions() {
        QFETCH(bool, popTB);
        QFETCH(QString, direct3D);
        QFETCH(QString, software);
        frmaltload dialog(popTB, Args);
        QCOMPARE(dialog.gameexe->text(), direct3D);
        QTest::mouseClick(dialog.selsoftware, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(dialog.gameexe->text(), software);
        QTest::mouseClick(dialog.selD3D, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(dialog.gameexe->text(), direct3D);
        dialog.OKButton->click(); // only the last selection counts
        QCOMPARE(fake->processes.starts.back().application, Default + direct3D);
    }

    void okStartsTheQuotedCommandInTheFolder() {
        frmaltload dialog(true, Args);
        dialog.show();
        QVERIFY(fake->files->changeDirectory(R"(C:\Other)"));
        dialog.OKButton->click();
        QCOMPARE(fake->processes.starts.size(), 1u);
        const fakes::StartCall& call = fake->processes.starts[0];
        const QString line = '"' + Default + "\\D3Dpoptb.exe\" " + Args;
        QCOMPARE(call.application, Default + "\\D3Dpoptb.exe");
        QCOMPARE(call.commandLine, line);
        QCOMPARE(call.workingDirectory, Default);
        QCOMPARE(dialog.cmdline->toPlainText(), line);
        QCOMPARE(fake->files->currentDirectory(), Default);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(!dialog.isVisible() && fake->ui.boxes.empty());

        frmaltload root(true, QString());
        root.popdir->setText(R"(C:\)");
        root.OKButton->click();
        QCOMPARE(fake->processes.starts[1].application, QString(R"(C:\\D3Dpoptb.exe)"));
        QCOMPARE(fake->processes.starts[1].commandLine, QString(R"("C:\\D3Dpoptb.exe" )"));
    }

    void failureKeepsTheDialogOpen() {
        frmaltload dialog(true, Args);
        dialog.show();
        dialog.popdir->setText(R"(C:\Nowhere)"); // a missing folder: nothing is started
        dialog.OKButton->click();
        QVERIFY(fake->processes.starts.empty());
        QCOMPARE(fake->ui.boxes.size(), 1u);
        QCOMPARE(fake->ui.boxes[0].text, failure(R"(C:\Nowhere\D3Dpoptb.exe)"));
        QCOMPARE(fake->ui.boxes[0].title, QString("Error- Loading Populous"));
        QCOMPARE(fake->ui.boxes[0].style, 48);
        QVERIFY(dialog.isVisible());

        fake->processes.succeed = false; // the start fails: the same message
        dialog.reset->click();
        QCOMPARE(dialog.popdir->text(), Default);
        QTest::mouseClick(dialog.selsoftware, Qt::LeftButton, {}, QPoint(5, 5));
        dialog.OKButton->click();
        QCOMPARE(fake->processes.starts.size(), 1u);
        QCOMPARE(fake->ui.boxes.back().text, failure(Default + "\\poptb.exe"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.gameexe->text(), QString("\\poptb.exe"));

        dialog.CancelButton->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(fake->processes.starts.size(), 1u);
    }

    void okStartsARealProgramInItsFolder() {
        platform::linuxbackend::LinuxProcesses real(*fake->files);
        platform::Services services = fake->services();
        services.processes = &real;
        platform::install(services);
        frmaltload dialog(true, "/j tcp 1.2.3.4 /nA B");
        dialog.show();
        dialog.OKButton->click(); // missing under the real backend
        QCOMPARE(fake->ui.boxes.size(), 1u);
        QCOMPARE(fake->ui.boxes[0].text, failure(Default + "\\D3Dpoptb.exe"));
        QVERIFY(dialog.isVisible());

        const QString game = gameNative + "/D3Dpoptb.exe";
        QVERIFY(fakes::writeRecordingGame(game));
        QVERIFY(fake->files->changeDirectory(R"(C:\Other)"));
        dialog.OKButton->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(fakes::recordedArguments(game), (QStringList{"/j", "tcp", "1.2.3.4", "/nA", "B"}));
        QCOMPARE(QFileInfo(fakes::recordedFolder(game)).canonicalFilePath(),
                 QFileInfo(gameNative).canonicalFilePath());
    }

    void browse() {
        frmaltload dialog(true, Args);
        dialog.show();
        bool seen = false;
        answerPicker(&dialog, {}, seen); // Cancel
        dialog.browse->click();
        QVERIFY(seen);
        QCOMPARE(dialog.popdir->text(), Default);

        answerPicker(&dialog, R"(C:\Other\Game)", seen);
        dialog.browse->click();
        QCOMPARE(dialog.popdir->text(), QString(R"(C:\Other\Game)"));
        dialog.OKButton->click();
        QCOMPARE(fake->processes.starts.back().application,
                 QString(R"(C:\Other\Game\D3Dpoptb.exe)"));
        QCOMPARE(fake->processes.starts.back().workingDirectory, QString(R"(C:\Other\Game)"));
    }

private:
    std::unique_ptr<fakes::FakePlatform> fake;
    QString gameNative;
};

QTEST_MAIN(AltLoadTest)
#include "test_altload.moc"
