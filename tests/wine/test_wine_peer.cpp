// Velkor against a real Wine prefix: the Linux backend as the program uses it, Wine's own
// registry files and tools, and a Windows program that records how it was started.
//
// The prefix comes from tests/wine/make_prefix.sh (WINEPREFIX); the game's executables there
// record their command line, current folder, own path and arguments into the Windows file named
// by VELKOR_RECORD. Only the message boxes and the address download are fakes.

#include "app/frmMain.h"
#include "fakes/fake_platform.h"
#include "help/HTMLHelp.h"
#include "help/helpversions.h"
#include "manual/frmaltload.h"
#include "platform/linux/backend.h"
#include "platform/linux/wine_prefix.h"
#include "settings/LaunchSettings.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr int Skipped = 77; // SKIP_RETURN_CODE of these tests
const QString GameFolder = QStringLiteral("C:\\Games\\Populous");
const QString BullfrogFolder = QStringLiteral("C:\\Program Files\\Bullfrog\\Populous");

// What a started game wrote down.
struct Record {
    QString commandLine, folder, module;
    QStringList arguments;
};

// Runs a Wine tool in the test's prefix and returns its standard output.
QString runWine(const QStringList& arguments, int* exitCode = nullptr) {
    QProcess process;
    process.setProgram(QStringLiteral("wine"));
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForFinished(120000))
        process.kill();
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The registry files are complete, and open to our own writes, only once the server is gone.
void waitForWineserver() {
    QProcess::execute(QStringLiteral("wineserver"), {QStringLiteral("-w")});
}

// The real backend over the test prefix, with message boxes recorded and no network.
class Session {
public:
    Session()
        : backend(platform::linuxbackend::WinePrefix::fromEnvironment()),
          previous(platform::current()) {
        platform::Services services = backend.services();
        services.ui = &ui;
        services.downloads = &downloads;
        platform::install(services);
    }
    ~Session() {
        window.reset();
        platform::install(previous);
    }
    frmMain& openWindow() {
        window = std::make_unique<frmMain>();
        window->Form_Load();
        return *window;
    }

    platform::linuxbackend::Backend backend;
    fakes::FakeUi ui;
    fakes::FakeDownloads downloads;
    std::unique_ptr<frmMain> window;

private:
    platform::Services previous;
};

} // namespace

class WinePeerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { waitForWineserver(); }

    void launchReachesTheGame_data();
    void launchReachesTheGame();
    void alternativeLoadReachesTheGame_data();
    void alternativeLoadReachesTheGame();
    void settingsWritten();
    void settingsReadBack();
    void helpRegistrationSeenByWine();
    void hhctrlVersionFromWinesFile();

private:
    // A fresh record file: its Windows path is handed to the next started game.
    QString armRecord();
    // Waits for the game started last to write its record.
    std::optional<Record> awaitRecord();
    static QString toWindows(const QString& native) {
        return platform::current().files->toWindows(native);
    }

    QTemporaryDir records;
    QString recordPath;
    int recordCount = 0;
};

void WinePeerTest::initTestCase() {
    QVERIFY(records.isValid());
    const QString prefix = qEnvironmentVariable("WINEPREFIX");
    QVERIFY2(QFile::exists(prefix + QStringLiteral("/system.reg")),
             "no prefix: tests/wine/make_prefix.sh makes it");
    QVERIFY(QFile::exists(prefix + QStringLiteral("/drive_c/Games/Populous/HW_SW_Select.exe")));
}

QString WinePeerTest::armRecord() {
    recordPath = records.filePath(QStringLiteral("record%1.txt").arg(++recordCount));
    const QString windows = platform::current().files->toWindows(recordPath);
    qputenv("VELKOR_RECORD", windows.toLocal8Bit());
    return windows;
}

std::optional<Record> WinePeerTest::awaitRecord() {
    if (!QTest::qWaitFor([&] { return QFile::exists(recordPath); }, 60000))
        return std::nullopt;
    QFile file(recordPath);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringList lines = QString::fromLocal8Bit(file.readAll()).split(QLatin1Char('\n'));
    if (lines.size() < 4 || !lines.last().isEmpty())
        return std::nullopt;
    lines.removeLast();
    return Record{lines[0], lines[1], lines[2], lines.mid(3)};
}

