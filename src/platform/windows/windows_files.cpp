#include "platform/windows/windows_files.h"

#include "platform/windows/wide.h"
#include "win32/full_path.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <optional>
#include <string>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace platform::windowsbackend {

namespace {

// Each drive's current folder lives in the hidden variable "=C:", as the C runtime and the
// command prompt keep it; the current drive's is the process's current directory.
QString driveVariable(QChar letter) {
    return QStringLiteral("=") + letter.toUpper() + QLatin1Char(':');
}

void rememberFolder(const QString& folder) {
    if (folder.size() >= 2 && folder.at(1) == QLatin1Char(':'))
        SetEnvironmentVariableW(wide(driveVariable(folder.at(0))).c_str(), wide(folder).c_str());
}

bool driveExists(QChar letter) {
    const int bit = letter.toUpper().unicode() - 'A';
    return bit >= 0 && bit < 26 && (GetLogicalDrives() & (DWORD(1) << bit)) != 0;
}

bool isFolder(const QString& path) {
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The file a link leads to, when it is a file on a disk; nullopt for a device, a folder, or a
// link to nothing.
std::optional<QString> linkedFile(const QString& link) {
    const HANDLE handle = CreateFileW(wide(link).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    std::wstring path(32768, L'\0');
    const DWORD length =
        GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
                !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ? GetFinalPathNameByHandleW(handle, path.data(), DWORD(path.size()), VOLUME_NAME_DOS)
            : 0;
    CloseHandle(handle);
    if (length == 0 || length >= path.size())
        return std::nullopt;
    QString target = fromWide(path.data(), length);
    if (target.startsWith(QStringLiteral("\\\\?\\")))
        target.remove(0, 4);
    return target;
}

// Grows the buffer until a call that answers with the length it needs is satisfied.
template <typename Call> QString sizedText(Call call) {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = call(buffer.data(), DWORD(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size())
            return fromWide(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

} // namespace

QStringList WindowsFiles::drives() {
    const QString list =
        sizedText([](wchar_t* b, DWORD n) { return GetLogicalDriveStringsW(n, b); });
    QStringList names;
    for (const QString& root : list.split(QChar(0), Qt::SkipEmptyParts))
        if (root.size() >= 2 && win32::isDriveLetter(root.at(0)) && root.at(1) == QLatin1Char(':'))
            names << root.left(1).toLower() + QLatin1Char(':');
    names.sort();
    return names;
}

QString WindowsFiles::driveLabel(const QString& drive) {
    if (drive.isEmpty() || !win32::isDriveLetter(drive.at(0)))
        return {};
    wchar_t label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(wide(win32::driveRoot(drive.at(0).toUpper())).c_str(), label,
                               MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0))
        return {};
    return fromWide(label);
}

QString WindowsFiles::currentDirectory() {
    return sizedText([](wchar_t* b, DWORD n) { return GetCurrentDirectoryW(n, b); });
}

QString WindowsFiles::currentDirectoryOf(const QString& drive) {
    if (drive.isEmpty() || !win32::isDriveLetter(drive.at(0)))
        return currentDirectory();
    const QChar letter = drive.at(0).toUpper();
    const QString current = currentDirectory();
    if (!current.isEmpty() && current.at(0).toUpper() == letter)
        return current;
    const std::wstring variable = wide(driveVariable(letter));
    const QString folder = sizedText(
        [&](wchar_t* b, DWORD n) { return GetEnvironmentVariableW(variable.c_str(), b, n); });
    return folder.isEmpty() ? win32::driveRoot(letter) : folder;
}

bool WindowsFiles::changeDrive(const QString& drive) {
    if (drive.isEmpty() || !win32::isDriveLetter(drive.at(0)) || !driveExists(drive.at(0)))
        return false;
    const QString leaving = currentDirectory();
    const QString folder = currentDirectoryOf(drive);
    if (!SetCurrentDirectoryW(wide(folder).c_str()))
        return false;
    rememberFolder(leaving);
    rememberFolder(folder);
    return true;
}

bool WindowsFiles::changeDirectory(const QString& path) {
    const QString full = fullPath(path);
    // Only a folder on a drive: a network path has no drive to keep it as its current folder.
    if (full.size() < 3 || full.at(1) != QLatin1Char(':') || !isFolder(full))
        return false;
    const QString current = currentDirectory();
    // The current drive's folder is the process's; another drive's is only remembered.
    if (!current.isEmpty() && current.at(0).toUpper() == full.at(0).toUpper() &&
        !SetCurrentDirectoryW(wide(full).c_str()))
        return false;
    rememberFolder(full);
    return true;
}

QString WindowsFiles::fullPath(const QString& windowsPath) {
    if (windowsPath.isEmpty())
        return {};
    const std::wstring path = wide(QDir::toNativeSeparators(windowsPath));
    return sizedText(
        [&](wchar_t* b, DWORD n) { return GetFullPathNameW(path.c_str(), n, b, nullptr); });
}

QString WindowsFiles::toNative(const QString& windowsPath) {
    return QDir::fromNativeSeparators(fullPath(windowsPath));
}

QString WindowsFiles::toWindows(const QString& nativePath) {
    return fullPath(nativePath);
}

std::optional<QStringList> WindowsFiles::subfolders(const QString& windowsPath) {
    QString pattern = fullPath(windowsPath);
    if (pattern.isEmpty())
        return std::nullopt;
    if (!pattern.endsWith(QLatin1Char('\\')))
        pattern += QLatin1Char('\\');
    pattern += QLatin1Char('*');
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(wide(pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return std::nullopt;
    QStringList names;
    do {
        // Hidden and system folders are left out, as a folder listing shows them by default
        // (and as Wine hides dot folders).
        const QString name = fromWide(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) &&
            name != QLatin1String(".") && name != QLatin1String(".."))
            names << name;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    sortFolderNames(names);
    return names;
}

std::unique_ptr<QFile> WindowsFiles::openRegularFile(const QString& windowsPath,
                                                     QIODevice::OpenMode mode) {
    const QString full = fullPath(windowsPath);
    if (full.isEmpty())
        return nullptr;
    const bool writing = mode.testFlag(QIODevice::WriteOnly);
    // A pipe or device opens at once or not at all (a pipe's client never waits for a server),
    // and is refused below; write-through lets a failed write be seen by the writer.
    const HANDLE handle =
        CreateFileW(wide(full).c_str(), GENERIC_READ | (writing ? GENERIC_WRITE : 0),
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    writing ? OPEN_ALWAYS : OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | (writing ? FILE_FLAG_WRITE_THROUGH : 0), nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(handle);
        return nullptr;
    }
    // Qt's file classes take a C runtime descriptor, which then owns the handle.
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle),
                                   (writing ? _O_RDWR : _O_RDONLY) | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd,
                    (writing ? QIODevice::ReadWrite : QIODevice::ReadOnly) | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return nullptr;
    }
    return file;
}

bool WindowsFiles::replaceFile(const QString& windowsPath, const QByteArray& bytes) {
    QString target = fullPath(windowsPath);
    if (target.isEmpty())
        return false;
    const DWORD attributes = GetFileAttributesW(wide(target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // A file made read-only stays as it is, though its folder would let it be replaced.
        if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
            return false;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            // A link: followed to a file on a disk only, which is then replaced, not the link.
            const auto linked = linkedFile(target);
            if (!linked || (GetFileAttributesW(wide(*linked).c_str()) & FILE_ATTRIBUTE_READONLY))
                return false;
            target = *linked;
        }
    } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    const qsizetype slash = target.lastIndexOf(QLatin1Char('\\'));
    const std::wstring aside = wide(target.left(slash + 1) + QLatin1Char('.') +
                                    target.mid(slash + 1) + QStringLiteral(".new"));
    const HANDLE handle = CreateFileW(aside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    bool whole = true;
    for (qsizetype at = 0; whole && at < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<qsizetype>(bytes.size() - at, 1 << 20));
        whole = WriteFile(handle, bytes.constData() + at, chunk, &written, nullptr) && written > 0;
        at += written;
    }
    whole = whole && FlushFileBuffers(handle);
    if (!CloseHandle(handle) || !whole ||
        !MoveFileExW(aside.c_str(), wide(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(aside.c_str());
        return false;
    }
    return true;
}

} // namespace platform::windowsbackend
