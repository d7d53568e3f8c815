// UpnpRouter, over miniupnpc and libnatpmp, against a scripted router on the loopback
// (tests/data/igd_server.py): one server per scenario, reached only through Fixed.

#include "platform/common/upnp_router.h"

#include <QtTest>

using platform::Router;
using platform::RouterFound;
using platform::common::UpnpRouter;
using Protocol = RouterFound::Protocol;

namespace {

constexpr quint16 GamePort = 7575;
constexpr qint64 BoundMs = 10000; // a guard against a hang, not a speed test
const QString Client = QStringLiteral("127.0.0.1");
const QString Description = QStringLiteral("Velkor (127.0.0.1)");

// The scripted router of one scenario; it ends when its stdin closes.
class ScriptedRouter {
public:
    explicit ScriptedRouter(const QString& scenario) {
        process_.start("python3", {VELKOR_TEST_DATA "/igd_server.py", scenario});
        port_ = line();
    }
    ~ScriptedRouter() {
        if (!stop())
            process_.kill();
    }
    UpnpRouter upnp() const { return UpnpRouter({url(), {}}); }
    QString url() const { return "http://127.0.0.1:" + port_ + "/rootDesc.xml"; }
    bool started() const { return !port_.isEmpty(); }
    // Its next line on stdout: the port, or a mapping it took or removed, as JSON.
    QString line() {
        QDeadlineTimer bound(5000);
        while (!process_.canReadLine() && process_.waitForReadyRead(bound.remainingTime())) {
        }
        return QString::fromUtf8(process_.readLine()).trimmed();
    }
    bool stop() {
        process_.closeWriteChannel();
        return process_.waitForFinished(5000);
    }

private:
    QProcess process_;
    QString port_;
};

QString jsonLine(const QJsonObject& fields) {
    return QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact));
}
QString added(const QString& client, quint32 lease, const QString& description) {
    return jsonLine({{"event", "add"},
                     {"port", GamePort},
                     {"protocol", "UDP"},
                     {"client", client},
                     {"internal", GamePort},
                     {"description", description},
                     {"lease", int(lease)}});
}
QString sorted(const QString& line) { // the server's JSON in the same order as jsonLine()'s
    return jsonLine(QJsonDocument::fromJson(line.toUtf8()).object());
}

} // namespace

