#pragma once
// Windows Defender Firewall read through its COM objects (INetFwPolicy2).

#include "platform/firewall.h"

struct INetFwRule;
struct INetFwRules;

namespace platform::windowsbackend {

class WindowsFirewall : public Firewall {
public:
    FirewallState read() override;
    // Runs velkor-firewall.exe, beside the program, elevated.
    Change allow(const FirewallRequest& request) override;
};

// The firewall's rules through INetFwRules, for the elevated helper. Needs COM on the thread.
class WindowsFirewallRules : public FirewallRules {
public:
    WindowsFirewallRules();
    ~WindowsFirewallRules() override;
    WindowsFirewallRules(const WindowsFirewallRules&) = delete;
    WindowsFirewallRules& operator=(const WindowsFirewallRules&) = delete;

    // Whether the firewall's objects opened; `problem` says why not.
    bool opened() const { return rules_ != nullptr; }
    QString problem;

    QList<FirewallRule> list() override;
    bool add(const FirewallRule& rule) override;
    bool change(int index, bool enabled, int profiles) override;

private:
    ::INetFwRules* rules_ = nullptr;
    QList<::INetFwRule*> listed_;
};

// The helper's command line and back: "allow PORT PROFILES RULE-NAME PROGRAM...".
QString helperArguments(const FirewallRequest& request);

} // namespace platform::windowsbackend