void WinePeerTest::launchReachesTheGame_data() {
    QTest::addColumn<bool>("undiscoveredWorlds");
    QTest::addColumn<bool>("join");
    QTest::addColumn<bool>("withRouter");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("switches"); // what follows the program's path

    QTest::newRow("TB host without router")
        << false << false << false << QStringLiteral("Player1")
        << QStringLiteral("/h tcp /boundip 192.168.0.2 /nPlayer1");
    QTest::newRow("TB host with router")
        << false << false << true << QStringLiteral("Player1")
        << QStringLiteral("/h tcp /boundip 192.168.0.2 /externip 203.0.113.7 /nPlayer1");
    QTest::newRow("TB join") << false << true << false << QStringLiteral("Player1")
                             << QStringLiteral("/j tcp 198.51.100.4 /nPlayer1");
    QTest::newRow("UW host without router")
        << true << false << false << QStringLiteral("Player1")
        << QStringLiteral("/GAME=UW /h tcp /boundip 192.168.0.2 /nPlayer1");
    QTest::newRow("UW host with router")
        << true << false << true << QStringLiteral("Player1")
        << QStringLiteral("/GAME=UW /h tcp /boundip 192.168.0.2 /externip 203.0.113.7 /nPlayer1");
    // A name with a blank reaches the game as two arguments, as it would on Windows.
    QTest::newRow("UW join") << true << true << false << QStringLiteral("Player One")
                             << QStringLiteral("/GAME=UW /j tcp 198.51.100.4 /nPlayer One");
}

void WinePeerTest::launchReachesTheGame() {
    QFETCH(bool, undiscoveredWorlds);
    QFETCH(bool, join);
    QFETCH(bool, withRouter);
    QFETCH(QString, name);
    QFETCH(QString, switches);

    QDir::setCurrent(records.path()); // the start folder; the load moves to the game's folder
    Session session;
    frmMain& w = session.openWindow();
    QCOMPARE(platform::current().files->currentDirectory(), GameFolder);

    (undiscoveredWorlds ? w.selUW : w.selpoptb)->setChecked(true);
    (join ? w.seljoin : w.selhost)->setChecked(true);
    if (!join)
        (withRouter ? w.selwithrouter : w.selwithoutrouter)->setChecked(true);
    w.txtLocalIP->setText(QStringLiteral("192.168.0.2"));
    w.txtRouterIP->setText(QStringLiteral("203.0.113.7"));
    w.joinIP->setText(QStringLiteral("198.51.100.4"));
    w.username->setText(name);

    armRecord();
    // A failed start would open the alternative load dialog; close it and fail.
    bool fellBack = false;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            fellBack = true;
            modal->close();
        }
    });
    w.launch_Click();
    QVERIFY2(!fellBack, "the start failed and the alternative load dialog opened");
    QVERIFY(session.ui.boxes.empty());
    QCOMPARE(w.launchexe + w.launchargs,
             GameFolder + QStringLiteral("\\HW_SW_Select.exe ") + switches);

    const auto record = awaitRecord();
    QVERIFY2(record, "the game did not start under Wine");
    QCOMPARE(record->module, GameFolder + QStringLiteral("\\HW_SW_Select.exe"));
    QCOMPARE(record->folder, GameFolder);
    QCOMPARE(record->arguments, switches.split(QLatin1Char(' ')));
    // Wine quotes the program's path; the switches arrive as the launch wrote them.
    QCOMPARE(record->commandLine,
             QStringLiteral("\"%1\\HW_SW_Select.exe\" %2").arg(GameFolder, switches));
}

void WinePeerTest::alternativeLoadReachesTheGame_data() {
    QTest::addColumn<bool>("undiscoveredWorlds");
    QTest::addColumn<bool>("afterFailedLaunch"); // else opened by the troubleshooter
    QTest::addColumn<QString>("folder");         // empty: the dialog's own default
    QTest::addColumn<bool>("software");
    QTest::addColumn<QString>("program");

    // The default folder has a blank in it, and C:\Program.exe waits at that blank: only the
    // exact program named may run.
    QTest::newRow("troubleshooter, default folder, Direct 3D")
        << false << false << QString() << false
        << BullfrogFolder + QStringLiteral("\\D3Dpoptb.exe");
    QTest::newRow("troubleshooter, game folder, software, UW")
        << true << false << GameFolder << true << GameFolder + QStringLiteral("\\poptbUW.exe");
    QTest::newRow("failed launch, game folder, Direct 3D")
        << false << true << GameFolder << false << GameFolder + QStringLiteral("\\D3Dpoptb.exe");
}

