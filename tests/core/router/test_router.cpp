// The router's rules: meanings, the port through a scripted router, the record, and how a
// router's answers are read.

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

net::PortState state(Kind kind, quint32 lease = 0, qint64 since = 0, const QString& holder = {},
                     int code = 0) {
    return {kind, lease, since, holder, code};
}

// The home router, another program's mapping of 7000 on it, and a folder for the record.
struct Home : fakes::FakePlatform {
    QString file = net::RouterRecord::fileIn(Folder);
    QString mine = net::mappingDescription(Me, net::ownerTag(files->toNative(Folder)));
    Home() {
        prefix.makeFolder("Velkor");
        routers.homeRouter();
        routers.with([](Script& s) { s.mappings[7000] = {"192.168.50.9", "Torrent"}; });
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
    // A run of Velkor with these addresses, from its start until its router answered and a
    // moment more, time enough for anything it would do on its own.
    void runUntilSettled(const QString& own = Me) {
        net::RouterService service;
        service.start(Folder, false, {own});
        QTRY_VERIFY(service.answered());
        QTest::qWait(50);
    }
};

} // namespace

class RouterTest : public QObject {
    Q_OBJECT
private slots:
    void routerTexts() {
        QCOMPARE(net::routerText(" Home\n\tBox\x01  7 "), QStringLiteral("Home Box 7"));
        const QString cut = net::routerText(QString(10000, u'x'));
        QCOMPARE(cut.size(), 64);
        QCOMPARE(cut.back(), QChar(0x2026));
        QCOMPARE(net::routerText(QString(64, u'y')), QString(64, u'y'));
        QCOMPARE(net::portLine({Kind::Open, 3600, 1000, {}, 0}, 1000 + 1799),
                 QStringLiteral("Open to this machine for 31 more minutes"));
        QCOMPARE(net::portLine({Kind::Open, 0, 1000, {}, 0}, 99999),
                 QStringLiteral("Open to this machine until Velkor closes it"));
        QCOMPARE(net::routerLine({}), QStringLiteral("None answered"));
    }

