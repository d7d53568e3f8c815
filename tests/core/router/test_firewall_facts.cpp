// Windows Defender Firewall's verdict on the game's programs receiving UDP 7575, over rule
// records as the system states them, and what the player is told of it.

#include "core/router/firewall_facts.h"
#include "fakes/rows.h"

#include <QtTest>

using platform::FirewallRule;
using platform::FirewallState;
using Kind = win32::FirewallVerdict::Kind;
using Case = std::tuple<FirewallState, Kind, QString>; // the state; the verdict, its rule
namespace profile = platform::fwprofile;

namespace {

const QString Folder = QStringLiteral("C:\\Games\\Populous");
const QString PopTB = Folder + QStringLiteral("\\popTB.exe");

// A rule as Windows lists it: inbound, enabled, for UDP 7575 from anywhere unless changed.
FirewallRule rule(const QString& name, const QString& program, bool allow, int profiles,
                  int protocol = platform::fwprotocol::Udp) {
    return {name, program, protocol, "*", "*", true, allow, true, profiles};
}
// What Windows leaves when the player cancels its prompt: inbound blocks for the program.
FirewallRule cancelled(const QString& program, int protocol) {
    return rule("popTB.exe", program, false, profile::Public, protocol);
}

FirewallState onPublic(QList<FirewallRule> rules, int enabled = profile::All, int blockAll = 0) {
    return {true, {}, profile::Public, enabled, blockAll, 0, rules};
}

// The firewall's rule objects as the helper sees them: every change it makes is kept.
struct FakeRules : platform::FirewallRules {
    QList<FirewallRule> rules;
    QList<FirewallRule> added;
    QList<int> changed;
    bool refuse = false;
    QList<FirewallRule> list() override { return rules; }
    bool add(const FirewallRule& rule) override {
        if (refuse)
            return false;
        added << rule;
        rules << rule;
        return true;
    }
    bool change(int index, bool enabled, int profiles) override {
        changed << index;
        rules[index].enabled = enabled;
        rules[index].profiles = profiles;
        return !refuse;
    }
};

} // namespace

class FirewallFactsTest : public QObject {
    Q_OBJECT
private slots:
    void verdict_data() {
        FirewallRule portRule = rule("Game ports", {}, true, profile::All);
        portRule.localPorts = QStringLiteral("6000-7000, 7575");
        FirewallRule disabled = cancelled(PopTB, platform::fwprotocol::Udp);
        disabled.enabled = false;
        FirewallRule tcpOnly = cancelled(PopTB, platform::fwprotocol::Tcp);
        FirewallRule someRemotes = cancelled(PopTB, platform::fwprotocol::Any);
        someRemotes.remoteAddresses = QStringLiteral("LocalSubnet");
        FirewallRule outbound = cancelled(PopTB, platform::fwprotocol::Udp);
        outbound.inbound = false;
        const FirewallRule allowed =
            rule("Populous", Folder + "\\D3Dpoptb.exe", true, profile::Public);
        const FirewallState unread{false, QStringLiteral("E_NOTIMPL"), 0, 0, 0, 0, {}};
        addCases<Case>({
            {"cancelled prompt",
             {onPublic({cancelled(PopTB, 17), allowed}), Kind::Blocked, "popTB.exe"}},
            {"block for any protocol",
             {onPublic({cancelled(PopTB, 256)}), Kind::Blocked, "popTB.exe"}},
            {"path in other case, slashes",
             {onPublic({cancelled("c:/games/POPULOUS/poptb.EXE", 17)}), Kind::Blocked,
              "popTB.exe"}},
            {"allowed on Private, network Public",
             {onPublic({rule("Populous", PopTB, true, profile::Private)}), Kind::NotAllowed, {}}},
            {"port rule for any program", {onPublic({portRule}), Kind::Allowed, "Game ports"}},
            {"another folder's popTB.exe",
             {onPublic({cancelled("D:\\Old\\popTB.exe", 17), allowed}), Kind::Allowed, "Populous"}},
            {"disabled block", {onPublic({disabled, allowed}), Kind::Allowed, "Populous"}},
            {"TCP block only", {onPublic({tcpOnly}), Kind::NotAllowed, {}}},
            {"block for some remotes",
             {onPublic({someRemotes, allowed}), Kind::Allowed, "Populous"}},
            {"outbound block", {onPublic({outbound}), Kind::NotAllowed, {}}},
            {"firewall off", {onPublic({cancelled(PopTB, 17)}, profile::Private), Kind::Off, {}}},
            {"block all inbound",
             {onPublic({allowed}, profile::All, profile::Public), Kind::BlockAll, {}}},
            {"not read", {unread, Kind::Unknown, {}}},
        });
    }
    void verdict() {
        QFETCH(Case, row);
        const auto& [state, kind, rule] = row;
        const win32::FirewallVerdict verdict = net::gameFirewall(state, Folder + "\\");
        QCOMPARE(verdict.kind, kind);
        QCOMPARE(verdict.rule, rule);
    }