void WinePeerTest::alternativeLoadReachesTheGame() {
    QFETCH(bool, undiscoveredWorlds);
    QFETCH(bool, afterFailedLaunch);
    QFETCH(QString, folder);
    QFETCH(bool, software);
    QFETCH(QString, program);

    QDir::setCurrent(records.path());
    Session session;
    frmMain& w = session.openWindow();
    (undiscoveredWorlds ? w.selUW : w.selpoptb)->setChecked(true);
    w.selhost->setChecked(true);
    w.selwithrouter->setChecked(true);
    w.txtLocalIP->setText(QStringLiteral("192.168.0.2"));
    w.txtRouterIP->setText(QStringLiteral("203.0.113.7"));
    w.username->setText(QStringLiteral("Player1"));
    const QString switches =
        QStringLiteral("/h tcp /boundip 192.168.0.2 /externip 203.0.113.7 /nPlayer1");
    if (afterFailedLaunch) // a folder without HW_SW_Select.exe
        QVERIFY(platform::current().files->changeDirectory(BullfrogFolder));

    armRecord();
    bool answered = false;
    QString failure;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
        auto* dialog = qobject_cast<frmaltload*>(QApplication::activeModalWidget());
        if (!dialog) {
            failure = QStringLiteral("the alternative load dialog did not open");
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        answered = true;
        if (!folder.isEmpty())
            dialog->popdir->setText(folder); // what the folder picker writes there
        if (software)
            dialog->selsoftware->click();
        dialog->OKButton->click();
        if (dialog->isVisible()) {
            failure = QStringLiteral("the dialog stayed open after OK");
            dialog->CancelButton->click();
        }
    });
    if (afterFailedLaunch)
        w.launch_Click();
    else
        w.mnutroubleshoot_Click();
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
    QVERIFY(answered);
    QVERIFY(session.ui.boxes.empty());

    const auto record = awaitRecord();
    QVERIFY2(record, "the game did not start under Wine");
    QCOMPARE(record->module, program);
    QCOMPARE(record->folder, program.left(program.lastIndexOf(QLatin1Char('\\'))));
    QCOMPARE(record->arguments, switches.split(QLatin1Char(' ')));
    QCOMPARE(record->commandLine, QStringLiteral("\"%1\" %2").arg(program, switches));
}

