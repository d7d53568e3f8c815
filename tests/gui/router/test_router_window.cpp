// Hosting with a router from the windows: causes told before the game, the wait, the Router
// dialog. The port opened, kept while the game plays and removed at the end: router/product.sh.

#include "core/router/RouterRecord.h"
#include "core/router/RouterService.h"
#include "fakes/settings_support.h"
#include "gui/main/frmMain.h"
#include "gui/manual/frmaltload.h"
#include "gui/router/frmRouter.h"

#include <QtTest>
#include <QtWidgets>

using Script = fakes::RouterScript;

namespace {

// The home router; a stale external address stored, detection on.
struct Hosting : Place {
    Hosting() {
        routers.homeRouter();
        LaunchSettings settings;
        settings.setRouterAddress("198.51.100.1");
        settings.setAutoDetectRouter(true);
        write(settings.image);
    }
    QString record() const {
        return QString::fromLatin1(fakes::readFile(folder + "/VelkorRouter.cfg"));
    }
};

// The window shown, hosting with a router chosen, and the router's first answer in.
net::RouterService* open(frmMain& window) {
    window.Form_Load();
    window.show();
    window.selhost->click();
    window.selwithrouter->click();
    window.username->setText("Bo");
    auto* service = window.findChild<net::RouterService*>();
    if (!QTest::qWaitFor([&] { return service && service->answered(); }))
        qFatal("the router service never answered");
    return service;
}

// Windows Defender Firewall as the Windows backend reads it; asked to allow, it answers `answer`.
struct FakeFirewall : platform::Firewall {
    platform::FirewallState state;
    Outcome answer = Outcome::Refused;
    QList<platform::FirewallRequest> asked;
    FakeFirewall() { platform::current().firewall = this; }
    ~FakeFirewall() override { platform::current().firewall = nullptr; }
    platform::FirewallState read() override { return state; }
    Change allow(const platform::FirewallRequest& request) override {
        asked << request;
        return {answer, QStringLiteral("refused")};
    }
};

} // namespace

class RouterWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Said once a run for each cause, before the game; a slow router holds the launch 3 s at most.
    void oneWordPerCause() {
        Hosting os;
        os.routers.with([](Script& s) { s.addResult = 501; });
        frmMain window;
        net::RouterService* service = open(window);
        window.launch->click();
        QTRY_COMPARE(os.processes.starts.size(), 1u);
        window.launch->click();
        QTRY_COMPARE(os.processes.starts.size(), 2u);
        QCOMPARE(os.ui.boxes.size(), 1u); // before the game: router/product.sh

        os.routers.with([](Script& s) { s.outside = "100.64.1.1"; });
        service->discover();
        QTRY_VERIFY(!service->discovering());
        QCOMPARE(window.txtRouterIP->text(), "80.100.100.1"); // a shared one never stands in

        os.routers.homeRouter();
        os.routers.with([](Script& s) { s.delayMs = 3500; });
        int ticks = 0;
        QTimer typed;
        connect(&typed, &QTimer::timeout, [&] { ++ticks; });
        typed.start(100);
        QTimer::singleShot(300, [&] { window.username->setText("Eve"); });
        window.launch->click();
        window.launch->click(); // one launch, one game
        QTRY_COMPARE_WITH_TIMEOUT(os.processes.starts.size(), 3u, 4500);
        QCOMPARE_GT(ticks, 10); // the window answered meanwhile
        const QString started = os.processes.starts.back().commandLine;
        QVERIFY2(started.endsWith("/nBo"), qPrintable(started));
        QCOMPARE(os.ui.boxes.size(), 2u); // the shared address, told once this launch asked
        window.launch->click();
        window.Form_Unload(); // closed meanwhile: no game, even once the router answers
        // The request and then the removal each take the router's 3.5 s; room for a busy machine.
        QTRY_VERIFY_WITH_TIMEOUT(!service->portPending(), 20000);
        QCOMPARE(os.processes.starts.size(), 3u);
    }

    // One launch, one game: while the launch waits for a slow router the troubleshooter is
    // greyed out, so Ctrl+T opens no second way to start the game.
    void oneLaunchOneGame() {
        Hosting os;
        frmMain window;
        open(window);
        os.routers.with([](Script& s) { s.delayMs = 1000; });
        bool greyed = false;
        QTimer::singleShot(300, [&] {
            greyed = !window.mnutroubleshoot->isEnabled();
            window.mnutroubleshoot->trigger(); // Ctrl+T
        });
        QTimer okay; // were the dialog to open, its OK would start a game
        connect(&okay, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<frmaltload*>(QApplication::activeModalWidget()))
                dialog->OKButton->click();
        });
        okay.start(50);
        window.launch->click();
        QTRY_COMPARE(os.processes.starts.size(), 1u);
        QVERIFY(greyed);
        QVERIFY(window.mnutroubleshoot->isEnabled());
    }

    // A router record that cannot be written (a full disk) is told once a run; the old one stays.
    void recordNotSavedIsTold() {
        Hosting os;
        QVERIFY((net::RouterRecord{true, {}}.write(os.settingsdir + "\\VelkorRouter.cfg")));
        frmMain window;
        open(window);
        const QByteArray before = os.record().toLatin1();
        {
            const fakes::FullDisk full(0);
            if (!full.valid())
                QSKIP("no file size limit on this system");
            window.launch->click();
            QTRY_COMPARE(os.processes.starts.size(), 1u);
            window.launch->click();
            QTRY_COMPARE(os.processes.starts.size(), 2u);
        }
        QCOMPARE(os.record().toLatin1(), before);
        QCOMPARE(os.ui.boxes.size(), 1u);
        QCOMPARE(os.ui.boxes[0].text, net::RouterRecord::notSavedMessage());
    }

    // Blocked as a cancelled prompt leaves it: told before the game, shown in the Router dialog,
    // and mended only through the helper, whose refusal is told.
    void firewallToldAndMended() {
        Hosting os;
        FakeFirewall firewall;
        frmMain window;
        net::RouterService* service = open(window);
        const QString poptb = platform::current().files->currentDirectory() + "\\poptb.exe";
        namespace profile = platform::fwprofile;
        const platform::FirewallRule block{"popTB.exe", poptb, 17, {}, {}, true, false, true, 4};
        firewall.state = {true, {}, profile::Public, profile::All, 0, 0, {block}};
        window.launch->click();
        QTRY_COMPARE(os.processes.starts.size(), 1u);
        QCOMPARE(os.ui.boxes.size(), 1u);
        QVERIFY2(os.ui.boxes[0].text.startsWith("Windows Defender Firewall keeps friends"),
                 qPrintable(os.ui.boxes[0].text));

        frmRouter dialog(*service, "192.168.1.10", &window);
        QCOMPARE(dialog.lblFirewall->text(),
                 "Blocks poptb.exe on this Public network (rule \"popTB.exe\")");
        QVERIFY(dialog.cmdAllowFirewall->isVisibleTo(&dialog));
        dialog.cmdAllowFirewall->click();
        QCOMPARE(firewall.asked.size(), 1);
        QCOMPARE(firewall.asked[0].profiles, profile::Public);
        QVERIFY(firewall.asked[0].programs.contains(poptb));
        QCOMPARE(os.ui.boxes.size(), 2u);
        QCOMPARE(os.ui.boxes[1].text,
                 "Windows Firewall is as it was: administrator rights were not given.");

        firewall.answer = platform::Firewall::Outcome::Done;
        firewall.state.rules = {{"Populous", poptb, 17, "7575", "*", true, true, true, 4}};
        dialog.cmdAllowFirewall->click();
        QCOMPARE(dialog.lblFirewall->text(), "Lets the game in on this Public network");
        QVERIFY(!dialog.cmdAllowFirewall->isVisibleTo(&dialog));
        QCOMPARE(os.ui.boxes.size(), 2u);
    }

    void routerDialog() {
        Hosting os;
        os.routers.with([](Script& s) { s.found.name = "<b>Box</b>" + QString(10000, u'x'); });
        frmMain window;
        net::RouterService* service = open(window);
        frmRouter dialog(*service, "192.168.1.10", &window);
        QCOMPARE(dialog.lblRouter->textFormat(), Qt::PlainText);
        QCOMPARE_LT(dialog.lblRouter->text().size(), 140);
        dialog.chkOpenPort->click();
        QVERIFY(os.record().contains("OpenPortWhenHosting=0"));
        dialog.cmdCheck->click();
        QTRY_VERIFY(dialog.cmdCheck->isEnabled());
        QVERIFY(!os.routers.mapped()); // checking again asks for no port not asked before
    }
};

QTEST_MAIN(RouterWindowTest)
#include "test_router_window.moc"
