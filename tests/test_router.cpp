// The router's rules: which addresses are the internet's, what the answers mean, opening and
// removing the game's port through a scripted router, and the small router settings file.

#include "fakes/fake_platform.h"
#include "net/PortMapper.h"
#include "net/RouterFacts.h"
#include "net/RouterRecord.h"
#include "net/RouterService.h"
#include "rows.h"

#include <QtTest>

using Protocol = platform::RouterFound::Protocol;
using Kind = net::PortState::Kind;

namespace {

const QString Me = QStringLiteral("192.168.50.2");
const QString Folder = QStringLiteral("C:\\Velkor");

platform::RouterFound upnpRouter() {
    platform::RouterFound found;
    found.protocol = Protocol::Upnp;
    found.connected = true;
    found.gateway = QStringLiteral("192.168.50.1");
    return found;
}

// A scripted UPnP router with the internet's address outside, and another's mapping of 7000.
void script(fakes::FakeRouters& routers) {
    routers.with([](fakes::RouterScript& s) {
        s.found = upnpRouter();
        s.outside = QStringLiteral("80.100.100.1");
        s.mappings[7000] = {QStringLiteral("192.168.50.9"), 7000, QStringLiteral("Torrent"), 0};
    });
}

net::RouterRecord::Mapping ours(qint64 since = 100) {
    return {Protocol::Upnp, net::GamePort, Me, 3600, since, net::mappingDescription(Me)};
}

} // namespace