    // Each router state: its reach, the dialog's sentence, a launch's warning (none if reachable).
    void meaning_data() {
        net::RouterView open{
            {Protocol::Upnp, true, {}, {}, {}}, "80.100.100.1", {}, state(Kind::Open)},
            shared = open, seen = open, cut = open, held = open, refused = open, late = open,
            none{{}, {}, {}, state(Kind::NoRouter)};
        shared.outside = "100.64.7.7";
        seen.echo = "81.1.1.1";
        cut.found.connected = false;
        held.port = state(Kind::HeldElsewhere, 0, 0, "192.168.50.9");
        refused.port = state(Kind::Refused, 0, 0, {}, 501);
        late.port = state(Kind::NoAnswer);
        using enum net::Reach;
        addCases<MeaningCase>(
            {{"open", {open, Reachable, "they join at 80.100.100.1.", ""}},
             {"shared outside",
              {shared, AnotherNat, "100.64.7.7 is shared (100.64.0.0/10)",
               "Another NAT sits beyond your router"}},
             {"seen otherwise", {seen, AnotherNat, "differs from 81.1.1.1", "play over a VPN"}},
             {"not connected", {cut, AnotherNat, "connection is not its own", "Another NAT"}},
             {"no router",
              {none, NoRouter, "forward UDP 7575 to 192.168.50.2 by hand",
               "router: no router answered."}},
             {"held",
              {held, PortClosed, "another machine or program holds UDP 7575",
               "another machine or program (192.168.50.9) holds it. Friends may not"}},
             {"refused",
              {refused, PortClosed, "until UDP 7575 leads to 192.168.50.2",
               "refused it (error 501). Friends may not be able to join you: forward "
               "UDP 7575 to 192.168.50.2"}},
             {"not answered", {late, PortClosed, "forward it by hand", "did not answer in time"}}});
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

        // Another machine's, another program's, another user's of this machine, and an earlier
        // version's that no record vouches for are left as they are, also by a removal.
        for (const platform::RouterMapping& other :
             {platform::RouterMapping{"192.168.50.9", os.mine},
              {Me, "Skype"},
              {Me, net::mappingDescription(Me, "b0b0b0")},
              {Me, net::sharedDescription(Me)}}) {
            os.routers.with([&](Script& s) { s.mappings[7575] = other; });
            const net::PortMapper::Opened opened = mapper.open(Me, os.mine, 300);
            QCOMPARE(opened.state.kind, Kind::HeldElsewhere);
            QVERIFY(!opened.mapping);
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
        QVERIFY(os.routers.mapped(7000));

        for (const auto& [result, state] :
             {std::pair{501, state(Kind::Refused, 0, 0, {}, 501)},
              {platform::Router::NoAnswer, state(Kind::NoAnswer, 0, 0, {}, -1)},
              {platform::Router::OtherPort, state(Kind::HeldElsewhere)}}) {
            os.routers.with([&](Script& s) { s.addResult = result; });
            QCOMPARE(mapper.open(Me, os.mine, 500).state, state);
        }
    }

    // A record's mapping is removed only when it leads to this machine and, over UPnP, the router
    // still has it so with the record's description; over NAT-PMP, which cannot be asked, on the
    // address alone.
    void removingOnlyOurs() {
        Home os;
        auto router = os.routers.open();
        net::PortMapper mapper(*router);
        for (const Protocol protocol : {Protocol::Upnp, Protocol::NatPmp}) {
            os.routers.with([&](Script& s) {
                s.found.protocol = protocol;
                s.questionResult = protocol == Protocol::Upnp ? platform::Router::Ok
                                                              : platform::Router::Unsupported;
                s.mappings[7575] = {Me, os.mine};
            });
            mapper.discover();
            net::RouterRecord::Mapping left = os.ours();
            left.protocol = protocol;
            // This machine has another address now: the record's is another machine's.
            QVERIFY(mapper.remove(left, {"192.168.50.5"}));
            QVERIFY(os.routers.mapped());
            QVERIFY(mapper.remove(left, {"192.168.50.5", Me}));
            QVERIFY(!os.routers.mapped());
        }
    }

    void recordFile() {
        Home os;
        QCOMPARE(net::RouterRecord::read(os.file), net::RouterRecord{}); // none yet: defaults
        net::RouterRecord record{false, os.ours()};
        record.mapping->description = "Velkor (x)\nOpenPortWhenHosting=1";
        QVERIFY(record.write(os.file));
        const net::RouterRecord back = net::RouterRecord::read(os.file);
        QVERIFY(!back.openPortWhenHosting);
        QCOMPARE(back.mapping->description, QStringLiteral("Velkor (x) OpenPortWhenHosting=1"));

        // Damaged files give the defaults for what they damaged; only the game's port is Velkor's.
        for (const QByteArray mapping :
             {"UPnP 7575 192.168.50.2 3600", "UPnP 7000 192.168.50.2 3600 1 Velkor (192.168.50.2)",
              "UPnP 7575 1.2.3.4/j 3600 1 d", "SOAP 7575 192.168.50.2 3600 1 d"}) {
            os.prefix.writeFile("drive_c/Velkor/VelkorRouter.cfg",
                                "OpenPortWhenHosting=0\nMapping=" + mapping + '\n');
            QVERIFY2(!os.recorded(), mapping.constData());
            QVERIFY2(!net::RouterRecord::read(os.file).openPortWhenHosting, mapping.constData());
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
        os.runUntilSettled();
        QVERIFY(os.routers.mapped());
        QVERIFY(os.recorded());
        os.routers.with([](Script& s) { s.questionResult = platform::Router::Ok; });
        // Another user's record (copied, or damaged), and one of an address this machine no
        // longer has: the router's mapping is not this Velkor's to remove.
        for (const auto& [description, own] :
             {std::pair{net::mappingDescription(Me, "b0b0b0"), Me},
              std::pair{os.mine, QStringLiteral("192.168.50.5")}}) {
            os.leave(description);
            os.runUntilSettled(own);
            QVERIFY2(os.routers.mapped(), qPrintable(own));
        }
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
        os.routers.with([](Script& s) { s.delayMs = 1500; }); // too slow for the end's bound
        service.finish(false, 200);
        QVERIFY(os.recorded());
        os.routers.with([](Script& s) { s.delayMs = 0; });
        service.finish(false);
        QVERIFY(!os.routers.mapped());
        QVERIFY(!os.recorded());
        QVERIFY(os.routers.mapped(7000));
    }

    // A request is recorded before it is sent: closed while the router takes its time, the next
    // start removes what the router made after all. Asked while the router is looked for, it is
    // sent, and recorded, once the router is known.
    void closedWhileAsking() {
        Home os;
        {
            net::RouterService service;
            service.start(Folder, false, {Me});
            service.openPort(Me);
            QVERIFY(service.portPending());
            QTRY_COMPARE(service.view().port.kind, Kind::Open);
            QVERIFY(os.recorded());
            service.finish(false);
        }
        QVERIFY(!os.routers.mapped());
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

    // Two users of one machine in turn, each with a folder of their own: the second one's Velkor
    // neither takes the first one's mapping nor removes it.
    void anotherUsersMapping() {
        Home os;
        os.prefix.makeFolder("Other");
        net::RouterService first, second;
        first.start(Folder, false, {Me});
        second.start("C:\\Other", false, {Me});
        first.openPort(Me);
        QTRY_COMPARE(first.view().port.kind, Kind::Open);
        second.openPort(Me);
        QTRY_COMPARE(second.view().port.kind, Kind::HeldElsewhere);
        second.finish(false);
        QCOMPARE(os.routers.mapping().description, os.mine);
        QVERIFY(!net::RouterRecord::read("C:\\Other\\VelkorRouter.cfg").mapping);
    }

    // A router's answer counts only whole and within its bound.
    void httpReplies_data() {
        const QByteArray ok = "HTTP/1.1 200 OK\r\n", big(70000, 'x');
        using enum net::HttpProgress;
        addCases<HttpCase>(
            {{"length", {ok + "Content-Length: 3\r\n\r\nabcdef", false, Whole, "abc"}},
             {"length not there yet", {ok + "Content-Length: 3\r\n\r\nab", false, More, ""}},
             {"length cut short", {ok + "Content-Length: 3\r\n\r\nab", true, Broken, ""}},
             {"two lengths",
              {ok + "Content-Length: 3\r\nContent-Length: 4\r\n\r\nabcd", true, Broken, ""}},
             {"length past the bound", {ok + "Content-Length: 70000\r\n\r\n", false, Broken, ""}},
             {"until the end", {ok + "\r\nabc", true, Whole, "abc"}},
             {"endless", {ok + "\r\n" + big, false, Broken, ""}},
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
             {"no status", {"SOAP 200\r\n\r\nabc", true, Broken, ""}},
             {"endless head", {ok + big, false, Broken, ""}}});
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
        const auto target = net::httpTarget("http://[fe80::1]:5000/rootDesc.xml");
        QVERIFY(target);
        QCOMPARE(target->host + ' ' + QByteArray::number(target->port) + ' ' + target->path,
                 "fe80::1 5000 /rootDesc.xml");
        for (const char* url : {"https://192.168.1.1/", "http://192.168.1.1:0/", "http://a b/",
                                "http://192.168.1.1:65536/", "http://192.168.1.1/a b"})
            QVERIFY2(!net::httpTarget(url), url);
        QCOMPARE(net::ssdpLocation("HTTP/1.1 200 OK\r\nst: x\r\nlocation:  "
                                   "http://192.168.1.1:5000/d.xml \r\n\r\n"),
                 "http://192.168.1.1:5000/d.xml");
    }
};

QTEST_MAIN(RouterTest)
#include "test_router.moc"
