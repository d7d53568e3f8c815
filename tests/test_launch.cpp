// "&Launch Game" and "&Troubleshoot...": the command they build, the checks, the start, and
// the manual load dialog they fall back to.

#include "app/frmMain.h"
#include "fakes/fake_platform.h"
#include "fakes/recording_game.h"
#include "manual/frmaltload.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_processes.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace {

const QString GameFolder = QStringLiteral(R"(C:\Program Files\Bullfrog\Populous)");

void writeRecorder(const QString& path) {
    QVERIFY(fakes::writeRecordingGame(path));
}

// Clears both options of an exclusive pair, as loading a join choice does to the hosting pair.
void clear(QRadioButton* a, QRadioButton* b) {
    for (QRadioButton* button : {a, b}) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

struct Choices {
    bool expansion = false;
    int way = 0; // 0 host without router, 1 host with router, 2 join
    QString local, external, join, name;
};

void choose(frmMain& window, const Choices& c) {
    (c.expansion ? window.selUW : window.selpoptb)->setChecked(true);
    (c.way == 2 ? window.seljoin : window.selhost)->setChecked(true);
    if (c.way == 1)
        window.selwithrouter->setChecked(true);
    window.txtLocalIP->setText(c.local);
    window.txtRouterIP->setText(c.external);
    window.joinIP->setText(c.join);
    window.username->setText(c.name);
}

// What the next modal dialog looked like when it opened; it is then cancelled.
struct SeenDialog {
    bool opened = false;
    QWidget* owner = nullptr;
    QString gameexe;
    QString popdir;
};

void expectAltLoad(SeenDialog& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* dialog = qobject_cast<frmaltload*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen.opened = true;
        seen.owner = dialog->parentWidget();
        seen.gameexe = dialog->gameexe->text();
        seen.popdir = dialog->popdir->text();
        dialog->CancelButton->click();
    });
}

} // namespace

Q_DECLARE_METATYPE(Choices)

class LaunchTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void commandLinesReachTheGame_data();
    void commandLinesReachTheGame();
    void startIsAskedForTheExactSelector();
    void driveRootKeepsBothBackslashes();
    void nameMessageComesFirst();
    void joinNeedsAnAddress();
    void noSelectionKeepsThePreviousParts();
    void failedStartOpensTheManualLoad();
    void troubleshooterNeedsAName();
    void troubleshooterBuildsAndOpensTheDialog();
    void troubleshooterIsOnCtrlT();

private:
    std::unique_ptr<fakes::FakePlatform> fake;
    std::unique_ptr<platform::linuxbackend::LinuxProcesses> realProcesses;
    QString gameNative;
    QString decoy;
};

void LaunchTest::init() {
    fake = std::make_unique<fakes::FakePlatform>();
    gameNative = fake->prefix.makeFolder("Program Files/Bullfrog/Populous");
    writeRecorder(gameNative + "/HW_SW_Select.exe");
    decoy = fake->prefix.driveC() + "/Program.exe";
    writeRecorder(decoy);
    QVERIFY(fake->files->changeDirectory(GameFolder));
    QVERIFY(fake->files->changeDrive("C"));
    QCOMPARE(fake->files->currentDirectory(), GameFolder);
}

void LaunchTest::cleanup() {
    QDir::setCurrent(QDir::tempPath());
    fake.reset();
    realProcesses.reset();
}

