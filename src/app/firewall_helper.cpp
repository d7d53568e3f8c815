// velkor-firewall.exe: run elevated by Velkor at the player's request, it lets the game's
// programs receive the game's port through Windows Defender Firewall, and ends. Velkor's own
// window never runs with administrator rights.
//
//   velkor-firewall.exe allow PORT PROFILES RULE-NAME PROGRAM...
//
// Exit codes: 0 done, 2 a bad command line, 3 the firewall's rules would not open, 4 a change
// failed (the others were made).

#include "core/win32/firewall_rules.h"
#include "platform/windows/windows_firewall.h"

#include <windows.h>

#include <shellapi.h>

namespace {

std::optional<platform::FirewallRequest> requestOf(const QStringList& arguments) {
    if (arguments.size() < 5 || arguments.at(0) != QLatin1String("allow"))
        return std::nullopt;
    bool portOk = false, profilesOk = false;
    platform::FirewallRequest request;
    request.port = arguments.at(1).toUShort(&portOk);
    request.profiles = arguments.at(2).toInt(&profilesOk);
    request.ruleName = arguments.at(3);
    request.programs = arguments.mid(4);
    const bool valid = portOk && request.port != 0 && profilesOk &&
                       (request.profiles & platform::fwprofile::All) == request.profiles &&
                       request.profiles != 0 && !request.ruleName.isEmpty();
    return valid ? std::optional(request) : std::nullopt;
}

} // namespace

int main() {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    QStringList arguments;
    for (int i = 1; argv && i < count; ++i)
        arguments << QString::fromWCharArray(argv[i]);
    LocalFree(argv);
    const std::optional<platform::FirewallRequest> request = requestOf(arguments);
    if (!request)
        return 2;
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 3;
    int code = 3;
    {
        platform::windowsbackend::WindowsFirewallRules rules;
        if (rules.opened())
            code = win32::allowPrograms(rules, *request).problem.isEmpty() ? 0 : 4;
    }
    CoUninitialize();
    return code;
}
