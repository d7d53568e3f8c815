#include "platform/windows/windows_system.h"

#include "launchers/store_installs.h"
#include "platform/windows/wide.h"

#include <QDir>
#include <QFile>

#include <cstdio>

#include <windows.h>

#include <shlobj.h>

namespace platform::windowsbackend {

namespace {

QString userName() {
    wchar_t name[257] = {}; // UNLEN + 1
    DWORD size = DWORD(std::size(name));
    return GetUserNameW(name, &size) ? fromWide(name) : QString();
}

} // namespace

WindowsSystem::~WindowsSystem() {
    if (instanceMutex_)
        CloseHandle(instanceMutex_);
}

bool WindowsSystem::claimSingleInstance() {
    if (instanceMutex_)
        return true;
    // "Local\" is this session's; the user's name keeps another user's Velkor (a fast user
    // switch away) from counting. Backslashes are not allowed in the rest of the name.
    QString user = userName();
    user.replace(QLatin1Char('\\'), QLatin1Char('_'));
    const QString name = QStringLiteral("Local\\Velkor.SingleInstance.") + user;
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, wide(name).c_str());
    // No mutex at all (a name taken by another kind of object, say) stops nothing.
    if (!mutex)
        return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    instanceMutex_ = mutex;
    return true;
}

void WindowsSystem::endProgram() {
    // At once, nothing saved: no window closes, no destructor runs.
    std::fflush(nullptr);
    ExitProcess(0);
}

QString WindowsSystem::programFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            const QString file = fromWide(buffer.data(), length);
            QString folder = file.left(file.lastIndexOf(QLatin1Char('\\')));
            // A program at a drive's root lives in "C:\", not "C:".
            if (folder.size() == 2 && folder.at(1) == QLatin1Char(':'))
                folder += QLatin1Char('\\');
            return folder;
        }
        buffer.resize(buffer.size() * 2);
    }
}

long WindowsSystem::specialFolderPath(int csidl, QString& path) {
    wchar_t folder[MAX_PATH] = {};
    const HRESULT result = SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder);
    if (result != S_OK)
        return long(result);
    path = fromWide(folder);
    return 0;
}

OsVersion WindowsSystem::osVersion() {
    using RtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto getVersion = ntdll ? reinterpret_cast<RtlGetVersion>(reinterpret_cast<void*>(
                                        GetProcAddress(ntdll, "RtlGetVersion")))
                                  : nullptr;
    if (!getVersion || getVersion(&info) != 0)
        return OsVersion{2, 10, 0, 19045}; // as the Linux backend answers for a silent prefix
    return OsVersion{int(info.dwPlatformId), int(info.dwMajorVersion), int(info.dwMinorVersion),
                     int(info.dwBuildNumber)};
}

QHash<QString, QString> WindowsSystem::environment() {
    QHash<QString, QString> variables;
    wchar_t* block = GetEnvironmentStringsW();
    if (!block)
        return variables;
    for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1) {
        const QString text = fromWide(entry);
        // "=C:=C:\Games" and the like are the drives' current folders, not variables.
        const qsizetype equals = text.indexOf(QLatin1Char('='), 1);
        if (text.startsWith(QLatin1Char('=')) || equals < 0)
            continue;
        variables.insert(text.left(equals).toUpper(), text.mid(equals + 1));
    }
    FreeEnvironmentStringsW(block);
    return variables;
}

QString WindowsSystem::installedGameFolder() {
    const auto read = [this](const QString& path, qint64 limit) -> std::optional<QByteArray> {
        const auto file = files_.openRegularFile(path, QIODevice::ReadOnly);
        if (!file || file->size() > limit)
            return std::nullopt;
        QByteArray bytes = file->read(limit + 1);
        return bytes.size() <= limit ? std::optional(bytes) : std::nullopt;
    };
    const auto asIs = [](const QString& path) { return path; };
    launchers::GameFolderSearch search;
    for (const QString& folder : launchers::registryRecordedFolders(registry_, asIs, read))
        if (search.holdsGamePrograms(folder))
            return QDir::toNativeSeparators(QDir::cleanPath(folder));
    return {};
}

} // namespace platform::windowsbackend
