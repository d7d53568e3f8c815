// Hosting with a router from the windows: the router's outside address standing in for the echo
// page's, the game's port asked for before the game starts (within a bound, the window alive),
// one word when it could not be opened, the end removing it, and the Router dialog.

#include "app/frmMain.h"
#include "buildconfig.h"
#include "net/RouterRecord.h"
#include "net/RouterService.h"
#include "net/frmRouter.h"
#include "settings_support.h"

#include <QtTest>
#include <QtWidgets>

namespace {

const QString Local = QStringLiteral("192.168.1.10");

struct Hosting : Place {
    QString routerFile = folder + "/VelkorRouter.cfg";
    Hosting() {
        prefix.makeFolder("Program Files/Bullfrog/Populous");
        routers.with([](fakes::RouterScript& s) {
            s.found.protocol = platform::RouterFound::Protocol::Upnp;
            s.found.connected = true;
            s.found.name = "Home Box";
            s.outside = "80.100.100.1";
        });
        LaunchSettings settings;
        settings.setRouterAddress("198.51.100.1"); // stale
        settings.setAutoDetectRouter(true);
        write(settings.image);
    }
    QString router() const {
        QFile f(routerFile);
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }
    bool mapped() {
        return routers.with([](fakes::RouterScript& s) { return s.mappings.contains(7575); });
    }
};

// The window shown, the router answered, and hosting with a router chosen.
void open(frmMain& window) {
    window.Form_Load();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.selhost->click();
    window.selwithrouter->click();
    window.username->setText("Bo");
}

} // namespace

class RouterWindowTest : public QObject {
    Q_OBJECT
private slots:
    void hostingOpensThePortAndTheEndRemovesIt() {
        Hosting os;
        frmMain window;
        open(window);
        QTRY_COMPARE(window.txtRouterIP->text(), QStringLiteral("80.100.100.1"));
        window.launch->click();
        QCOMPARE(os.processes.starts.size(), 1u);
        QVERIFY2(os.processes.starts[0].commandLine.endsWith(
                     "/h tcp /boundip 192.168.1.10 /externip 80.100.100.1 /nBo"),
                 qPrintable(os.processes.starts[0].commandLine));
        const platform::RouterMapping mapping =
            os.routers.with([](fakes::RouterScript& s) { return s.mappings.value(7575); });
        QVERIFY(mapping.client == Local && mapping.description == "Velkor (192.168.1.10)" &&
                mapping.leaseSeconds == 3600);
        QVERIFY(os.ui.boxes.empty() && os.router().contains("Mapping=UPnP 7575 192.168.1.10"));

        os.processes.runningPrograms = QStringList{"D3DPOPTB.EXE"}; // the game plays on
        window.Form_Unload();
        QVERIFY(os.mapped() && os.router().contains("Mapping="));
        os.processes.runningPrograms.clear();
        window.Form_Unload();
        QVERIFY(!os.mapped() && !os.router().contains("Mapping="));
    }

