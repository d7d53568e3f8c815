// The alternative load dialog: its form, the folder it enters, the renderer options, the
// folder picker and the manual start.

#include "fakes/fake_platform.h"
#include "fakes/recording_game.h"
#include "manual/frmaltload.h"
#include "manual/frmfindpop.h"
#include "platform/forms.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_processes.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

namespace {

const QString Default = QStringLiteral(R"(C:\Program Files\Bullfrog\Populous)");
const QString Args = QStringLiteral("/h tcp /boundip 10.0.0.5 /nAnn");

void writeRecorder(const QString& path) {
    QVERIFY(fakes::writeRecordingGame(path));
}

QString caption(QWidget* w) {
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    if (auto* g = qobject_cast<QGroupBox*>(w))
        return g->title();
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        return p->toPlainText();
    return {};
}

const QString FailureText =
    QStringLiteral("Velkor was unable to start Populous because the specified file, %1.  "
                   "Please make sure the right file is being loaded.");

} // namespace

class AltLoadTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() {
        QDir::setCurrent(QDir::tempPath());
        fake.reset();
    }

    void controlsAreWhereTheFormPutsThem_data();
    void controlsAreWhereTheFormPutsThem();
    void windowAndTabOrder();
    void openingEntersTheDefaultFolder();
    void openingOnAnotherDriveSwitchesDrive();
    void openingWithoutTheFolderChangesNothing();
    void rendererOptions_data();
    void rendererOptions();
    void resetPutsTheDefaultBack();
    void okStartsTheChosenExecutable();
    void okAtADriveRootAndWithNoArguments();
    void failureKeepsTheDialogOpen();
    void okStartsARealProgramInItsFolder();
    void browseHandsOverTheChosenFolder();
    void browseCancelKeepsTheFolder();
    void escapeDoesNotClose();

private:
    std::unique_ptr<fakes::FakePlatform> fake;
    QString gameNative;
};

void AltLoadTest::init() {
    fake = std::make_unique<fakes::FakePlatform>();
    gameNative = fake->prefix.makeFolder("Program Files/Bullfrog/Populous");
    fake->prefix.makeFolder("Other");
    QVERIFY(fake->files->changeDirectory(R"(C:\Other)"));
    QVERIFY(fake->files->changeDrive("c"));
}

void AltLoadTest::controlsAreWhereTheFormPutsThem_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");
    auto row = [](const char* name, const char* container, const QString& text, int l, int t, int w,
                  int h) {
        QTest::newRow(name) << QString(name) << QString(container) << text << QRect(l, t, w, h);
    };
    row("quote", "frmaltload", "\"", 600, 4080, 375, 285);
    row("cmdline", "frmaltload", "", 2040, 3720, 3735, 1215);
    row("gameexe", "frmaltload", "\\D3Dpoptb.exe", 120, 3720, 1815, 285);
    row("Frame1", "frmaltload", "Select Hardware or Software", 120, 1680, 5775, 615);
    row("bg01", "Frame1", "", 120, 240, 5535, 255);
    row("selD3D", "bg01", "Direct 3D Rendering", 2760, 0, 2655, 255);
    row("selsoftware", "bg01", "Software (No Direct 3D Support)", 0, 0, 2655, 255);
    row("reset", "frmaltload", "&Reset", 5040, 1320, 855, 285);
    row("browse", "frmaltload", "&Browse", 4060, 1320, 975, 285);
    row("popdir", "frmaltload", Default, 120, 1320, 3855, 285);
    row("CancelButton", "frmaltload", "Cancel", 4680, 2520, 1215, 375);
    row("OKButton", "frmaltload", "OK", 3360, 2520, 1215, 375);
    row("Label4", "frmaltload", "Commandline", 2280, 3480, 1095, 255);
    row("Label3", "frmaltload", "Game EXE", 120, 3480, 1575, 255);
    row("Label2", "frmaltload", "Please Specify your Populous Directory:", 120, 1080, 3255, 255);
    row("Label1", "frmaltload",
        "If an error occured while trying to launch Populous normally, then use this dialog to "
        "try and launch it manually.  Most reasons for having to use this method involved "
        "invalid registry entries and / or a corrupt Populous install.  Reinstalling Populous "
        "might ressolve this issue.",
        120, 120, 5775, 855);
}

void AltLoadTest::controlsAreWhereTheFormPutsThem() {
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, text);
    QFETCH(QRect, twips);
    frmaltload dialog(true, Args);
    auto* control = dialog.findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(caption(control), text);
    QCOMPARE(control->geometry(),
             forms::twips(twips.x(), twips.y(), twips.width(), twips.height()));
    // The working fields lie below the client area and are never seen.
    const bool hidden = twips.y() >= 3480;
    QCOMPARE(control->geometry().top() >= dialog.height(), hidden && container == "frmaltload");
}

