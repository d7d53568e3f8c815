#include "platform/windows/windows_versions.h"

#include "platform/windows/wide.h"

#include <windows.h>

namespace platform::windowsbackend {

std::optional<QByteArray> WindowsVersionInfo::fixedFileInfo(const QString& windowsPath) {
    const std::wstring file = wide(windowsPath);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0)
        return std::nullopt;
    QByteArray block(qsizetype(size), '\0');
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data()))
        return std::nullopt;
    void* record = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.constData(), L"\\", &record, &length) || !record ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    return QByteArray(static_cast<const char*>(record), sizeof(VS_FIXEDFILEINFO));
}

} // namespace platform::windowsbackend
