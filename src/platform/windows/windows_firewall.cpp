#include "platform/windows/windows_firewall.h"

#include "core/win32/command_line.h"

#include "platform/windows/wide.h"

#include <QCoreApplication>
#include <QDir>

#include <windows.h>

#include <netfw.h>
#include <oleauto.h>
#include <shellapi.h>

namespace platform::windowsbackend {

namespace {

// Releases a COM object when it goes out of scope.
template <typename T> struct Com {
    T* p = nullptr;
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (p)
            p->Release();
    }
    T* operator->() const { return p; }
};

struct Bstr {
    BSTR s = nullptr;
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(s); }
    QString text() const { return s ? fromWide(s, SysStringLen(s)) : QString(); }
};

// %SystemRoot% and the like, as Windows expands them before it compares paths.
QString expanded(const QString& path) {
    if (!path.contains(QLatin1Char('%')))
        return path;
    const std::wstring in = wide(path);
    wchar_t out[MAX_PATH * 2];
    const DWORD length = ExpandEnvironmentStringsW(in.c_str(), out, DWORD(std::size(out)));
    return length > 0 && length <= std::size(out) ? fromWide(out) : path;
}

QString problemText(const char* what, HRESULT result) {
    return QStringLiteral("%1 failed (0x%2)")
        .arg(QLatin1String(what))
        .arg(quint32(result), 8, 16, QLatin1Char('0'));
}

FirewallRule ruleOf(INetFwRule* rule) {
    FirewallRule out;
    Bstr name, application, ports, remote;
    LONG protocol = fwprotocol::Any, profiles = NET_FW_PROFILE2_ALL;
    NET_FW_RULE_DIRECTION direction = NET_FW_RULE_DIR_IN;
    NET_FW_ACTION action = NET_FW_ACTION_ALLOW;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    rule->get_Name(&name.s);
    rule->get_ApplicationName(&application.s);
    rule->get_Protocol(&protocol);
    rule->get_LocalPorts(&ports.s);
    rule->get_RemoteAddresses(&remote.s);
    rule->get_Direction(&direction);
    rule->get_Action(&action);
    rule->get_Enabled(&enabled);
    rule->get_Profiles(&profiles);
    out.name = name.text();
    out.application = expanded(application.text());
    out.protocol = int(protocol);
    out.localPorts = ports.text();
    out.remoteAddresses = remote.text();
    out.inbound = direction == NET_FW_RULE_DIR_IN;
    out.allow = action == NET_FW_ACTION_ALLOW;
    out.enabled = enabled != VARIANT_FALSE;
    out.profiles = int(profiles);
    return out;
}

// Every rule object of the collection, each holding a reference; the caller releases them.
HRESULT enumerate(INetFwRules* rules, QList<INetFwRule*>& out) {
    Com<IUnknown> unknown;
    Com<IEnumVARIANT> items;
    HRESULT result = rules->get__NewEnum(&unknown.p);
    if (SUCCEEDED(result))
        result =
            unknown->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&items.p));
    if (FAILED(result))
        return result;
    VARIANT item;
    VariantInit(&item);
    while (items->Next(1, &item, nullptr) == S_OK) {
        INetFwRule* rule = nullptr;
        if (item.vt == VT_DISPATCH && item.pdispVal &&
            SUCCEEDED(item.pdispVal->QueryInterface(__uuidof(INetFwRule),
                                                    reinterpret_cast<void**>(&rule))))
            out << rule;
        VariantClear(&item);
    }
    return S_OK;
}

void readRules(INetFwPolicy2* policy, FirewallState& state) {
    Com<INetFwRules> rules;
    QList<INetFwRule*> listed;
    HRESULT result = policy->get_Rules(&rules.p);
    if (SUCCEEDED(result))
        result = enumerate(rules.p, listed);
    if (FAILED(result)) {
        state.read = false;
        state.problem = problemText("Reading the rules", result);
    }
    for (INetFwRule* rule : listed) {
        state.rules << ruleOf(rule);
        rule->Release();
    }
}

// A text the rule object keeps as its own copy.
HRESULT put(INetFwRule* rule, HRESULT (STDMETHODCALLTYPE INetFwRule::*setter)(BSTR),
            const QString& text) {
    const std::wstring value = wide(text);
    BSTR copy = SysAllocString(value.c_str());
    const HRESULT result = (rule->*setter)(copy);
    SysFreeString(copy);
    return result;
}

void readPolicy(FirewallState& state) {
    Com<INetFwPolicy2> policy;
    HRESULT result = CoCreateInstance(__uuidof(NetFwPolicy2), nullptr, CLSCTX_INPROC_SERVER,
                                      __uuidof(INetFwPolicy2), reinterpret_cast<void**>(&policy.p));
    if (FAILED(result)) {
        state.problem = problemText("Opening it", result);
        return;
    }
    LONG current = 0;
    result = policy->get_CurrentProfileTypes(&current);
    if (FAILED(result)) {
        state.problem = problemText("Asking for the network in use", result);
        return;
    }
    state.read = true;
    state.currentProfiles = int(current);
    for (const NET_FW_PROFILE_TYPE2 profile :
         {NET_FW_PROFILE2_DOMAIN, NET_FW_PROFILE2_PRIVATE, NET_FW_PROFILE2_PUBLIC}) {
        VARIANT_BOOL on = VARIANT_TRUE, blockAll = VARIANT_FALSE;
        NET_FW_ACTION fallback = NET_FW_ACTION_BLOCK;
        // What a profile will not tell is taken as Windows' default: on, rules apply.
        policy->get_FirewallEnabled(profile, &on);
        policy->get_BlockAllInboundTraffic(profile, &blockAll);
        policy->get_DefaultInboundAction(profile, &fallback);
        state.enabledProfiles |= on != VARIANT_FALSE ? int(profile) : 0;
        state.blockAllProfiles |= blockAll != VARIANT_FALSE ? int(profile) : 0;
        state.defaultAllowProfiles |= fallback == NET_FW_ACTION_ALLOW ? int(profile) : 0;
    }
    readRules(policy.p, state);
}

} // namespace