class RouterTest : public QObject {
    Q_OBJECT
private slots:
    void publicAddresses_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("reachable");
        const std::pair<const char*, bool> rows[] = {{"80.100.100.1", true},
                                                     {"8.8.8.8", true},
                                                     {"172.15.255.255", true},
                                                     {"172.32.0.0", true},
                                                     {"100.63.255.255", true},
                                                     {"100.128.0.0", true},
                                                     {"198.20.0.1", true},
                                                     {"223.255.255.255", true},
                                                     {"10.1.2.3", false},
                                                     {"172.16.0.0", false},
                                                     {"172.31.255.255", false},
                                                     {"192.168.50.1", false},
                                                     {"100.64.0.1", false},
                                                     {"100.127.255.255", false},
                                                     {"127.0.0.1", false},
                                                     {"169.254.1.1", false},
                                                     {"192.0.2.1", false},
                                                     {"198.51.100.1", false},
                                                     {"203.0.113.1", false},
                                                     {"198.18.0.1", false},
                                                     {"198.19.255.255", false},
                                                     {"224.0.0.1", false},
                                                     {"255.255.255.255", false},
                                                     {"0.1.2.3", false},
                                                     {"2001:db8::1", false},
                                                     {"1.2.3.4 /j 6.6.6.6", false},
                                                     {"", false}};
        for (const auto& [address, reachable] : rows)
            QTest::newRow(address) << QString::fromLatin1(address) << reachable;
    }
    void publicAddresses() {
        QFETCH(QString, address);
        QFETCH(bool, reachable);
        QCOMPARE(net::isPublicIpv4(address), reachable);
    }

    void routerTextIsPlainAndShort() {
        QCOMPARE(net::routerText(" Home\n\tBox\x01  7 "), QStringLiteral("Home Box 7"));
        const QString cut = net::routerText(QString(10000, u'x'));
        QCOMPARE(cut.size(), 64);
        QVERIFY(cut.endsWith(QChar(0x2026)));
        QCOMPARE(net::routerText(QString(64, u'y')), QString(64, u'y'));
    }

    // Which sentence the player reads for each state of the router.
    void meaning_data() {
        QTest::addColumn<net::RouterView>("view");
        QTest::addColumn<int>("reach");
        QTest::addColumn<QString>("says");
        net::RouterView open{upnpRouter(), "80.100.100.1", "", {}};
        open.port.kind = Kind::Open;
        net::RouterView shared = open, behind = open, notConnected = open, none, held = open,
                        refused = open;
        shared.outside = "100.64.7.7";
        behind.echo = "81.1.1.1";
        notConnected.found.connected = false;
        held.port = {Kind::HeldElsewhere, 0, 0, "192.168.50.9", 0};
        refused.port = {Kind::Refused, 0, 0, {}, 501};
        const auto row = [](const char* name, const net::RouterView& view, net::Reach reach,
                            const char* says) {
            QTest::newRow(name) << view << int(reach) << QString::fromUtf8(says);
        };
        row("open", open, net::Reach::Reachable,
            "Friends can reach you: they join at 80.100.100.1.");
        row("shared outside", shared, net::Reach::AnotherNat,
            "100.64.7.7 is shared (100.64.0.0/10)");
        row("seen otherwise", behind, net::Reach::AnotherNat, "differs from 81.1.1.1");
        row("not connected", notConnected, net::Reach::AnotherNat, "let one of them host, or play");
        row("no router", none, net::Reach::NoRouter, "forward UDP 7575 to 192.168.50.2 by hand");
        row("held", held, net::Reach::PortClosed, "another machine or program holds UDP 7575");
        row("refused", refused, net::Reach::PortClosed, "until UDP 7575 leads to 192.168.50.2");
    }
    void meaning() {
        QFETCH(net::RouterView, view);
        QFETCH(int, reach);
        QFETCH(QString, says);
        QCOMPARE(int(net::reach(view)), reach);
        QVERIFY2(net::meaning(view, Me).contains(says), qPrintable(net::meaning(view, Me)));
    }

    void portLines() {
        QCOMPARE(net::portLine({Kind::Open, 3600, 1000, {}, 0}, 1000 + 1799),
                 QStringLiteral("Open to this machine for 31 more minutes"));
        QCOMPARE(net::portLine({Kind::Open, 0, 1000, {}, 0}, 99999),
                 QStringLiteral("Open to this machine until Velkor closes it"));
        QCOMPARE(net::portLine({Kind::Refused, 0, 0, {}, 501}, 0),
                 QStringLiteral("Refused by the router (error 501)"));
        QCOMPARE(net::routerLine({}), QStringLiteral("None answered"));
    }

    // Only a whole IPv4 address from the router counts as its outside address.
    void outsideAddressIsWholeOrNothing_data() {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("kept");
        addRow("plain", {"80.100.100.1", "80.100.100.1"});
        addRow("switches after it", {"80.100.100.1 /j 6.6.6.6", ""});
        addRow("IPv6", {"2001:db8::1", ""});
        addRow("empty", {"", ""});
        addRow("overlong", {QString(100000, u'9'), ""});
    }
    void outsideAddressIsWholeOrNothing() {
        QFETCH(QString, given);
        QFETCH(QString, kept);
        fakes::FakePlatform os;
        script(os.routers);
        os.routers.with([&](fakes::RouterScript& s) { s.outside = given; });
        auto router = os.routers.open();
        net::PortMapper mapper(*router);
        QCOMPARE(mapper.discover().outside, kept);
    }

    void openingThePort() {
        fakes::FakePlatform os;
        script(os.routers);
        auto router = os.routers.open();
        net::PortMapper mapper(*router);
        QCOMPARE(mapper.open(Me, 100).state.kind, Kind::NoRouter); // nothing discovered yet
        mapper.discover();

        // Opened for an hour, and asked again: Velkor's own mapping is renewed.
        net::PortMapper::Opened opened = mapper.open(Me, 100);
        QCOMPARE(opened.state, (net::PortState{Kind::Open, 3600, 100, {}, 0}));
        QCOMPARE(opened.mapping, std::optional(ours()));
        QCOMPARE(mapper.open(Me, 200).state.kind, Kind::Open);

        // A machine that is no IPv4 address is never asked for.
        const int calls = os.routers.with([](fakes::RouterScript& s) { return s.calls.size(); });
        QCOMPARE(mapper.open("fe80::1", 300).state.kind, Kind::Refused);
        QCOMPARE(os.routers.with([](fakes::RouterScript& s) { return s.calls.size(); }), calls);

        // Another machine's, or another program's, is left as it is.
        for (const platform::RouterMapping& other :
             {platform::RouterMapping{"192.168.50.9", 7575, net::mappingDescription(Me), 0},
              platform::RouterMapping{Me, 7575, "Skype", 0}}) {
            os.routers.with([&](fakes::RouterScript& s) { s.mappings[7575] = other; });
            opened = mapper.open(Me, 300);
            QCOMPARE(opened.state.kind, Kind::HeldElsewhere);
            QCOMPARE(opened.state.holder, other.client);
            QVERIFY(!opened.mapping);
            mapper.remove(ours());
            const platform::RouterMapping now =
                os.routers.with([](fakes::RouterScript& s) { return s.mappings.value(7575); });
            QVERIFY(now.client == other.client && now.description == other.description);
        }
        os.routers.with([](fakes::RouterScript& s) { s.mappings.remove(7575); });

        // Only permanent mappings: one is made, which Velkor must remove itself.
        os.routers.with([](fakes::RouterScript& s) { s.permanentOnly = true; });
        opened = mapper.open(Me, 400);
        QCOMPARE(opened.state.kind, Kind::Open);
        QCOMPARE(opened.mapping->lease, 0u);
        QVERIFY(mapper.remove(*opened.mapping));
        QVERIFY(!os.routers.with([](fakes::RouterScript& s) { return s.mappings.contains(7575); }));

        // A refusal says the router's error; a router that asks nothing back still maps.
        os.routers.with([](fakes::RouterScript& s) { s.addResult = 501; });
        QCOMPARE(mapper.open(Me, 500).state, (net::PortState{Kind::Refused, 0, 0, {}, 501}));
        os.routers.with([](fakes::RouterScript& s) { s.addResult = platform::Router::NoAnswer; });
        QCOMPARE(mapper.open(Me, 500).state.kind, Kind::NoAnswer);
        os.routers.with([](fakes::RouterScript& s) { s.addResult = platform::Router::OtherPort; });
        QCOMPARE(net::portLine(mapper.open(Me, 500).state, 0),
                 QStringLiteral("Held by another machine or program"));
        QVERIFY(os.routers.with([](fakes::RouterScript& s) { return s.mappings.contains(7000); }));
    }

    void recordFile() {
        fakes::FakePlatform os;
        os.prefix.makeFolder("Velkor");
        const QString file = net::RouterRecord::fileIn(Folder);
        QCOMPARE(net::RouterRecord::read(file), net::RouterRecord{}); // none yet: the defaults

        net::RouterRecord record{false, ours()};
        record.mapping->description = "Velkor (x)\nOpenPortWhenHosting=1";
        QVERIFY(record.write(file));
        net::RouterRecord back = net::RouterRecord::read(file);
        QVERIFY(!back.openPortWhenHosting);
        QCOMPARE(back.mapping->description, QStringLiteral("Velkor (x) OpenPortWhenHosting=1"));

        // Damaged files give the defaults for what they damaged.
        const QByteArray damaged[] = {
            "OpenPortWhenHosting=0\nMapping=UPnP 7575 192.168.50.2 3600\n",
            "OpenPortWhenHosting=0\nMapping=UPnP 99999 192.168.50.2 3600 1 d\n",
            "OpenPortWhenHosting=0\nMapping=UPnP 7575 1.2.3.4/j 3600 1 d\n",
            "OpenPortWhenHosting=0\nMapping=SOAP 7575 192.168.50.2 3600 1 d\n"};
        for (const QByteArray& text : damaged) {
            os.prefix.writeFile("drive_c/Velkor/VelkorRouter.cfg", text);
            back = net::RouterRecord::read(file);
            QVERIFY2(!back.openPortWhenHosting && !back.mapping, text.constData());
        }
        os.prefix.writeFile("drive_c/Velkor/VelkorRouter.cfg",
                            "OpenPortWhenHosting=0\n" + QByteArray(5000, '#'));
        QCOMPARE(net::RouterRecord::read(file), net::RouterRecord{}); // too big to be ours
        QVERIFY(!record.write("C:\\Absent\\VelkorRouter.cfg"));
    }

    // A start removes what an earlier run left, unless its game still plays; the end removes
    // Velkor's mapping unless the game plays, and keeps the record of what it could not remove.
    void leftoversAndTheEnd() {
        fakes::FakePlatform os;
        script(os.routers);
        os.prefix.makeFolder("Velkor");
        const QString file = net::RouterRecord::fileIn(Folder);
        const auto mapped = [&] {
            return os.routers.with(
                [](fakes::RouterScript& s) { return s.mappings.contains(7575); });
        };
        const auto leave = [&] {
            os.routers.with([](fakes::RouterScript& s) {
                s.mappings[7575] = {Me, 7575, net::mappingDescription(Me), 3600};
            });
            QVERIFY((net::RouterRecord{true, ours()}.write(file)));
        };

        leave();
        os.routers.with(
            [](fakes::RouterScript& s) { s.questionResult = platform::Router::NoAnswer; });
        {
            net::RouterService service; // the router cannot say whose it is: kept for later
            service.start(Folder, false);
            QTRY_VERIFY(service.answered());
            QTest::qWait(50);
            QVERIFY(mapped() && net::RouterRecord::read(file).mapping);
        }
        os.routers.with([](fakes::RouterScript& s) { s.questionResult = platform::Router::Ok; });
        {
            net::RouterService service;
            service.start(Folder, false);
            QTRY_VERIFY(!mapped());
            QTRY_VERIFY(!net::RouterRecord::read(file).mapping);
        }
        leave();
        {
            net::RouterService service;
            QSignalSpy answered(&service, &net::RouterService::portAnswered);
            service.start(Folder, true); // still playing: renewed
            QTRY_COMPARE(answered.count(), 1);
            QCOMPARE(service.view().port.kind, Kind::Open);
            service.finish(true);
            QVERIFY(mapped() && net::RouterRecord::read(file).mapping);
            service.finish(false);
            QVERIFY(!mapped() && !net::RouterRecord::read(file).mapping);
        }
        QVERIFY(os.routers.with([](fakes::RouterScript& s) { return s.mappings.contains(7000); }));

        // A router too slow for the end's bound: the record stays for the next start.
        leave();
        net::RouterService service;
        service.start(Folder, true);
        QTRY_VERIFY(service.view().port.kind == Kind::Open);
        os.routers.with([](fakes::RouterScript& s) { s.delayMs = 1500; });
        service.finish(false, 200);
        QVERIFY(net::RouterRecord::read(file).mapping);
    }
};

QTEST_MAIN(RouterTest)
#include "test_router.moc"
