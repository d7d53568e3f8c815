// The router's rules: meanings, the port through a scripted router, the record, its answers.

#include "core/router/PortMapper.h"
#include "core/router/RouterFacts.h"
#include "core/router/RouterRecord.h"
#include "core/router/RouterService.h"
#include "core/router/http_reply.h"
#include "fakes/fake_platform.h"
#include "fakes/rows.h"

#include <QtTest>

using Protocol = platform::RouterFound::Protocol;
using Kind = net::PortState::Kind;
using Script = fakes::RouterScript;
using MeaningCase = std::tuple<net::RouterView, net::Reach, QString, QString>;
using HttpCase = std::tuple<QByteArray, bool, net::HttpProgress, QByteArray>;

namespace {

const QString Me = QStringLiteral("192.168.50.2"), Folder = QStringLiteral("C:\\Velkor");

net::PortState state(Kind kind, quint32 lease = 0, qint64 since = 0, int code = 0) {
    return {kind, lease, since, {}, code};
}

// The home router and a folder for the record (others' mappings kept: router/product.sh).
struct Home : fakes::FakePlatform {
    QString file = net::RouterRecord::fileIn(Folder);
    QString mine = net::mappingDescription(Me, net::ownerTag(files->toNative(Folder)));
    Home() {
        prefix.makeFolder("Velkor");
        routers.homeRouter();
    }
    // Velkor's mapping (or one described otherwise) as the record notes it.
    net::RouterRecord::Mapping ours(const QString& description = {}) const {
        return {Protocol::Upnp, net::GamePort, Me,
                3600,           100,           description.isEmpty() ? mine : description};
    }
    // That mapping on the router and recorded.
    void leave(const QString& description = {}) {
        const net::RouterRecord::Mapping left = ours(description);
        routers.with([&](Script& s) { s.mappings[7575] = {Me, left.description}; });
        QVERIFY((net::RouterRecord{true, left}.write(file)));
    }
    bool recorded() { return bool(net::RouterRecord::read(file).mapping); }
};

} // namespace

class RouterTest : public QObject {
    Q_OBJECT
private slots:
    void routerTexts() {
        QCOMPARE(net::routerText(" Home\n\tBox\x01  7 "), QStringLiteral("Home Box 7"));
        QCOMPARE(net::routerText(QString(10000, u'x')).back(), QChar(0x2026)); // cut to 64: fuzzed
        QCOMPARE(net::routerText(QString(64, u'y')), QString(64, u'y'));
        QCOMPARE(net::portLine({Kind::Open, 3600, 1000, {}, 0}, 1000 + 1799),
                 QStringLiteral("Open to this machine for 31 more minutes"));
    }

    // Each router state: its reach, the dialog's sentence, a launch's warning (none if reachable);
    // behind a shared address, another machine's mapping, a silent router: router/product.sh.
    void meaning_data() {
        net::RouterView open{
            {Protocol::Upnp, true, {}, {}, {}}, "80.100.100.1", {}, state(Kind::Open)},
            seen = open, cut = open, refused = open, none{{}, {}, {}, state(Kind::NoRouter)};
        seen.echo = "81.1.1.1";
        cut.found.connected = false;
        refused.port = state(Kind::Refused, 0, 0, 501);
        using enum net::Reach;
        addCases<MeaningCase>(
            {{"open", {open, Reachable, "they join at 80.100.100.1.", ""}},
             {"seen otherwise", {seen, AnotherNat, "differs from 81.1.1.1", "play over a VPN"}},
             {"not connected", {cut, AnotherNat, "connection is not its own", "Another NAT"}},
             {"no router",
              {none, NoRouter, "forward UDP 7575 to 192.168.50.2 by hand",
               "router: no router answered."}},
             {"refused",
              {refused, PortClosed, "until UDP 7575 leads to 192.168.50.2",
               "refused it (error 501). Friends may not be able to join you: forward "
               "UDP 7575 to 192.168.50.2"}}});
    }
    void meaning() {
        QFETCH(MeaningCase, row);
        const auto& [view, reach, says, warns] = row;
        QCOMPARE(net::reach(view), reach);
        QVERIFY2(net::meaning(view, Me).contains(says), qPrintable(net::meaning(view, Me)));
        const net::HostingWarning warning = net::hostingWarning(view, Me);
        QVERIFY2(warns.isEmpty() ? warning.cause.isEmpty() : warning.text.contains(warns),
                 qPrintable(warning.text));
    }