class UpnpRouterTest : public QObject {
    Q_OBJECT

private slots:
    // The root device's names, read within their bound; the outside connection as it says.
    void discover_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("model");
        QTest::newRow("plain") << "normal" << true << "Velkor Test Router"
                               << "IGD-1";
        QTest::newRow("not connected") << "disconnected" << false << "Velkor Test Router"
                                       << "IGD-1";
        // Decoded once, kept as text; the 10,000 characters cut to deviceText's 256.
        QTest::newRow("markup, overlong") << "markup-name" << true << "<b>Box</b><script>x</script>"
                                          << ("&lt;i&gt;" + QString(247, u'M'));
    }
    void discover() {
        QFETCH(QString, scenario);
        QFETCH(bool, connected);
        ScriptedRouter server(scenario);
        QVERIFY(server.started());
        UpnpRouter router = server.upnp();
        const RouterFound found = router.discover();
        QCOMPARE(found.protocol, Protocol::Upnp);
        QCOMPARE(found.connected, connected);
        QTEST(found.name, "name");
        QTEST(found.model, "model");
        QCOMPARE(found.gateway, "127.0.0.1");
        QCOMPARE(found.localAddress, "127.0.0.1");
    }

    // A mapping is added, read back as the router keeps it, and removed; twice removed is fine.
    void roundTrip() {
        ScriptedRouter server("normal");
        UpnpRouter router = server.upnp();
        QCOMPARE(router.discover().protocol, Protocol::Upnp);
        QCOMPARE(router.externalAddress().value_or("none"), "203.0.113.7");
        int result = -100;
        QVERIFY(!router.udpMapping(GamePort, &result));
        QCOMPARE(result, Router::Ok);

        quint32 granted = 0;
        QCOMPARE(router.addUdpMapping(GamePort, Client, Description, 3600, &granted), Router::Ok);
        QCOMPARE(granted, 3600u);
        QCOMPARE(sorted(server.line()), added(Client, 3600, Description));
        const auto mapping = router.udpMapping(GamePort, &result);
        QCOMPARE(result, Router::Ok);
        QVERIFY(mapping);
        QCOMPARE(mapping->client, Client);
        QCOMPARE(mapping->internalPort, GamePort);
        QCOMPARE(mapping->description, Description);
        QVERIFY2(mapping->leaseSeconds <= 3600 && mapping->leaseSeconds > 3590,
                 qPrintable(QString::number(mapping->leaseSeconds)));

        QCOMPARE(router.removeUdpMapping(GamePort), Router::Ok);
        QCOMPARE(sorted(server.line()),
                 jsonLine({{"event", "delete"}, {"port", GamePort}, {"protocol", "UDP"}}));
        QVERIFY(!router.udpMapping(GamePort, &result));
        QCOMPARE(result, Router::Ok);
        QCOMPARE(router.removeUdpMapping(GamePort), Router::Ok); // 714: nothing left
    }

    // The router's refusals come back as its codes: first for an hour's lease, then for a
    // permanent one; what holds the port afterwards is as the router says.
    void refusals_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<int>("leased");
        QTest::addColumn<int>("permanent");
        QTest::addColumn<QString>("holder"); // empty: the port is not mapped
        QTest::addColumn<QString>("description");
        QTest::newRow("only permanent leases")
            << "permanent-only" << 725 << Router::Ok << Client << Description;
        QTest::newRow("held by another") << "conflict" << 718 << 718 << "192.168.1.77"
                                         << "Other Game Server";
        QTest::newRow("action failed") << "refuse" << 501 << 501 << QString() << QString();
    }
    void refusals() {
        QFETCH(QString, scenario);
        QFETCH(int, permanent);
        QFETCH(QString, holder);
        ScriptedRouter server(scenario);
        UpnpRouter router = server.upnp();
        QCOMPARE(router.discover().protocol, Protocol::Upnp);
        quint32 granted = 77;
        QTEST(router.addUdpMapping(GamePort, Client, Description, 3600, &granted), "leased");
        QCOMPARE(granted, 77u);
        QCOMPARE(router.addUdpMapping(GamePort, Client, Description, 0, &granted), permanent);
        QCOMPARE(granted, permanent == Router::Ok ? 0u : 77u);
        if (permanent == Router::Ok)
            QCOMPARE(sorted(server.line()), added(Client, 0, Description));

        int result = -100;
        const auto mapping = router.udpMapping(GamePort, &result);
        QCOMPARE(result, Router::Ok);
        QCOMPARE(mapping.has_value(), !holder.isEmpty());
        if (mapping) {
            QCOMPARE(mapping->client, holder);
            QTEST(mapping->description, "description");
            QCOMPARE(mapping->leaseSeconds, 0u);
        }
    }

    // The outside address as the router states it, or none; never cut into another address.
    void outsideAddress_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("stated");
        QTest::newRow("whole") << "normal"
                               << "203.0.113.7";
        QTest::newRow("hostile") << "hostile-address"
                                 << "1.2.3.4 /j 6.6.6.6";
        QTest::newRow("one digit too many") << "cut-address"
                                            << "200.200.200.2001";
        QTest::newRow("100 kB") << "overlong-address" << QString(100000, u'7');
        QTest::newRow("empty") << "empty-address"
                               << "";
    }
    void outsideAddress() {
        QFETCH(QString, scenario);
        QFETCH(QString, stated);
        ScriptedRouter server(scenario);
        UpnpRouter router = server.upnp();
        QCOMPARE(router.discover().protocol, Protocol::Upnp);
        const std::optional<QString> address = router.externalAddress();
        if (!address || *address == stated)
            return;
        // Cut only where no IPv4 address could come of it, and kept small.
        QVERIFY2(stated.startsWith(*address) && address->size() > 15 && address->size() <= 1024,
                 qPrintable(address->left(40)));
    }

    // A router that never answers: every call gives up within its bound.
    void silent_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<Protocol>("protocol");
        QTest::addColumn<int>("code");
        QTest::newRow("control silent") << "hang" << Protocol::Upnp << Router::NoAnswer;
        QTest::newRow("all silent") << "hang-description" << Protocol::None << Router::NoRouter;
    }
    void silent() {
        QFETCH(QString, scenario);
        QFETCH(int, code);
        ScriptedRouter server(scenario);
        UpnpRouter router = server.upnp();
        QElapsedTimer timer;
        const auto within = [&timer](const char* call) {
            QVERIFY2(timer.elapsed() < BoundMs, call);
            timer.start();
        };
        timer.start();
        QTEST(router.discover().protocol, "protocol");
        within("discover");
        QVERIFY(!router.externalAddress());
        within("externalAddress");
        QCOMPARE(router.addUdpMapping(GamePort, Client, Description, 3600, nullptr), code);
        within("addUdpMapping");
        int result = -100;
        QVERIFY(!router.udpMapping(GamePort, &result));
        QCOMPARE(result, code);
        within("udpMapping");
        QCOMPARE(router.removeUdpMapping(GamePort), code);
        within("removeUdpMapping");
        QVERIFY(server.stop()); // hung connections do not keep it running
    }

    // NAT-PMP at a given gateway: its public address, the lease it grants, another port refused.
    void natPmp_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<int>("code");
        QTest::newRow("mapped") << "natpmp" << Router::Ok;
        QTest::newRow("another port offered") << "natpmp-other-port" << Router::OtherPort;
    }
    void natPmp() {
        QFETCH(QString, scenario);
        QFETCH(int, code);
        ScriptedRouter server(scenario);
        const QString gateway = server.line();
        if (gateway != "natpmp ready")
            QSKIP(qPrintable(gateway));
        UpnpRouter router({{}, "127.0.0.1"});
        const RouterFound found = router.discover();
        QCOMPARE(found.protocol, Protocol::NatPmp);
        QCOMPARE(found.gateway, "127.0.0.1");
        QCOMPARE(router.externalAddress().value_or("none"), "203.0.113.7");
        quint32 granted = 0;
        QCOMPARE(router.addUdpMapping(GamePort, Client, Description, 3600, &granted), code);
        const auto told = [](const char* what, int lease) {
            return jsonLine(
                {{"event", what}, {"port", GamePort}, {"protocol", "UDP"}, {"lease", lease}});
        };
        QCOMPARE(sorted(server.line()), told("add", 1800));
        if (code == Router::OtherPort) {
            QCOMPARE(sorted(server.line()), told("delete", 0)); // the port offered is given back
            return;
        }
        QCOMPARE(granted, 1800u);
        int result = -100;
        QVERIFY(!router.udpMapping(GamePort, &result));
        QCOMPARE(result, Router::Unsupported);
        QCOMPARE(router.removeUdpMapping(GamePort), Router::Ok);
        QCOMPARE(sorted(server.line()), told("delete", 0));
    }
};

QTEST_GUILESS_MAIN(UpnpRouterTest)
#include "test_linux_upnp_router.moc"
