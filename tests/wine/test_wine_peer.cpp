// The Linux backend against a real Wine prefix (tests/wine/make_prefix.sh) and Wine's own tools.
#include "core/help/HTMLHelp.h"
#include "core/launchers/launcher_prefixes.h"
#include "fakes/fake_platform.h"
#include "gui/main/frmMain.h"
#include "platform/linux/backend.h"

#include <QtTest>
#include <QtWidgets>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// The game's folder has a blank, and C:\Program.exe waits at it: only the named program may run.
const QString Game = u"C:\\Program Files\\Bullfrog\\Populous"_s;

// The real backend with message boxes recorded and no network.
struct Session {
    platform::linuxbackend::Backend backend{launchers::prefixFromEnvironment(
        QDir::homePath(), QProcessEnvironment::systemEnvironment())};
    platform::Services previous = platform::current();
    fakes::FakeUi ui;
    fakes::FakeDownloads downloads;
    Session() {
        platform::Services services = backend.services();
        services.ui = &ui;
        services.downloads = &downloads;
        platform::install(services);
    }
    ~Session() { platform::install(previous); }
};

} // namespace

class WinePeerTest : public QObject {
    Q_OBJECT
    QTemporaryDir records;

private slots:
    void initTestCase() { QVERIFY(QDir::setCurrent(records.path())); } // a load moves to the game
    void cleanupTestCase() { QProcess::execute(u"wineserver"_s, {u"-w"_s}); }

    // The installer's key (reg add /reg:32) leads to the game, started in its folder, quoted.
    void launch() {
        const QString switches = u"/h tcp /boundip 192.168.0.2 /nPlayer One"_s;
        Session session;
        frmMain w;
        w.Form_Load();
        QCOMPARE(platform::current().files->currentDirectory(), Game);
        w.selhost->setChecked(true);
        w.txtLocalIP->setText(u"192.168.0.2"_s);
        w.username->setText(u"Player One"_s);
        const QString record = records.filePath(u"record"_s);
        qputenv("VELKOR_RECORD", platform::current().files->toWindows(record).toLocal8Bit());
        QTimer::singleShot(0, &w, [] { // a failed start opens the alternative load dialog
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        w.launch_Click();
        QVERIFY(session.ui.boxes.empty());
        QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(record); }, 60000),
                 "the game did not start");
        const QString program = Game + u"\\HW_SW_Select.exe"_s;
        QCOMPARE( // command line, folder, module, arguments
            QString::fromLocal8Bit(fakes::readFile(record)).split(u'\n'),
            QStringList({u"\"%1\" %2"_s.arg(program, switches), Game, program}) +
                switches.split(u' ') + QStringList{QString()});
    }

    // What HHRegister writes into the prefix's hive, Wine's reg.exe reads.
    void helpRegistration() {
        QString file = Game + u"\\velkorhelp.chm"_s;
        QProcess::execute(u"wineserver"_s, {u"-w"_s}); // the hive is ours to write once it ends
        Session session;
        QFile help(platform::current().files->toNative(file));
        QVERIFY(help.open(QIODevice::WriteOnly));
        HTMLHelp().HHRegister(file);
        QCOMPARE(file, u"velkorhelp.chm"_s);
        QCOMPARE(session.ui.boxes.size(), 0u);
        QProcess reg;
        reg.start(u"wine"_s,
                  {u"reg"_s, u"query"_s, u"HKLM\\Software\\Microsoft\\Windows\\HTML Help"_s,
                   u"/v"_s, file, u"/reg:32"_s});
        QVERIFY(reg.waitForFinished(120000));
        QCOMPARE(reg.exitCode(), 0);
        const QString answer = QString::fromLocal8Bit(reg.readAllStandardOutput());
        const QString value = QRegularExpression::escape(Game + u"\\"_s);
        QVERIFY2(answer.contains(
                     QRegularExpression(u"velkorhelp\\.chm\\s+REG_SZ\\s+%1\\s"_s.arg(value))),
                 qPrintable(answer));
    }
};

int main(int argc, char* argv[]) {
    if (QStandardPaths::findExecutable(u"wine"_s).isEmpty())
        return std::puts("Wine is not installed: skipped"), 77;
    QApplication app(argc, argv);
    WinePeerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_wine_peer.moc"