void AltLoadTest::windowAndTabOrder() {
    frmaltload dialog(true, Args);
    QCOMPARE(dialog.windowTitle(), QString("Alternative Load"));
    QCOMPARE(dialog.size(), forms::twipsSize(6030, 2940));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(dialog.selD3D->isChecked());
    QVERIFY(!dialog.selsoftware->isChecked());
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        QVERIFY(!b->autoDefault() && !b->isDefault());
    QVERIFY(dialog.quote->isReadOnly() && dialog.gameexe->isReadOnly() &&
            dialog.popdir->isReadOnly() && dialog.cmdline->isReadOnly());

    QWidget* expected[] = {dialog.popdir,  dialog.browse,   dialog.reset,        dialog.selsoftware,
                           dialog.selD3D,  dialog.OKButton, dialog.CancelButton, dialog.gameexe,
                           dialog.cmdline, dialog.quote};
    for (std::size_t i = 1; i < std::size(expected); ++i) {
        QWidget* next = expected[i - 1]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus)
            next = next->nextInFocusChain();
        QCOMPARE(next->objectName(), expected[i]->objectName());
    }
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(QApplication::focusWidget(), dialog.popdir);
}

void AltLoadTest::openingEntersTheDefaultFolder() {
    frmaltload dialog(true, Args);
    QCOMPARE(fake->files->currentDirectory(), Default);
    QCOMPARE(QFileInfo(QDir::currentPath()).canonicalFilePath(),
             QFileInfo(gameNative).canonicalFilePath());
}

void AltLoadTest::openingOnAnotherDriveSwitchesDrive() {
    QVERIFY(fake->files->changeDrive("z"));
    QVERIFY(fake->files->currentDirectory().startsWith("Z:"));
    frmaltload dialog(false, Args);
    QCOMPARE(fake->files->currentDirectory(), Default);
    QCOMPARE(dialog.gameexe->text(), QString("\\D3DpoptbUW.exe"));
}

void AltLoadTest::openingWithoutTheFolderChangesNothing() {
    QVERIFY(QDir(gameNative).removeRecursively());
    QVERIFY(fake->files->changeDrive("z"));
    const QString before = fake->files->currentDirectory();
    const QString cBefore = fake->files->currentDirectoryOf("c");
    frmaltload dialog(true, Args);
    QCOMPARE(fake->files->currentDirectory(), before);
    QCOMPARE(fake->files->currentDirectoryOf("c"), cBefore);
    QVERIFY(fake->ui.boxes.empty());
}

void AltLoadTest::rendererOptions_data() {
    QTest::addColumn<bool>("popTB");
    QTest::addColumn<QString>("direct3D");
    QTest::addColumn<QString>("software");
    QTest::newRow("The Beginning") << true << "\\D3Dpoptb.exe"
                                   << "\\poptb.exe";
    QTest::newRow("Undiscovered Worlds") << false << "\\D3DpoptbUW.exe"
                                         << "\\poptbUW.exe";
}

void AltLoadTest::rendererOptions() {
    QFETCH(bool, popTB);
    QFETCH(QString, direct3D);
    QFETCH(QString, software);
    frmaltload dialog(popTB, Args);
    QCOMPARE(dialog.gameexe->text(), direct3D);
    QTest::mouseClick(dialog.selsoftware, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(dialog.gameexe->text(), software);
    QTest::mouseClick(dialog.selD3D, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(dialog.gameexe->text(), direct3D);
    // Only the last selection counts for OK.
    dialog.OKButton->click();
    QCOMPARE(fake->processes.starts.back().application, Default + direct3D);
}

void AltLoadTest::resetPutsTheDefaultBack() {
    frmaltload dialog(true, Args);
    dialog.popdir->setText(R"(C:\Other)");
    const QString folder = fake->files->currentDirectory();
    dialog.reset->click();
    QCOMPARE(dialog.popdir->text(), Default);
    QCOMPARE(fake->files->currentDirectory(), folder);
}

void AltLoadTest::okStartsTheChosenExecutable() {
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
    // The folder is the working directory again, as on opening.
    QCOMPARE(fake->files->currentDirectory(), Default);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(fake->ui.boxes.empty());
}

void AltLoadTest::okAtADriveRootAndWithNoArguments() {
    frmaltload dialog(true, QString());
    dialog.popdir->setText(R"(C:\)");
    dialog.OKButton->click();
    QCOMPARE(fake->processes.starts.size(), 1u);
    QCOMPARE(fake->processes.starts[0].application, QString(R"(C:\\D3Dpoptb.exe)"));
    QCOMPARE(fake->processes.starts[0].commandLine, QString(R"("C:\\D3Dpoptb.exe" )"));
    QCOMPARE(fake->files->currentDirectory(), QString(R"(C:\)"));
}

void AltLoadTest::failureKeepsTheDialogOpen() {
    // A missing folder: nothing is started.
    frmaltload dialog(true, Args);
    dialog.show();
    dialog.popdir->setText(R"(C:\Nowhere)");
    dialog.OKButton->click();
    QVERIFY(fake->processes.starts.empty());
    QCOMPARE(fake->ui.boxes.size(), 1u);
    QCOMPARE(fake->ui.boxes[0].text, FailureText.arg(R"(C:\Nowhere\D3Dpoptb.exe)"));
    QCOMPARE(fake->ui.boxes[0].title, QString("Error- Loading Populous"));
    QCOMPARE(fake->ui.boxes[0].style, 48);
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.popdir->text(), QString(R"(C:\Nowhere)"));

    // The start failing (the file missing): the same message, the dialog keeps its values.
    fake->processes.succeed = false;
    dialog.reset->click();
    QTest::mouseClick(dialog.selsoftware, Qt::LeftButton, {}, QPoint(5, 5));
    dialog.OKButton->click();
    QCOMPARE(fake->processes.starts.size(), 1u);
    QCOMPARE(fake->ui.boxes.size(), 2u);
    QCOMPARE(fake->ui.boxes[1].text, FailureText.arg(Default + "\\poptb.exe"));
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.gameexe->text(), QString("\\poptb.exe"));

    // Cancel then closes without starting anything.
    dialog.CancelButton->click();
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(fake->processes.starts.size(), 1u);
}

