#include "core/router/firewall_facts.h"

#include "core/game/game.h"

namespace net {

namespace {

using Kind = win32::FirewallVerdict::Kind;

QString network(int profile) {
    switch (profile) {
    case platform::fwprofile::Domain:
        return QStringLiteral("this domain network");
    case platform::fwprofile::Private:
        return QStringLiteral("this Private network");
    case platform::fwprofile::Public:
        return QStringLiteral("this Public network");
    }
    return QStringLiteral("this network");
}

QString programName(const QString& path) {
    return path.section(QLatin1Char('\\'), -1);
}

} // namespace

win32::FirewallVerdict gameFirewall(const platform::FirewallState& state,
                                    const QString& gameFolder) {
    return win32::inboundUdp(state, game::ProgramPaths(gameFolder), GamePort);
}

platform::FirewallRequest gameFirewallRequest(const QString& gameFolder, int profiles) {
    return {game::ProgramPaths(gameFolder), GamePort, profiles & platform::fwprofile::All,
            FirewallRuleName};
}

bool firewallMendable(const win32::FirewallVerdict& verdict) {
    return verdict.kind == Kind::Blocked || verdict.kind == Kind::NotAllowed;
}

QString firewallLine(const win32::FirewallVerdict& verdict, const QString& problem) {
    const QString where = network(verdict.profile);
    switch (verdict.kind) {
    case Kind::Off:
        return QStringLiteral("Off on %1").arg(where);
    case Kind::Allowed:
        return QStringLiteral("Lets the game in on %1").arg(where);
    case Kind::NotAllowed:
        return QStringLiteral("No rule for the game on %1 yet: Windows asks when it first hosts")
            .arg(where);
    case Kind::Blocked:
        return QStringLiteral("Blocks %1 on %2 (rule \"%3\")")
            .arg(programName(verdict.program), where, routerText(verdict.rule, 40));
    case Kind::BlockAll:
        return QStringLiteral("Blocks all incoming connections on %1").arg(where);
    case Kind::Unknown:
        break;
    }
    return problem.isEmpty() ? QStringLiteral("Windows would not say")
                             : QStringLiteral("Windows would not say: %1").arg(routerText(problem));
}

HostingWarning firewallWarning(const win32::FirewallVerdict& verdict) {
    HostingWarning warning;
    if (verdict.kind != Kind::Blocked && verdict.kind != Kind::BlockAll)
        return warning;
    warning.cause = QStringLiteral("firewall");
    const QString why = verdict.kind == Kind::Blocked
                            ? QStringLiteral("its rule \"%1\" blocks %2")
                                  .arg(routerText(verdict.rule, 40), programName(verdict.program))
                            : QStringLiteral("it blocks all incoming connections");
    warning.text = QStringLiteral("Windows Defender Firewall keeps friends from joining you on "
                                  "%1: %2. Options, Router... tells more.")
                       .arg(network(verdict.profile), why);
    return warning;
}

} // namespace net