void LaunchTest::commandLinesReachTheGame_data() {
    QTest::addColumn<Choices>("choices");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("arguments");
    const QString exe = GameFolder + R"(\HW_SW_Select.exe )";
    const Choices base{false, 0, "192.168.0.2", "203.0.113.7", "198.51.100.4", "Player1"};
    auto with = [&](bool expansion, int way) {
        Choices c = base;
        c.expansion = expansion;
        c.way = way;
        return c;
    };

    QTest::newRow("tb host without router")
        << with(false, 0) << exe + "/h tcp /boundip 192.168.0.2 /nPlayer1"
        << QStringList{"/h", "tcp", "/boundip", "192.168.0.2", "/nPlayer1"};
    QTest::newRow("tb host with router")
        << with(false, 1) << exe + "/h tcp /boundip 192.168.0.2 /externip 203.0.113.7 /nPlayer1"
        << QStringList{"/h",        "tcp",         "/boundip", "192.168.0.2",
                       "/externip", "203.0.113.7", "/nPlayer1"};
    QTest::newRow("tb join") << with(false, 2) << exe + "/j tcp 198.51.100.4 /nPlayer1"
                             << QStringList{"/j", "tcp", "198.51.100.4", "/nPlayer1"};
    QTest::newRow("uw host without router")
        << with(true, 0) << exe + "/GAME=UW /h tcp /boundip 192.168.0.2 /nPlayer1"
        << QStringList{"/GAME=UW", "/h", "tcp", "/boundip", "192.168.0.2", "/nPlayer1"};
    QTest::newRow("uw host with router")
        << with(true, 1)
        << exe + "/GAME=UW /h tcp /boundip 192.168.0.2 /externip 203.0.113.7 /nPlayer1"
        << QStringList{"/GAME=UW",    "/h",        "tcp",         "/boundip",
                       "192.168.0.2", "/externip", "203.0.113.7", "/nPlayer1"};
    QTest::newRow("uw join") << with(true, 2) << exe + "/GAME=UW /j tcp 198.51.100.4 /nPlayer1"
                             << QStringList{"/GAME=UW", "/j", "tcp", "198.51.100.4", "/nPlayer1"};

    QTest::newRow("empty addresses")
        << Choices{false, 1, "", "", "", "Ann"} << exe + "/h tcp /boundip  /externip  /nAnn"
        << QStringList{"/h", "tcp", "/boundip", "/externip", "/nAnn"};
    QTest::newRow("name of blanks")
        << Choices{false, 0, "10.0.0.1", "", "", "   "} << exe + "/h tcp /boundip 10.0.0.1 /n   "
        << QStringList{"/h", "tcp", "/boundip", "10.0.0.1", "/n"};
    QTest::newRow("shell characters")
        << Choices{false, 2, "", "", "1.2.3.4", "; rm -rf ~"} << exe + "/j tcp 1.2.3.4 /n; rm -rf ~"
        << QStringList{"/j", "tcp", "1.2.3.4", "/n;", "rm", "-rf", "~"};
    QTest::newRow("quoted name") << Choices{false, 2, "", "", "1.2.3.4", "\"A B\" $HOME"}
                                 << exe + "/j tcp 1.2.3.4 /n\"A B\" $HOME"
                                 << QStringList{"/j", "tcp", "1.2.3.4", "/nA B", "$HOME"};
}

void LaunchTest::commandLinesReachTheGame() {
    QFETCH(Choices, choices);
    QFETCH(QString, line);
    QFETCH(QStringList, arguments);
    realProcesses = std::make_unique<platform::linuxbackend::LinuxProcesses>(*fake->files);
    platform::Services services = fake->services();
    services.processes = realProcesses.get();
    platform::install(services);

    frmMain window;
    choose(window, choices);
    window.launch_Click();

    QCOMPARE(window.launchexe + window.launchargs, line);
    QCOMPARE(fakes::recordedArguments(gameNative + "/HW_SW_Select.exe"), arguments);
    QVERIFY(fake->ui.boxes.empty());
    QVERIFY(!QFile::exists(decoy + ".args"));
    QVERIFY(!QApplication::activeModalWidget());
}

void LaunchTest::startIsAskedForTheExactSelector() {
    frmMain window;
    choose(window, {true, 1, "L", "X", "", "U"});
    window.launch_Click();
    QCOMPARE(fake->processes.starts.size(), 1u);
    const fakes::StartCall& call = fake->processes.starts.front();
    QCOMPARE(call.application, GameFolder + R"(\HW_SW_Select.exe)");
    QCOMPARE(call.commandLine,
             GameFolder + R"(\HW_SW_Select.exe /GAME=UW /h tcp /boundip L /externip X /nU)");
    QCOMPARE(call.workingDirectory, QString()); // the current folder
    QCOMPARE(window.launchexe, GameFolder + R"(\HW_SW_Select.exe /GAME=UW )");
    QCOMPARE(window.launchargs, QString("/h tcp /boundip L /externip X /nU"));

    // Each click that passes the checks starts one more game.
    window.launch_Click();
    QCOMPARE(fake->processes.starts.size(), 2u);
}

