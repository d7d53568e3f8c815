#include "platform/windows/windows_processes.h"

#include "platform/windows/wide.h"

#include <windows.h>

namespace platform::windowsbackend {

bool WindowsProcesses::start(const QString& application, const QString& commandLine,
                             const QString& workingDirectory) {
    if (application.isEmpty())
        return false;
    const std::wstring program = wide(application);
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::wstring line = wide(commandLine);
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

} // namespace platform::windowsbackend
