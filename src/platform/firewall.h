#pragma once
// The system's own firewall (Windows Defender Firewall), read as it states itself: which
// network profiles are in use, how each is set, and its rules. Reading needs no rights; a change
// is made by an elevated helper that the system's own prompt lets run.

#include <QList>
#include <QString>
#include <QStringList>

namespace platform {

// Network profiles, as bits of a mask.
namespace fwprofile {
constexpr int Domain = 1;
constexpr int Private = 2;
constexpr int Public = 4;
constexpr int All = Domain | Private | Public;
} // namespace fwprofile

// IP protocol numbers as the firewall gives them; Any matches every protocol.
namespace fwprotocol {
constexpr int Tcp = 6;
constexpr int Udp = 17;
constexpr int Any = 256;
} // namespace fwprotocol

struct FirewallRule {
    QString name;        // as Windows shows it
    QString application; // full path, environment variables expanded; empty: any program
    int protocol = fwprotocol::Any;
    QString localPorts;      // "7575", "7000-8000,9000", "*" or empty: any
    QString remoteAddresses; // "*" or empty: any
    bool inbound = true;
    bool allow = true;
    bool enabled = true;
    int profiles = fwprofile::All;
};

struct FirewallState {
    bool read = false; // false: the system would not say; `problem` tells why
    QString problem;
    int currentProfiles = 0;      // the profiles of the networks in use
    int enabledProfiles = 0;      // profiles whose firewall is on
    int blockAllProfiles = 0;     // profiles that block all inbound traffic, whatever the rules
    int defaultAllowProfiles = 0; // profiles that let in what no rule names (rarely set)
    QList<FirewallRule> rules;
};

// What the elevated helper is asked to do: let `programs` receive UDP `port` on `profiles`,
// through allow rules named `ruleName`, and disable the enabled inbound block rules that keep
// them out.
struct FirewallRequest {
    QStringList programs;
    quint16 port = 0;
    int profiles = 0;
    QString ruleName;
};

// The rules of the firewall as the helper changes them; the firewall's objects behind it.
class FirewallRules {
public:
    virtual ~FirewallRules() = default;
    virtual QList<FirewallRule> list() = 0;
    virtual bool add(const FirewallRule& rule) = 0;
    // The rule at `index` of list(): enabled or not, on `profiles`.
    virtual bool change(int index, bool enabled, int profiles) = 0;
};

class Firewall {
public:
    enum class Outcome { Done, Refused, Failed };
    struct Change {
        Outcome outcome = Outcome::Failed;
        QString problem; // Failed: what went wrong
    };

    virtual ~Firewall() = default;
    virtual FirewallState read() = 0;
    // Asks for administrator rights with the system's own prompt and has the helper make the
    // change; returns when the helper has ended. Refused: the player said no at the prompt.
    virtual Change allow(const FirewallRequest& request) = 0;
};

} // namespace platform