// First run: the options dialog saves the defaults, the window's close saves the address.
void WinePeerTest::settingsWritten() {
    QDir::setCurrent(records.path());
    Session session;
    frmMain& w = session.openWindow();
    const QString settingsFile = w.settingsdir + QStringLiteral("\\Velkor.cfg");
    QVERIFY2(w.settingsdir.startsWith(toWindows(qEnvironmentVariable("XDG_CONFIG_HOME"))),
             qPrintable(w.settingsdir));

    bool answered = false;
    QObject guard;
    QTimer::singleShot(0, &guard, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        answered = true;
        dialog->findChild<QRadioButton*>(QStringLiteral("rDefUW"))->setChecked(true);
        dialog->findChild<QRadioButton*>(QStringLiteral("rDefJoin"))->setChecked(true);
        dialog->findChild<QRadioButton*>(QStringLiteral("rDefWRouter"))->setChecked(true);
        dialog->findChild<QLineEdit*>(QStringLiteral("txtUserName"))
            ->setText(QStringLiteral("WinePlayer"));
        dialog->findChild<QAbstractButton*>(QStringLiteral("custumip"))->click();
        dialog->findChild<QLineEdit*>(QStringLiteral("custumipbox"))
            ->setText(QStringLiteral("10.1.2.3"));
        dialog->findChild<QLineEdit*>(QStringLiteral("txtRouterIP"))
            ->setText(QStringLiteral("203.0.113.7"));
        dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    w.mnusettings_Click();
    QVERIFY(answered);
    QCOMPARE(w.username->text(), QStringLiteral("WinePlayer"));
    QVERIFY(w.close());
    QVERIFY(session.ui.boxes.empty());

    QFile file(platform::current().files->toNative(settingsFile));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    QCOMPARE(file.size(), qint64(LaunchSettings::Size));
}

// Second run, a new process: the window comes up with what the first one saved.
void WinePeerTest::settingsReadBack() {
    QDir::setCurrent(records.path());
    Session session;
    frmMain& w = session.openWindow();
    QVERIFY(w.selUW->isChecked());
    QVERIFY(w.seljoin->isChecked());
    QCOMPARE(w.username->text(), QStringLiteral("WinePlayer"));
    QCOMPARE(w.txtLocalIP->text(), QStringLiteral("10.1.2.3"));
    QCOMPARE(w.txtRouterIP->text(), QStringLiteral("203.0.113.7"));
    QVERIFY(session.ui.boxes.empty());

    LaunchSettings image;
    image.read(w.settingsdir + QStringLiteral("\\Velkor.cfg"));
    QCOMPARE(image.LocalAddress(), QStringLiteral("10.1.2.3"));
    QVERIFY(image.OverrideEnabled());
    QVERIFY(image.DefaultHosting());
}

// HHRegister writes the prefix's hive; Wine's reg.exe reads it back, and the other way round.
void WinePeerTest::helpRegistrationSeenByWine() {
    const QString key = QStringLiteral("HKLM\\Software\\Microsoft\\Windows\\HTML Help");
    const QString chm = GameFolder + QStringLiteral("\\velkorhelp.chm");
    waitForWineserver();
    Session session;
    QFile help(platform::current().files->toNative(GameFolder) + QStringLiteral("/velkorhelp.chm"));
    QVERIFY(help.open(QIODevice::WriteOnly));
    help.close();

    HTMLHelp viewer;
    QString file = chm;
    viewer.HHRegister(file);
    QCOMPARE(file, QStringLiteral("velkorhelp.chm"));
    QVERIFY(session.ui.boxes.empty());

    int status = -1;
    QString answer =
        runWine({QStringLiteral("reg"), QStringLiteral("query"), key, QStringLiteral("/v"),
                 QStringLiteral("velkorhelp.chm"), QStringLiteral("/reg:32")},
                &status);
    QCOMPARE(status, 0);
    QVERIFY2(answer.contains(QRegularExpression(
                 QStringLiteral("velkorhelp\\.chm\\s+REG_SZ\\s+C:\\\\Games\\\\Populous\\\\\\s"))),
             qPrintable(answer));

    // A registration Wine made is found by the look-up; Wine must be gone before we write again.
    runWine({QStringLiteral("reg"), QStringLiteral("add"), key, QStringLiteral("/v"),
             QStringLiteral("other.chm"), QStringLiteral("/d"), GameFolder + "\\",
             QStringLiteral("/reg:32"), QStringLiteral("/f")},
            &status);
    QCOMPARE(status, 0);
    waitForWineserver();
    Session reopened; // the hive changed on disk
    HTMLHelp again;
    QString other = QStringLiteral("other.chm");
    again.HHCheckRegistry(other);
    QCOMPARE(again.HHRegFileName(), QStringLiteral("other.chm"));
    QCOMPARE(again.HHRegFilePath(), GameFolder + "\\");

    file = chm;
    again.HHUnRegister(file);
    runWine({QStringLiteral("reg"), QStringLiteral("query"), key, QStringLiteral("/v"),
             QStringLiteral("velkorhelp.chm"), QStringLiteral("/reg:32")},
            &status);
    QVERIFY2(status != 0, "the registration is still there");
    waitForWineserver();
}

// The version resource of Wine's own hhctrl.ocx, read by the backend's PE reader.
void WinePeerTest::hhctrlVersionFromWinesFile() {
    Session session;
    const auto record = platform::current().versions->fixedFileInfo(
        QStringLiteral("C:\\windows\\system32\\hhctrl.ocx"));
    QVERIFY(record);
    const auto version = helpversions::fromFixedFileInfo(*record);
    QVERIFY(version);
    QCOMPARE(int(version->major), 5);
    QCOMPARE(int(version->minor), 2);
    QCOMPARE(int(version->build), 3790);
    QCOMPARE(int(version->revision), 2744);
    QVERIFY(!platform::current().versions->fixedFileInfo(
        QStringLiteral("C:\\Games\\Populous\\HW_SW_Select.exe"))); // ours has no version resource
}

int main(int argc, char* argv[]) {
    if (QStandardPaths::findExecutable(QStringLiteral("wine")).isEmpty()) {
        std::puts("Wine is not installed: skipped");
        return Skipped;
    }
    QApplication app(argc, argv);
    WinePeerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_wine_peer.moc"