void LaunchTest::driveRootKeepsBothBackslashes() {
    writeRecorder(fake->prefix.driveC() + "/HW_SW_Select.exe");
    QVERIFY(fake->files->changeDirectory(R"(C:\)"));
    realProcesses = std::make_unique<platform::linuxbackend::LinuxProcesses>(*fake->files);
    platform::Services services = fake->services();
    services.processes = realProcesses.get();
    platform::install(services);

    frmMain window;
    choose(window, {false, 0, "1.2.3.4", "", "", "Root"});
    window.launch_Click();
    QCOMPARE(window.launchexe, QString(R"(C:\\HW_SW_Select.exe )"));
    QCOMPARE(fakes::recordedArguments(fake->prefix.driveC() + "/HW_SW_Select.exe"),
             (QStringList{"/h", "tcp", "/boundip", "1.2.3.4", "/nRoot"}));
}

void LaunchTest::nameMessageComesFirst() {
    frmMain window;
    choose(window, {false, 2, "", "", "", ""});
    window.launch_Click();
    QCOMPARE(fake->ui.boxes.size(), 1u);
    QCOMPARE(fake->ui.boxes[0].text,
             QString("Please specify a username so you can be identified in-game."));
    QCOMPARE(fake->ui.boxes[0].title, QString("Username Required!"));
    QCOMPARE(fake->ui.boxes[0].style, 48);
    QVERIFY(fake->processes.starts.empty());
    // The command was built before the check stopped it.
    QCOMPARE(window.launchexe, GameFolder + R"(\HW_SW_Select.exe )");
    QCOMPARE(window.launchargs, QString("/j tcp  /n"));
}

void LaunchTest::joinNeedsAnAddress() {
    frmMain window;
    choose(window, {true, 2, "1.1.1.1", "", "", "Zed"});
    window.launch_Click();
    QCOMPARE(fake->ui.boxes.size(), 1u);
    QCOMPARE(fake->ui.boxes[0].text, QString("Please specify an IP address to connect to."));
    QCOMPARE(fake->ui.boxes[0].title, QString("No IP Adress Specified"));
    QCOMPARE(fake->ui.boxes[0].style, 48);
    QVERIFY(fake->processes.starts.empty());
    QCOMPARE(window.launchargs, QString("/j tcp  /nZed"));

    // Hosting never checks the addresses.
    fake->ui.boxes.clear();
    choose(window, {false, 0, "", "", "", "Zed"});
    window.launch_Click();
    QVERIFY(fake->ui.boxes.empty());
    QCOMPARE(fake->processes.starts.size(), 1u);
    QCOMPARE(fake->processes.starts[0].commandLine,
             GameFolder + R"(\HW_SW_Select.exe /h tcp /boundip  /nZed)");
}

void LaunchTest::noSelectionKeepsThePreviousParts() {
    frmMain window;
    window.launchexe = "OLD\\HW_SW_Select.exe ";
    window.launchargs = "previous";
    window.username->setText("U");
    clear(window.selpoptb, window.selUW);
    clear(window.selhost, window.seljoin);
    window.launch_Click();
    QCOMPARE(window.launchexe, QString("OLD\\HW_SW_Select.exe "));
    QCOMPARE(window.launchargs, QString("previous"));
    // The start names the selector the kept executable part holds.
    QCOMPARE(fake->processes.starts.size(), 1u);
    QCOMPARE(fake->processes.starts[0].application, QString("OLD\\HW_SW_Select.exe"));
    QCOMPARE(fake->processes.starts[0].commandLine, QString("OLD\\HW_SW_Select.exe previous"));

    // Hosting with neither hosting option selected keeps the arguments too.
    window.selhost->setChecked(true);
    clear(window.selwithoutrouter, window.selwithrouter);
    window.launch_Click();
    QCOMPARE(window.launchargs, QString("previous"));
}