    // Loopback or no Local IP: no network (its words: router/product.sh), whatever the router said.
    void noNetwork() {
        const net::RouterView none{{}, {}, {}, state(Kind::NoRouter)};
        for (const char* local : {"", " ", "127.0.0.1", "127.255.0.9", "::1"}) {
            QVERIFY2(net::noNetwork(local), local);
            QCOMPARE(net::hostingWarning(none, local).cause, "no network");
            QVERIFY2(!net::meaning(none, local).contains("forward"), local); // nowhere to forward
        }
        for (const char* local : {"128.0.0.1", "126.0.0.1", "192.168.50.2", "fe80::1", "x"})
            QVERIFY2(!net::noNetwork(local), local);
    }

    void openingThePort() {
        Home os;
        auto router = os.routers.open();
        net::PortMapper mapper(*router);
        QCOMPARE(mapper.open(Me, os.mine, 100).state.kind, Kind::NoRouter); // nothing found yet
        // Only a whole IPv4 address from the router is its outside address.
        os.routers.with([](Script& s) { s.outside = "80.100.100.1 /j 6.6.6.6"; });
        QCOMPARE(mapper.discover().outside, QString());
        os.routers.homeRouter();
        QCOMPARE(mapper.discover().outside, QStringLiteral("80.100.100.1"));

        // Opened for an hour, and asked again: Velkor's own mapping is renewed.
        QCOMPARE(mapper.open(Me, os.mine, 100).mapping, std::optional(os.ours()));
        QCOMPARE(mapper.open(Me, os.mine, 200).state, state(Kind::Open, 3600, 200));
        QCOMPARE(mapper.open("fe80::1", os.mine, 300).state.kind, Kind::Refused); // never asked

        // Another machine's, another program's, and an earlier version's that no record vouches
        // for are left as they are, also by a removal (another user's: router/product.sh).
        for (const platform::RouterMapping& other :
             {platform::RouterMapping{"192.168.50.9", os.mine},
              {Me, "Skype"},
              {Me, net::sharedDescription(Me)}}) {
            os.routers.with([&](Script& s) { s.mappings[7575] = other; });
            const net::PortMapper::Opened opened = mapper.open(Me, os.mine, 300);
            QCOMPARE(opened.state.kind, Kind::HeldElsewhere);
            QCOMPARE(opened.state.holder, other.client);
            QVERIFY(mapper.remove(os.ours(), {Me}));
            QCOMPARE(os.routers.mapping().description, other.description);
        }
        // The earlier version's that the record names is Velkor's own: taken over.
        const auto earlier = os.ours(net::sharedDescription(Me));
        QCOMPARE(mapper.open(Me, os.mine, 300, earlier).state.kind, Kind::Open);
        QCOMPARE(os.routers.mapping().description, os.mine);
        os.routers.with([](Script& s) { s.mappings.remove(7575); });

        // Only permanent mappings: one is made, which Velkor must remove itself.
        os.routers.with([](Script& s) { s.permanentOnly = true; });
        const auto permanent = mapper.open(Me, os.mine, 400).mapping;
        QCOMPARE(permanent ? permanent->lease : 99, 0u);
        QVERIFY(mapper.remove(*permanent, {Me}));
        QVERIFY(!os.routers.mapped());

        for (const auto& [result, state] :
             {std::pair{501, state(Kind::Refused, 0, 0, 501)},
              {platform::Router::NoAnswer, state(Kind::NoAnswer, 0, 0, -1)},
              {platform::Router::OtherPort, state(Kind::HeldElsewhere)}}) {
            os.routers.with([&](Script& s) { s.addResult = result; });
            QCOMPARE(mapper.open(Me, os.mine, 500).state, state);
        }
    }

    void recordFile() {
        Home os;
        const net::RouterRecord record{false, os.ours("Velkor (x)\nOpenPortWhenHosting=1")};
        QVERIFY(record.write(os.file));
        const net::RouterRecord back = net::RouterRecord::read(os.file);
        QVERIFY(!back.openPortWhenHosting);
        QCOMPARE(back.mapping->description, QStringLiteral("Velkor (x) OpenPortWhenHosting=1"));

        // Damaged files give the defaults (a port or client not Velkor's: the fuzz target).
        for (const QByteArray mapping :
             {"UPnP 7575 192.168.50.2 3600", "SOAP 7575 192.168.50.2 3600 1 d"}) {
            os.prefix.writeFile("drive_c/Velkor/VelkorRouter.cfg",
                                "OpenPortWhenHosting=0\nMapping=" + mapping + '\n');
            QVERIFY2(!os.recorded(), mapping.constData());
        }
        os.prefix.writeFile("drive_c/Velkor/VelkorRouter.cfg",
                            "OpenPortWhenHosting=0\n" + QByteArray(5000, '#'));
        QCOMPARE(net::RouterRecord::read(os.file), net::RouterRecord{}); // too big to be ours
    }

