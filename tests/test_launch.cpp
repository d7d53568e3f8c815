// "&Launch Game" and "&Troubleshoot...": the command they build, the checks, the start, and
// the manual load dialog they fall back to.

#include "app/frmMain.h"
#include "fakes/fake_platform.h"
#include "fakes/recording_game.h"
#include "manual/frmaltload.h"
#include "platform/linux/linux_processes.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>

namespace {

const QString GameFolder = R"(C:\Program Files\Bullfrog\Populous)";

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

// Clears both options of an exclusive pair, as loading a join choice does to the hosting pair.
void clear(QRadioButton* a, QRadioButton* b) {
    for (QRadioButton* button : {a, b}) {
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(true);
    }
}

// Notes the alternative load dialog once it is up, then cancels it.
struct SeenDialog {
    bool opened = false;
    QWidget* owner = nullptr;
    QString gameexe;
};
void expectAltLoad(SeenDialog& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* dialog = qobject_cast<frmaltload*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen = {true, dialog->parentWidget(), dialog->gameexe->text()};
        dialog->CancelButton->click();
    });
}

void expectBox(const fakes::FakePlatform& fake, const QString& text, const QString& title) {
    QCOMPARE(fake.ui.boxes.size(), 1u);
    QCOMPARE(fake.ui.boxes[0].text, text);
    QCOMPARE(fake.ui.boxes[0].title, title);
    QCOMPARE(fake.ui.boxes[0].style, 48);
}

} // namespace

Q_DECLARE_METATYPE(Choices)

class LaunchTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        fake = std::make_unique<fakes::FakePlatform>();
        gameNative = fake->prefix.makeFolder("Program Files/Bullfrog/Populous");
        QVERIFY(fakes::writeRecordingGame(gameNative + "/HW_SW_Select.exe"));
        QVERIFY(fakes::writeRecordingGame(fake->prefix.driveC() + "/Program.exe")); // a decoy
        QVERIFY(fake->files->changeDirectory(GameFolder));
        QVERIFY(fake->files->changeDrive("C"));
    }
    void cleanup() {
        QDir::setCurrent(QDir::tempPath());
        fake.reset();
    }

    void commandLinesReachTheGame_data() {
        QTest::addColumn<Choices>("choices");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("arguments"); // as the game gets them, one per "<>"
        const Choices all{false, 0, "192.168.0.2", "203.0.113.7", "198.51.100.4", "P1"};
        auto row = [&](const char* tag, Choices c, const QString& line, const QString& args) {
            QTest::newRow(tag) << c << line << args;
        };
        const QString host = "/h tcp /boundip 192.168.0.2 /nP1", join = "/j tcp 198.51.100.4 /nP1";
        const QString router = "/h tcp /boundip 192.168.0.2 /externip 203.0.113.7 /nP1";
        for (bool uw : {false, true}) {
            const QString game = uw ? "/GAME=UW " : "";
            const QString tag = uw ? "uw " : "tb ";
            for (int way : {0, 1, 2}) {
                Choices c = all;
                c.expansion = uw;
                c.way = way;
                const QString args = game + (way == 0 ? host : way == 1 ? router : join);
                row(qPrintable(tag + QString::number(way)), c, args,
                    '<' + args.split(' ').join("><") + '>');
            }
        }
        row("empty addresses", {false, 1, "", "", "", "Ann"}, "/h tcp /boundip  /externip  /nAnn",
            "</h><tcp></boundip></externip></nAnn>");
        row("name of blanks", {false, 0, "10.0.0.1", "", "", "   "},
            "/h tcp /boundip 10.0.0.1 /n   ", "</h><tcp></boundip><10.0.0.1></n>");
        row("shell characters", {false, 2, "", "", "1.2.3.4", "; rm -rf ~"},
            "/j tcp 1.2.3.4 /n; rm -rf ~", "</j><tcp><1.2.3.4></n;><rm><-rf><~>");
        row("quoted name", {false, 2, "", "", "1.2.3.4", "\"A B\" $HOME"},
            "/j tcp 1.2.3.4 /n\"A B\" $HOME", "</j><tcp><1.2.3.4></nA B><$HOME>");
        row("drive root", {false, 0, "1.2.3.4", "", "", "Root"}, "/h tcp /boundip 1.2.3.4 /nRoot",
            "</h><tcp></boundip><1.2.3.4></nRoot>");
    }
    void commandLinesReachTheGame() {
        QFETCH(Choices, choices);
        QFETCH(QString, line);
        QFETCH(QString, arguments);
        const bool root = QTest::currentDataTag() == QLatin1String("drive root");
        const QString game = (root ? fake->prefix.driveC() : gameNative) + "/HW_SW_Select.exe";
        QVERIFY(fakes::writeRecordingGame(game));
        if (root)
            QVERIFY(fake->files->changeDirectory(R"(C:\)"));
        platform::linuxbackend::LinuxProcesses real(*fake->files);
        platform::Services services = fake->services();
        services.processes = &real;
        platform::install(services);

        frmMain window;
        choose(window, choices);
        window.launch_Click();
        const QString selector =
            root ? R"(C:\\HW_SW_Select.exe )" : GameFolder + R"(\HW_SW_Select.exe )";
        QCOMPARE(window.launchexe, selector + (choices.expansion ? "/GAME=UW " : ""));
        QCOMPARE(window.launchexe + window.launchargs, selector + line);
        QCOMPARE('<' + fakes::recordedArguments(game).join("><") + '>', arguments);
        QVERIFY(fake->ui.boxes.empty() && !QApplication::activeModalWidget());
        QVERIFY(!QFile::exists(fake->prefix.driveC() + "/Program.exe.args"));
    }

    void startIsAskedForTheExactSelector() {
        frmMain window;
        choose(window, {true, 1, "L", "X", "", "U"});
        window.launch_Click();
        window.launch_Click(); // each click that passes the checks starts one more game
        QCOMPARE(fake->processes.starts.size(), 2u);
        const fakes::StartCall& call = fake->processes.starts.front();
        QCOMPARE(call.application, GameFolder + R"(\HW_SW_Select.exe)");
        QCOMPARE(call.commandLine,
                 GameFolder + R"(\HW_SW_Select.exe /GAME=UW /h tcp /boundip L /externip X /nU)");
        QCOMPARE(call.workingDirectory, QString()); // the current folder
    }

    void checksComeAfterTheCommandIsBuilt_data() {
        QTest::addColumn<Choices>("choices");
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("name first") << Choices{false, 2, "", "", "", ""} << "/j tcp  /n"
                                    << "Please specify a username so you can be identified in-game."
                                    << "Username Required!";
        QTest::newRow("join address")
            << Choices{true, 2, "1.1.1.1", "", "", "Zed"} << "/j tcp  /nZed"
            << "Please specify an IP address to connect to."
            << "No IP Adress Specified";
    }
    void checksComeAfterTheCommandIsBuilt() {
        QFETCH(Choices, choices);
        QFETCH(QString, args);
        QFETCH(QString, text);
        QFETCH(QString, title);
        frmMain window;
        choose(window, choices);
        window.launch_Click();
        expectBox(*fake, text, title);
        QVERIFY(fake->processes.starts.empty());
        QVERIFY(window.launchexe.startsWith(GameFolder + R"(\HW_SW_Select.exe )"));
        QCOMPARE(window.launchargs, args);
    }

    void noSelectionKeepsThePreviousParts() {
        frmMain window;
        window.launchexe = "OLD\\HW_SW_Select.exe ";
        window.launchargs = "previous";
        window.username->setText("U");
        clear(window.selpoptb, window.selUW);
        clear(window.selhost, window.seljoin);
        window.launch_Click();
        QCOMPARE(window.launchexe, QString("OLD\\HW_SW_Select.exe "));
        QCOMPARE(fake->processes.starts.size(), 1u);
        QCOMPARE(fake->processes.starts[0].application, QString("OLD\\HW_SW_Select.exe"));
        QCOMPARE(fake->processes.starts[0].commandLine, QString("OLD\\HW_SW_Select.exe previous"));
        // Hosting with neither hosting option selected keeps the arguments too.
        window.selhost->setChecked(true);
        clear(window.selwithoutrouter, window.selwithrouter);
        window.launch_Click();
        QCOMPARE(window.launchargs, QString("previous"));
    }

    void failedStartOpensTheManualLoad() {
        fake->processes.succeed = false;
        for (bool uw : {false, true}) {
            frmMain window;
            choose(window, {uw, 2, "", "", "5.6.7.8", "Kim"});
            SeenDialog seen;
            expectAltLoad(seen);
            window.launch_Click();
            QVERIFY(seen.opened && seen.owner == &window);
            QCOMPARE(seen.gameexe, uw ? QString("\\D3DpoptbUW.exe") : QString("\\D3Dpoptb.exe"));
            QVERIFY(fake->ui.boxes.empty()); // no message of its own
        }
        // OK there starts the game with the prepared arguments.
        frmMain window;
        choose(window, {false, 0, "9.9.9.9", "", "", "Lee"});
        QTimer::singleShot(0, [&] {
            fake->processes.succeed = true;
            if (auto* dialog = qobject_cast<frmaltload*>(QApplication::activeModalWidget()))
                dialog->OKButton->click();
        });
        window.launch_Click();
        QVERIFY(fake->processes.succeed && !QApplication::activeModalWidget());
        QCOMPARE(fake->processes.starts.back().commandLine,
                 '"' + GameFolder + "\\D3Dpoptb.exe\" /h tcp /boundip 9.9.9.9 /nLee");
    }

    void troubleshooter() {
        frmMain window;
        QCOMPARE(window.mnutroubleshoot->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
        QCOMPARE(window.mnutroubleshoot->text(), QString("&Troubleshoot..."));
        window.launchexe = "kept";
        window.launchargs = "previous";
        choose(window, {false, 0, "1.2.3.4", "", "", ""});
        SeenDialog seen;
        expectAltLoad(seen);
        window.mnutroubleshoot->trigger();
        QCoreApplication::processEvents();
        QVERIFY(!seen.opened);
        expectBox(*fake,
                  "Please input your username and other settings before running the "
                  "troubleshooter.",
                  "No Username");
        QCOMPARE(window.launchargs, QString("previous"));

        choose(window, {true, 2, "", "", "", "Uma"}); // no join-address check here
        expectAltLoad(seen);
        window.mnutroubleshoot->trigger();
        QVERIFY(seen.opened && seen.owner == &window);
        QCOMPARE(seen.gameexe, QString("\\D3DpoptbUW.exe"));
        QCOMPARE(fake->ui.boxes.size(), 1u);
        QCOMPARE(window.launchargs, QString("/j tcp  /nUma"));
        QCOMPARE(window.launchexe, QString("kept"));
        QVERIFY(fake->processes.starts.empty());
    }

private:
    std::unique_ptr<fakes::FakePlatform> fake;
    QString gameNative;
};

QTEST_MAIN(LaunchTest)
#include "test_launch.moc"
