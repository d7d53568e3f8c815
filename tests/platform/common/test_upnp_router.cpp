// UpnpRouter against tests/data/igd_server.py on the loopback, one server per scenario.

#include "platform/common/upnp_router.h"

#include <QtTest>

#include <sys/resource.h>

using platform::Router;
using platform::common::UpnpRouter;
using Protocol = platform::RouterFound::Protocol;

namespace {

constexpr quint16 GamePort = 7575;
const QString Client = QStringLiteral("127.0.0.1");
const QString Description = QStringLiteral("Velkor (127.0.0.1)");

// The scripted router of one scenario, and a router session that looks only there.
struct Scripted {
    explicit Scripted(const char* scenario)
        : port((process.start("python3", {VELKOR_TEST_DATA "/igd_server.py", scenario}), line())) {}
    ~Scripted() {
        process.closeWriteChannel();
        if (!process.waitForFinished(5000))
            process.kill();
    }
    QString line() { // its next line on stdout
        while (!process.canReadLine() && process.waitForReadyRead(5000)) {
        }
        return QString::fromUtf8(process.readLine()).trimmed();
    }
    QProcess process;
    const QString port;
    UpnpRouter router{{"http://127.0.0.1:" + port + "/rootDesc.xml", {}}};
};

} // namespace

class UpnpRouterTest : public QObject {
    Q_OBJECT

private slots:
    // Nothing to remove before a router is found; removed twice is fine (714: nothing left). The
    // round trip against a real router: router/product.sh.
    void removal() {
        Scripted s("normal");
        QCOMPARE(s.router.removeUdpMapping(GamePort), Router::NoRouter);
        QVERIFY(s.router.discover().connected);
        quint32 granted = 0;
        QCOMPARE(s.router.addUdpMapping(GamePort, Client, Description, 3600, &granted), Router::Ok);
        QCOMPARE(s.router.removeUdpMapping(GamePort), Router::Ok);
        QCOMPARE(s.router.removeUdpMapping(GamePort), Router::Ok);
    }

    // Markup for a name, decoded once and kept as text; 10,000 characters of model, cut to 256.
    void oddDevice() {
        Scripted s("odd-device");
        const auto found = s.router.discover(); // names only from UPnP
        QVERIFY(!found.connected);
        QCOMPARE(found.name, "<b>Box</b><script>x</script>");
        QCOMPARE(found.model, "&lt;i&gt;" + QString(247, u'M'));
    }

    // Refusals of an hour's lease, then of a permanent one: nothing granted that was refused.
    void refusals() {
        const std::tuple<const char*, int, int, QString> scenarios[] = {
            {"permanent-only", 725, Router::Ok, "127.0.0.1 " + Description},
            {"conflict", 718, 718, "192.168.1.77 Other Game Box"},
            {"refuse", 501, 501, "none"}};
        for (const auto& [scenario, leased, permanent, held] : scenarios) {
            Scripted s(scenario);
            QCOMPARE(s.router.discover().protocol, Protocol::Upnp);
            quint32 granted = 77;
            QCOMPARE(s.router.addUdpMapping(GamePort, Client, Description, 3600, &granted), leased);
            QCOMPARE(granted, 77u);
            QCOMPARE(s.router.addUdpMapping(GamePort, Client, Description, 0, &granted), permanent);
            QCOMPARE(granted, permanent == Router::Ok ? 0u : 77u);
            int result = -100;
            const auto m = s.router.udpMapping(GamePort, &result);
            QCOMPARE(result, Router::Ok);
            QCOMPARE(m ? m->client + " " + m->description : "none", held);
        }
    }

    // The outside address as stated, or none: never cut into another address.
    void outsideAddress() {
        Scripted s("odd-address");
        QCOMPARE(s.router.discover().protocol, Protocol::Upnp);
        for (const QString& stated : {QString("200.200.200.2001"), QString(100000, u'7')}) {
            const QString address = s.router.externalAddress().value_or(stated);
            // Cut where a bound stops it: a prefix of what was stated, longer than an address.
            const bool cut = stated.startsWith(address) && address.size() > 15;
            QVERIFY2(address == stated || cut, qPrintable(address.left(40)));
        }
    }

    // A device whose every control answer streams without end (an endless description:
    // router/product.sh): each call gives up, holding no more than a router ever says.
    void endlessAnswers() {
        const auto peak = [] { // the process's highest resident memory so far, in KiB
            rusage usage{};
            return ::getrusage(RUSAGE_SELF, &usage) == 0 ? qint64(usage.ru_maxrss) : 0;
        };
        const qint64 before = peak();
        QElapsedTimer timer;
        timer.start();
        Scripted s("endless-answer");
        const auto found = s.router.discover();
        QCOMPARE(found.protocol, Protocol::Upnp);
        QVERIFY(!found.connected);
        QVERIFY(!s.router.externalAddress());
        QCOMPARE(s.router.addUdpMapping(GamePort, Client, Description, 3600, nullptr),
                 Router::NoAnswer);
        qInfo("endless answers: %lld ms, peak memory grew %lld KiB", timer.elapsed(),
              peak() - before);
        QVERIFY2(peak() - before < 32 * 1024, qPrintable(QString::number(peak() - before)));
    }

    // NAT-PMP: the lease it grants; another outside port offered, given back (its address and a
    // mapping's round trip: router/product.sh).
    void natPmp() {
        Scripted s("natpmp");
        if (s.line() != "natpmp ready")
            QSKIP("UDP 127.0.0.1:5351 is taken");
        UpnpRouter router({{}, "127.0.0.1"});
        QCOMPARE(router.discover().gateway, "127.0.0.1"); // found only over NAT-PMP
        quint32 granted = 0;
        QCOMPARE(router.addUdpMapping(GamePort, Client, Description, 3600, &granted), Router::Ok);
        QCOMPARE(granted, 1800u);
        QCOMPARE(router.removeUdpMapping(GamePort), Router::Ok);
        QCOMPARE(router.addUdpMapping(7576, Client, Description, 3600, &granted),
                 Router::OtherPort);
        const QStringList asked{s.line(), s.line(), s.line(), s.line()}; // braces read in order
        QCOMPARE(asked.join('|'), "add 7575 3600|delete 7575 0|add 7576 3600|delete 7576 0");
    }
};

QTEST_GUILESS_MAIN(UpnpRouterTest)
#include "test_upnp_router.moc"
