#pragma once
// What Windows Defender Firewall's verdict on the game's port means for a player who hosts: the
// Router dialog's line and the warning before the game.

#include "core/router/RouterFacts.h"
#include "core/win32/firewall_rules.h"

namespace net {

// The firewall's verdict on the game's programs in `gameFolder` receiving the game's port.
win32::FirewallVerdict gameFirewall(const platform::FirewallState& state,
                                    const QString& gameFolder);

// What the helper is asked for: the game's programs in `gameFolder` let in on `profiles`, under
// the rule name the player recognises as Velkor's.
platform::FirewallRequest gameFirewallRequest(const QString& gameFolder, int profiles);
inline const QString FirewallRuleName = QStringLiteral("Populous: The Beginning (Velkor)");

// Whether the verdict is one the helper can mend: a block rule, or no rule yet.
bool firewallMendable(const win32::FirewallVerdict& verdict);

// The Router dialog's line: "Blocks the game on this Public network (rule "popTB.exe")".
// `problem`: why the firewall could not be read, when it could not.
QString firewallLine(const win32::FirewallVerdict& verdict, const QString& problem);

// The warning before the game, cause "firewall", when a rule or the profile keeps friends out;
// no cause otherwise.
HostingWarning firewallWarning(const win32::FirewallVerdict& verdict);

} // namespace net
