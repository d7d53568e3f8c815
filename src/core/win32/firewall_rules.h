#pragma once
// Whether Windows Defender Firewall lets programs receive a UDP port from the internet, decided
// over its rules as Windows decides: on a profile whose firewall is off, everything comes in;
// "block all inbound" shuts everything out; else a block rule wins over an allow rule, and what
// no rule names is kept out unless the profile lets it in by default.

#include "platform/firewall.h"

#include <QtGlobal>

namespace win32 {

struct FirewallVerdict {
    // In rising order of harm: of several verdicts, the greatest keeps friends out.
    enum class Kind {
        Unknown,    // the firewall could not be read
        Off,        // off on the profile in use
        Allowed,    // an allow rule lets it in (or the profile's default does)
        NotAllowed, // no rule names it: Windows asks when the program first listens
        Blocked,    // a block rule keeps it out: `rule`
        BlockAll,   // the profile blocks all inbound traffic
    };
    Kind kind = Kind::Unknown;
    QString rule;    // Blocked: the winning block rule's name; Allowed: the allowing rule's
    QString program; // Blocked: the program, as the rule writes it
    int profile = 0; // the profile in use it was decided for
    bool operator==(const FirewallVerdict&) const = default;
};

// True when `ports` (a rule's LocalPorts: numbers, ranges "a-b", commas, "*") holds `port`.
bool portListHolds(const QString& ports, quint16 port);

// The verdict for `programs` (full paths) receiving UDP `port`, over every profile in use: the
// worst one, where a block outweighs "not allowed". A program counts as allowed when any of
// `programs` is (the game runs one of them), blocked when any of them is.
FirewallVerdict inboundUdp(const platform::FirewallState& state, const QStringList& programs,
                           quint16 port);

// The changes that let `request`'s programs receive UDP: its allow rules added (or an earlier
// one of its name for that program enabled on more profiles), and the enabled inbound block
// rules for those programs that keep UDP out on those profiles disabled, never deleted.
// Nothing else is touched. `problem` says what failed, the rest having been tried.
struct FirewallChanges {
    int added = 0, widened = 0, disabled = 0;
    QString problem;
};
FirewallChanges allowPrograms(platform::FirewallRules& rules,
                              const platform::FirewallRequest& request);

} // namespace win32