    // A port that could not be opened, or another NAT, is said once a run for each cause,
    // before the game starts; a router too slow holds the launch 3 s at most.
    void oneWordPerCause() {
        Hosting os;
        os.routers.with([](fakes::RouterScript& s) { s.addResult = 501; });
        frmMain window;
        open(window);
        QTRY_COMPARE(window.txtRouterIP->text(), QStringLiteral("80.100.100.1"));
        std::size_t startsAtBox = 99;
        os.ui.onBox = [&] { startsAtBox = os.processes.starts.size(); };
        window.launch->click();
        window.launch->click();
        QVERIFY(os.ui.boxes.size() == 1 && startsAtBox == 0 && os.processes.starts.size() == 2);
        QVERIFY(os.ui.boxes[0].text.contains("the router refused it (error 501)") &&
                os.ui.boxes[0].text.contains("forward UDP 7575 to 192.168.1.10"));

        os.routers.with([](fakes::RouterScript& s) {
            s.found.connected = false;
            s.outside = "100.64.1.1";
        });
        net::RouterService* service = window.findChild<net::RouterService*>();
        service->discover();
        QTRY_VERIFY(!service->discovering());
        QCOMPARE(window.txtRouterIP->text(), "80.100.100.1"); // a shared one never stands in
        window.launch->click();
        QCOMPARE(os.ui.boxes.size(), 2u);
        QVERIFY(os.ui.boxes[1].text.startsWith("Another NAT sits beyond your router (its outside "
                                               "address 100.64.1.1 is shared (100.64.0.0/10))"));

        os.routers.with([](fakes::RouterScript& s) {
            s.found.connected = true;
            s.outside = "80.100.100.1";
            s.addResult = platform::Router::Ok;
            s.delayMs = 6000;
        });
        QElapsedTimer held;
        held.start();
        QTimer typed;
        int ticks = 0;
        connect(&typed, &QTimer::timeout, [&] { ++ticks; });
        typed.start(100);
        window.launch->click();
        QVERIFY(held.elapsed() < 4500 && ticks > 10); // bounded, and the window kept running
        QCOMPARE(os.processes.starts.size(), 4u);
        QVERIFY(os.ui.boxes.size() == 2); // the port cause was told already

        // What is typed during the wait never reaches the game; a close during it starts none.
        QTimer::singleShot(300, [&] { window.username->setText("Eve"); });
        window.launch->click();
        QVERIFY(os.processes.starts.back().commandLine.endsWith("/nBo"));
        QTimer::singleShot(300, [&] { window.Form_Unload(); });
        window.launch->click();
        QCOMPARE(os.processes.starts.size(), 5u);
    }

    void boxOffAsksNothing() {
        Hosting os;
        QVERIFY((net::RouterRecord{false, {}}.write(os.settingsdir + "\\VelkorRouter.cfg")));
        os.downloads.bodies[VELKOR_ADDRESS_ECHO_URL] = "81.2.3.4"; // the page's answer holds
        frmMain window;
        open(window);
        QTRY_VERIFY(window.findChild<net::RouterService*>()->answered());
        QCOMPARE(window.txtRouterIP->text(), QStringLiteral("81.2.3.4"));
        os.routers.with([](fakes::RouterScript& s) { s.addResult = 501; });
        window.launch->click();
        QVERIFY(os.ui.boxes.empty() && os.processes.starts.size() == 1 && !os.mapped());
        QVERIFY(os.processes.starts[0].commandLine.contains("/externip 81.2.3.4 "));
    }

    void routerDialog() {
        Hosting os;
        os.routers.with([](fakes::RouterScript& s) {
            s.found.name = "<b>Box</b>" + QString(10000, u'x');
            s.found.model = "<img src=x>";
        });
        frmMain window;
        open(window);
        const QList<QAction*> items = window.mnulistoptions->actions();
        QCOMPARE(items.indexOf(window.mnurouter), items.indexOf(window.mnusettings) + 1);
        QCOMPARE(window.mnurouter->text(), QStringLiteral("&Router..."));
        QTRY_COMPARE(window.txtRouterIP->text(), QStringLiteral("80.100.100.1"));

        net::RouterService* service = window.findChild<net::RouterService*>();
        QVERIFY(service);
        frmRouter dialog(*service, Local, &window);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Router"));
        QVERIFY(dialog.lblRouter->textFormat() == Qt::PlainText &&
                dialog.lblRouter->text().startsWith("<b>Box</b>xx") &&
                dialog.lblRouter->text().size() < 140);
        QCOMPARE(dialog.lblOutside->text(), QStringLiteral("80.100.100.1"));
        QCOMPARE(dialog.lblPort->text(), QStringLiteral("Not asked yet"));
        QVERIFY(dialog.chkOpenPort->isChecked());
        dialog.chkOpenPort->click();
        QVERIFY(os.router().contains("OpenPortWhenHosting=0"));
        dialog.cmdCheck->click();
        QTRY_VERIFY(dialog.cmdCheck->isEnabled());
        QVERIFY(!os.mapped()); // checking again asks for no port not asked before
    }
};

QTEST_MAIN(RouterWindowTest)
#include "test_router_window.moc"