void LaunchTest::failedStartOpensTheManualLoad() {
    fake->processes.succeed = false;
    for (bool expansion : {false, true}) {
        frmMain window;
        choose(window, {expansion, 2, "", "", "5.6.7.8", "Kim"});
        SeenDialog seen;
        expectAltLoad(seen);
        window.launch_Click();
        QVERIFY(seen.opened);
        QCOMPARE(seen.owner, &window);
        QCOMPARE(seen.gameexe, expansion ? QString("\\D3DpoptbUW.exe") : QString("\\D3Dpoptb.exe"));
        QVERIFY(fake->ui.boxes.empty()); // no message of its own
        QCOMPARE(window.launchargs, QString("/j tcp 5.6.7.8 /nKim"));
    }

    // The dialog starts the game with the prepared arguments.
    frmMain window;
    choose(window, {false, 0, "9.9.9.9", "", "", "Lee"});
    fake->prefix.makeFolder("Program Files/Bullfrog/Populous");
    bool pressed = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<frmaltload*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        pressed = true;
        fake->processes.succeed = true;
        dialog->OKButton->click();
    });
    window.launch_Click();
    QVERIFY(pressed);
    QCOMPARE(fake->processes.starts.back().commandLine,
             QString(R"("C:\Program Files\Bullfrog\Populous\D3Dpoptb.exe" /h tcp /boundip )"
                     R"(9.9.9.9 /nLee)"));
    QVERIFY(!QApplication::activeModalWidget());
}

void LaunchTest::troubleshooterNeedsAName() {
    frmMain window;
    window.launchargs = "previous";
    window.launchexe = "kept";
    choose(window, {false, 0, "1.2.3.4", "", "", ""});
    SeenDialog seen;
    expectAltLoad(seen);
    window.mnutroubleshoot_Click();
    QCoreApplication::processEvents();
    QVERIFY(!seen.opened);
    QCOMPARE(fake->ui.boxes.size(), 1u);
    QCOMPARE(fake->ui.boxes[0].text,
             QString("Please input your username and other settings before running the "
                     "troubleshooter."));
    QCOMPARE(fake->ui.boxes[0].title, QString("No Username"));
    QCOMPARE(fake->ui.boxes[0].style, 48);
    QCOMPARE(window.launchargs, QString("previous"));
    QCOMPARE(window.launchexe, QString("kept"));
}

void LaunchTest::troubleshooterBuildsAndOpensTheDialog() {
    frmMain window;
    window.launchexe = "kept";
    choose(window, {true, 2, "", "", "", "Uma"});
    SeenDialog seen;
    expectAltLoad(seen);
    window.mnutroubleshoot_Click();
    QVERIFY(seen.opened);
    QCOMPARE(seen.owner, &window);
    QCOMPARE(seen.gameexe, QString("\\D3DpoptbUW.exe"));
    QVERIFY(fake->ui.boxes.empty()); // no join-address check here
    QCOMPARE(window.launchargs, QString("/j tcp  /nUma"));
    QCOMPARE(window.launchexe, QString("kept"));
    QVERIFY(fake->processes.starts.empty());
}

void LaunchTest::troubleshooterIsOnCtrlT() {
    frmMain window;
    QCOMPARE(window.mnutroubleshoot->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
    QCOMPARE(window.mnutroubleshoot->text(), QString("&Troubleshoot..."));
    window.username->setText("Pat");
    SeenDialog seen;
    expectAltLoad(seen);
    window.mnutroubleshoot->trigger();
    QVERIFY(seen.opened);
    QCOMPARE(window.launchargs, QString("/h tcp /boundip  /nPat"));
}

QTEST_MAIN(LaunchTest)
#include "test_launch.moc"