void AltLoadTest::okStartsARealProgramInItsFolder() {
    platform::linuxbackend::LinuxProcesses real(*fake->files);
    platform::Services services = fake->services();
    services.processes = &real;
    platform::install(services);

    frmaltload dialog(true, "/j tcp 1.2.3.4 /nA B");
    dialog.show();
    // Missing executable under the real backend.
    dialog.OKButton->click();
    QCOMPARE(fake->ui.boxes.size(), 1u);
    QCOMPARE(fake->ui.boxes[0].text, FailureText.arg(Default + "\\D3Dpoptb.exe"));
    QVERIFY(dialog.isVisible());

    writeRecorder(gameNative + "/D3Dpoptb.exe");
    QVERIFY(fake->files->changeDirectory(R"(C:\Other)"));
    dialog.OKButton->click();
    QVERIFY(!dialog.isVisible());
    const QString game = gameNative + "/D3Dpoptb.exe";
    QCOMPARE(fakes::recordedArguments(game), (QStringList{"/j", "tcp", "1.2.3.4", "/nA", "B"}));
    QCOMPARE(QFileInfo(fakes::recordedFolder(game)).canonicalFilePath(),
             QFileInfo(gameNative).canonicalFilePath());
}

void AltLoadTest::browseHandsOverTheChosenFolder() {
    const QString otherNative = fake->prefix.makeFolder("Other/Game");
    writeRecorder(otherNative + "/D3Dpoptb.exe");
    frmaltload dialog(true, Args);
    dialog.show();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* picker = qobject_cast<frmfindpop*>(QApplication::activeModalWidget());
        if (!picker)
            return;
        seen = picker->parentWidget() == &dialog && picker->isModal();
        QVERIFY(picker->setDirPath(R"(C:\Other\Game)"));
        picker->OKButton->click();
    });
    dialog.browse->click();
    QVERIFY(seen);
    QCOMPARE(dialog.popdir->text(), QString(R"(C:\Other\Game)"));

    // OK uses the new folder; its failure message names it too.
    fake->processes.succeed = false;
    dialog.OKButton->click();
    QCOMPARE(fake->processes.starts.back().application, QString(R"(C:\Other\Game\D3Dpoptb.exe)"));
    QCOMPARE(fake->processes.starts.back().workingDirectory, QString(R"(C:\Other\Game)"));
    QCOMPARE(fake->ui.boxes.back().text, FailureText.arg(R"(C:\Other\Game\D3Dpoptb.exe)"));
    // After "&Reset", the default folder again.
    dialog.reset->click();
    fake->processes.succeed = true;
    dialog.OKButton->click();
    QCOMPARE(fake->processes.starts.back().application, Default + "\\D3Dpoptb.exe");
}

void AltLoadTest::browseCancelKeepsTheFolder() {
    frmaltload dialog(true, Args);
    dialog.show();
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* picker = qobject_cast<frmfindpop*>(QApplication::activeModalWidget());
        if (!picker)
            return;
        seen = true;
        picker->setDirPath(R"(C:\)");
        picker->CancelButton->click();
    });
    dialog.browse->click();
    QVERIFY(seen);
    QCOMPARE(dialog.popdir->text(), Default);
}

void AltLoadTest::escapeDoesNotClose() {
    frmaltload dialog(true, Args);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClick(dialog.popdir, Qt::Key_Escape);
    QTest::keyClick(dialog.popdir, Qt::Key_Return);
    QVERIFY(dialog.isVisible());
    QVERIFY(fake->processes.starts.empty());
}

QTEST_MAIN(AltLoadTest)
#include "test_altload.moc"