    // Two networks in use: the one that keeps friends out is the one the player hears of.
    void worstProfileCounts() {
        FirewallState state =
            onPublic({cancelled(PopTB, 17), rule("Populous", PopTB, true, profile::Private)});
        state.currentProfiles = profile::Private | profile::Public;
        const win32::FirewallVerdict verdict = net::gameFirewall(state, Folder);
        QCOMPARE(verdict.kind, Kind::Blocked);
        QCOMPARE(verdict.profile, profile::Public); // the line's words: test_router_window
        const net::HostingWarning warning = net::firewallWarning(verdict);
        QCOMPARE(warning.cause, QStringLiteral("firewall"));
        QVERIFY2(warning.text.contains("its rule \"popTB.exe\" blocks popTB.exe"),
                 qPrintable(warning.text));
        state.defaultAllowProfiles = profile::Public;
        state.rules.removeFirst();
        QCOMPARE(net::gameFirewall(state, Folder).kind, Kind::Allowed);
        QCOMPARE(net::firewallWarning(net::gameFirewall(state, Folder)).cause, QString());
    }

    // The prompt's block rules disabled, never deleted; the allow rules added once; nothing else
    // touched: another program's block, a TCP block, another port's block for any program.
    void helperChangesOnlyTheGamesRules() {
        FirewallRule otherBlock = cancelled("C:\\Other\\game.exe", 17);
        FirewallRule tcpBlock = cancelled(PopTB, platform::fwprotocol::Tcp);
        FirewallRule anyProgram = cancelled({}, 17);
        anyProgram.localPorts = QStringLiteral("9000");
        FakeRules fake;
        fake.rules = {cancelled(PopTB, 17), otherBlock, tcpBlock, anyProgram,
                      cancelled(PopTB, 256)};
        const platform::FirewallRequest request = net::gameFirewallRequest(Folder, profile::Public);
        const win32::FirewallChanges done = win32::allowPrograms(fake, request);
        QCOMPARE(done.problem, QString());
        QCOMPARE(fake.changed, (QList<int>{0, 4}));
        QCOMPARE(fake.rules.at(0).enabled, false);
        QCOMPARE(fake.rules.at(0).profiles, profile::Public);
        QCOMPARE(fake.added.size(), request.programs.size());
        const FirewallRule& made = fake.added.at(2);
        QCOMPARE(made.name, QStringLiteral("Populous: The Beginning (Velkor)"));
        QCOMPARE(made.application, Folder + QStringLiteral("\\poptb.exe"));
        QCOMPARE(made.localPorts, QStringLiteral("7575"));
        // Inbound, allowing UDP on Public: the firewall now lets the game in.
        QCOMPARE(net::gameFirewall(onPublic(fake.rules), Folder).kind, Kind::Allowed);

        // Again on Private: the same rules widened, none added twice.
        fake.added.clear();
        fake.changed.clear();
        const win32::FirewallChanges again =
            win32::allowPrograms(fake, net::gameFirewallRequest(Folder, profile::Private));
        QCOMPARE(fake.added.size(), 0);
        QCOMPARE(again.widened, request.programs.size());
        QCOMPARE(fake.rules.last().profiles, profile::Public | profile::Private);

        FakeRules refused;
        refused.refuse = true;
        QVERIFY(!win32::allowPrograms(refused, request).problem.isEmpty());
    }

    void portLists() {
        for (const char* holds : {"", "*", "7575", "7000-8000", "80, 7575", "1-2,*", "7575-7575"})
            QVERIFY2(win32::portListHolds(holds, 7575), holds);
        for (const char* misses : {"7574", "7576-8000", "RPC", "7000-", "-7575x", "75750"})
            QVERIFY2(!win32::portListHolds(misses, 7575), misses);
    }
};

QTEST_GUILESS_MAIN(FirewallFactsTest)
#include "test_firewall_facts.moc"
