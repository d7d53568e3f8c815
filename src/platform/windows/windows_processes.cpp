#include "platform/windows/windows_processes.h"

#include "core/win32/command_line.h"
#include "platform/windows/wide.h"

#include <windows.h>

#include <tlhelp32.h>

namespace platform::windowsbackend {

bool WindowsProcesses::start(const QString& application, const QString& commandLine,
                             const QString& workingDirectory) {
    if (application.isEmpty())
        return false;
    const std::wstring program = wide(application);
    // The application's path is quoted at the head of the line, so that the started program
    // splits off exactly that path and sees the same arguments as under the Linux backend; the
    // rest goes as given. (CreateProcessW may write into the line: it gets its own copy.)
    const auto rest = win32::cmdline::textAfterApplication(commandLine, application);
    std::wstring line =
        wide(rest ? QLatin1Char('"') + application + QLatin1Char('"') + *rest : commandLine);
    const std::wstring folder = wide(workingDirectory);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool WindowsProcesses::running(const QStringList& programNames) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
         more = Process32NextW(snapshot, &entry))
        found =
            programNames.contains(QString::fromWCharArray(entry.szExeFile), Qt::CaseInsensitive);
    CloseHandle(snapshot);
    return found;
}

} // namespace platform::windowsbackend