    // Leftovers and Velkor's own mapping removed unless the game plays or whose is unknown.
    void leftoversAndTheEnd() {
        Home os;
        os.leave();
        os.routers.with([](Script& s) { s.questionResult = platform::Router::NoAnswer; });
        {
            net::RouterService service; // its router answered, and time to act on its own
            service.start(Folder, false, {Me});
            QTRY_VERIFY(service.answered());
            QTest::qWait(50);
        }
        QVERIFY(os.routers.mapped());
        QVERIFY(os.recorded());
        os.routers.with([](Script& s) { s.questionResult = platform::Router::Ok; });
        os.leave(net::sharedDescription(Me)); // an earlier version's leftover
        {
            net::RouterService service;
            service.start(Folder, false, {Me});
            QTRY_VERIFY(!os.routers.mapped());
            QTRY_VERIFY(!os.recorded());
        }
        os.leave();
        net::RouterService service;
        service.start(Folder, true, {Me}); // still playing: renewed
        QTRY_COMPARE(service.view().port.kind, Kind::Open);
        service.finish(false); // a router too slow for the end's bound: closedWhileAsking
        QVERIFY(!os.routers.mapped());
        QVERIFY(!os.recorded());
    }

    // A request is recorded before it is sent: closed while the router takes its time, the next
    // start removes what the router made after all.
    void closedWhileAsking() {
        Home os;
        {
            net::RouterService service;
            service.start(Folder, false, {Me});
            QTRY_VERIFY(service.answered());
            os.routers.with([](Script& s) { s.delayMs = 400; });
            service.openPort(Me);
            QVERIFY(os.recorded()); // before the router answers
            service.finish(false, 50);
        } // the router makes it after all
        QTRY_VERIFY(os.routers.mapped());
        os.routers.with([](Script& s) { s.delayMs = 0; });
        net::RouterService next;
        next.start(Folder, false, {Me});
        QTRY_VERIFY(!os.routers.mapped());
        QTRY_VERIFY(!os.recorded());
    }

    // A router's answer counts only whole and within its bound (an endless one: test_upnp_router).
    void httpReplies_data() {
        const QByteArray ok = "HTTP/1.1 200 OK\r\n";
        using enum net::HttpProgress;
        addCases<HttpCase>(
            {{"length", {ok + "Content-Length: 3\r\n\r\nabcdef", false, Whole, "abc"}},
             {"length not there yet", {ok + "Content-Length: 3\r\n\r\nab", false, More, ""}},
             {"two lengths",
              {ok + "Content-Length: 3\r\nContent-Length: 4\r\n\r\nabcd", true, Broken, ""}},
             {"length past the bound", {ok + "Content-Length: 70000\r\n\r\n", false, Broken, ""}},
             {"chunked",
              {ok + "Transfer-Encoding: chunked\r\n\r\n3;x\r\nabc\r\n2\r\nde\r\n0\r\n", false,
               Whole, "abcde"}},
             {"chunks not ended",
              {ok + "Transfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n", true, Broken, ""}},
             {"chunk past the bound",
              {ok + "Transfer-Encoding: chunked\r\n\r\n11170\r\n", false, Broken, ""}},
             {"chunk ill-formed",
              {ok + "Transfer-Encoding: chunked\r\n\r\nzz\r\n", false, Broken, ""}},
             {"bare line feeds", {"HTTP/1.0 500 Fault\n\nabc", true, Whole, "abc"}},
             {"no status", {"SOAP 200\r\n\r\nabc", true, Broken, ""}}});
    }
    void httpReplies() {
        QFETCH(HttpCase, row);
        const auto& [received, ended, progress, body] = row;
        net::HttpReply reply;
        QCOMPARE(net::readHttpReply(received, ended, reply), progress);
        QCOMPARE(reply.body, body);
    }

    // Only a URL to a numeric host is asked (a name would need a look-up beyond any bound).
    void routerUrls() {
        const auto target =
            net::httpTarget("http://[fe80::1]:5000/rootDesc.xml").value_or(net::HttpTarget{});
        QCOMPARE(target.host + ' ' + QByteArray::number(target.port) + ' ' + target.path,
                 "fe80::1 5000 /rootDesc.xml");
        for (const char* url : {"https://192.168.1.1/", "http://a b/", "http://192.168.1.1:65536/"})
            QVERIFY2(!net::httpTarget(url), url); // an SSDP answer's location: router/product.sh
    }
};

QTEST_MAIN(RouterTest)
#include "test_router.moc"