QString helperArguments(const FirewallRequest& request) {
    QStringList parts{QStringLiteral("allow"), QString::number(request.port),
                      QString::number(request.profiles), request.ruleName};
    parts += request.programs;
    for (QString& part : parts)
        part = win32::cmdline::quoteArgument(part);
    return parts.join(QLatin1Char(' '));
}

Firewall::Change WindowsFirewall::allow(const FirewallRequest& request) {
    Change change;
    const std::wstring helper = wide(QDir::toNativeSeparators(
        QCoreApplication::applicationDirPath() + QStringLiteral("/velkor-firewall.exe")));
    const std::wstring arguments = wide(helperArguments(request));
    SHELLEXECUTEINFOW run{};
    run.cbSize = sizeof run;
    run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    run.lpVerb = L"runas"; // the system's prompt for administrator rights
    run.lpFile = helper.c_str();
    run.lpParameters = arguments.c_str();
    run.nShow = SW_HIDE;
    if (!ShellExecuteExW(&run)) {
        const DWORD error = GetLastError();
        change.outcome = error == ERROR_CANCELLED ? Outcome::Refused : Outcome::Failed;
        change.problem = problemText("Starting velkor-firewall.exe", HRESULT_FROM_WIN32(error));
        return change;
    }
    DWORD code = 1;
    const bool ended = WaitForSingleObject(run.hProcess, 60000) == WAIT_OBJECT_0 &&
                       GetExitCodeProcess(run.hProcess, &code);
    CloseHandle(run.hProcess);
    change.outcome = ended && code == 0 ? Outcome::Done : Outcome::Failed;
    if (!ended)
        change.problem = QStringLiteral("velkor-firewall.exe did not end");
    else if (code != 0)
        change.problem = QStringLiteral("velkor-firewall.exe ended with %1").arg(code);
    return change;
}

WindowsFirewallRules::WindowsFirewallRules() {
    Com<INetFwPolicy2> policy;
    HRESULT result = CoCreateInstance(__uuidof(NetFwPolicy2), nullptr, CLSCTX_INPROC_SERVER,
                                      __uuidof(INetFwPolicy2), reinterpret_cast<void**>(&policy.p));
    if (SUCCEEDED(result))
        result = policy->get_Rules(&rules_);
    if (FAILED(result))
        problem = problemText("Opening the firewall's rules", result);
}

WindowsFirewallRules::~WindowsFirewallRules() {
    for (INetFwRule* rule : listed_)
        rule->Release();
    if (rules_)
        rules_->Release();
}

QList<FirewallRule> WindowsFirewallRules::list() {
    for (INetFwRule* rule : listed_)
        rule->Release();
    listed_.clear();
    QList<FirewallRule> out;
    if (!rules_ || FAILED(enumerate(rules_, listed_)))
        return out;
    for (INetFwRule* rule : listed_)
        out << ruleOf(rule);
    return out;
}

bool WindowsFirewallRules::add(const FirewallRule& rule) {
    Com<INetFwRule> made;
    if (!rules_ ||
        FAILED(CoCreateInstance(__uuidof(NetFwRule), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(INetFwRule), reinterpret_cast<void**>(&made.p))))
        return false;
    // The protocol before the ports: Windows takes ports only for TCP and UDP rules.
    return SUCCEEDED(put(made.p, &INetFwRule::put_Name, rule.name)) &&
           SUCCEEDED(put(made.p, &INetFwRule::put_ApplicationName, rule.application)) &&
           SUCCEEDED(made->put_Protocol(rule.protocol)) &&
           SUCCEEDED(put(made.p, &INetFwRule::put_LocalPorts, rule.localPorts)) &&
           SUCCEEDED(
               made->put_Direction(rule.inbound ? NET_FW_RULE_DIR_IN : NET_FW_RULE_DIR_OUT)) &&
           SUCCEEDED(made->put_Action(rule.allow ? NET_FW_ACTION_ALLOW : NET_FW_ACTION_BLOCK)) &&
           SUCCEEDED(made->put_Profiles(rule.profiles)) &&
           SUCCEEDED(made->put_Enabled(rule.enabled ? VARIANT_TRUE : VARIANT_FALSE)) &&
           SUCCEEDED(rules_->Add(made.p));
}

bool WindowsFirewallRules::change(int index, bool enabled, int profiles) {
    if (index < 0 || index >= listed_.size())
        return false;
    INetFwRule* rule = listed_.at(index);
    return SUCCEEDED(rule->put_Profiles(profiles)) &&
           SUCCEEDED(rule->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE));
}

FirewallState WindowsFirewall::read() {
    FirewallState state;
    // Qt's window thread has COM already; another thread gets it for the call.
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    readPolicy(state);
    if (SUCCEEDED(init))
        CoUninitialize();
    return state;
}

} // namespace platform::windowsbackend
