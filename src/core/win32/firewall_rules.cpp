#include "core/win32/firewall_rules.h"

#include "core/win32/full_path.h"

#include <algorithm>

namespace win32 {

namespace {

using platform::FirewallRule;
using platform::FirewallState;
using Kind = FirewallVerdict::Kind;

QString plainPath(QString path) {
    return foldSeparators(path.replace(QLatin1Char('/'), QLatin1Char('\\')).trimmed());
}

bool samePath(const QString& a, const QString& b) {
    return plainPath(a).compare(plainPath(b), Qt::CaseInsensitive) == 0;
}

bool anyOf(const QString& list) {
    const QString plain = list.trimmed();
    return plain.isEmpty() || plain == QLatin1String("*");
}

bool carriesUdp(const FirewallRule& rule) {
    return rule.protocol == platform::fwprotocol::Udp || rule.protocol == platform::fwprotocol::Any;
}

// The rule applies to `program` receiving UDP `port` from anywhere on `profile`. A rule kept to
// some remote addresses neither lets every friend in nor keeps every one out, so it is left out.
bool applies(const FirewallRule& rule, const QString& program, quint16 port, int profile) {
    return rule.enabled && rule.inbound && (rule.profiles & profile) && carriesUdp(rule) &&
           anyOf(rule.remoteAddresses) && portListHolds(rule.localPorts, port) &&
           (anyOf(rule.application) || samePath(rule.application, program));
}

FirewallVerdict onProfile(const FirewallState& state, const QStringList& programs, quint16 port,
                          int profile) {
    FirewallVerdict verdict;
    verdict.profile = profile;
    if (!(state.enabledProfiles & profile)) {
        verdict.kind = Kind::Off;
        return verdict;
    }
    if (state.blockAllProfiles & profile) {
        verdict.kind = Kind::BlockAll;
        return verdict;
    }
    verdict.kind = (state.defaultAllowProfiles & profile) ? Kind::Allowed : Kind::NotAllowed;
    for (const QString& program : programs) {
        for (const FirewallRule& rule : state.rules) {
            if (!applies(rule, program, port, profile))
                continue;
            if (!rule.allow) {
                verdict.kind = Kind::Blocked;
                verdict.rule = rule.name;
                // As the rule names it: what the player finds in Windows' own list.
                verdict.program = anyOf(rule.application) ? program : rule.application;
                return verdict;
            }
            if (verdict.kind == Kind::NotAllowed) {
                verdict.kind = Kind::Allowed;
                verdict.rule = rule.name;
            }
        }
    }
    return verdict;
}

} // namespace

bool portListHolds(const QString& ports, quint16 port) {
    if (anyOf(ports))
        return true;
    for (const QString& part : ports.split(QLatin1Char(','))) {
        const QString item = part.trimmed();
        if (item == QLatin1String("*"))
            return true;
        bool lowOk = false, highOk = false;
        const int dash = item.indexOf(QLatin1Char('-'));
        const uint low = (dash < 0 ? item : item.left(dash)).toUInt(&lowOk);
        const uint high = dash < 0 ? low : item.mid(dash + 1).toUInt(&highOk);
        if (lowOk && (dash < 0 || highOk) && low <= port && port <= high)
            return true;
    }
    return false;
}

FirewallVerdict inboundUdp(const FirewallState& state, const QStringList& programs, quint16 port) {
    FirewallVerdict worst;
    if (!state.read || !(state.currentProfiles & platform::fwprofile::All))
        return worst;
    for (const int profile :
         {platform::fwprofile::Domain, platform::fwprofile::Private, platform::fwprofile::Public}) {
        if (!(state.currentProfiles & profile))
            continue;
        const FirewallVerdict verdict = onProfile(state, programs, port, profile);
        if (worst.profile == 0 || verdict.kind > worst.kind)
            worst = verdict;
    }
    return worst;
}

FirewallChanges allowPrograms(platform::FirewallRules& rules,
                              const platform::FirewallRequest& request) {
    FirewallChanges done;
    const auto failed = [&](const QString& what) {
        if (done.problem.isEmpty())
            done.problem = what;
    };
    const QList<FirewallRule> existing = rules.list();
    for (qsizetype i = 0; i < existing.size(); ++i) {
        const FirewallRule& rule = existing.at(i);
        const bool ours =
            std::any_of(request.programs.begin(), request.programs.end(),
                        [&](const QString& p) { return samePath(rule.application, p); });
        if (ours && !rule.allow &&
            applies(rule, rule.application, request.port, request.profiles)) {
            if (rules.change(int(i), false, rule.profiles))
                ++done.disabled;
            else
                failed(QStringLiteral("disabling the rule \"%1\"").arg(rule.name));
        }
    }
    for (const QString& program : request.programs) {
        const auto earlier =
            std::find_if(existing.begin(), existing.end(), [&](const FirewallRule& rule) {
                return rule.name == request.ruleName && rule.inbound && rule.allow &&
                       rule.protocol == platform::fwprotocol::Udp &&
                       rule.localPorts == QString::number(request.port) &&
                       samePath(rule.application, program);
            });
        if (earlier != existing.end()) {
            const int profiles = earlier->profiles | request.profiles;
            if (earlier->enabled && profiles == earlier->profiles)
                continue;
            if (rules.change(int(earlier - existing.begin()), true, profiles))
                ++done.widened;
            else
                failed(QStringLiteral("enabling the rule \"%1\"").arg(request.ruleName));
            continue;
        }
        const FirewallRule rule{request.ruleName,
                                program,
                                platform::fwprotocol::Udp,
                                QString::number(request.port),
                                QStringLiteral("*"),
                                true,
                                true,
                                true,
                                request.profiles};
        if (rules.add(rule))
            ++done.added;
        else
            failed(QStringLiteral("adding a rule for %1").arg(program));
    }
    return done;
}

} // namespace win32
