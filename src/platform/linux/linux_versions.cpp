#include "platform/linux/linux_versions.h"

#include "core/win32/pe_version.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/regular_file.h"

#include <QFile>

namespace platform::linuxbackend {

using win32::fixedFileInfoFromPe;

namespace {
// Larger files are not taken for programs; they are not mapped either.
constexpr qint64 MaxImageSize = qint64(1) << 30;
} // namespace

LinuxVersionInfo::LinuxVersionInfo(LinuxFiles& files) : files_(files) {}

std::optional<QByteArray> LinuxVersionInfo::fixedFileInfo(const QString& windowsPath) {
    const QString native = files_.toNative(windowsPath);
    if (native.isEmpty())
        return std::nullopt;
    const RegularFile opened(native);
    QFile file;
    if (!opened.isOpen() || opened.size() <= 0 || opened.size() > MaxImageSize ||
        !file.open(opened.handle(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return std::nullopt;
    // Mapped, so that only the pages the headers and the resource point at are read.
    const uchar* mapped = file.map(0, file.size());
    if (!mapped)
        return fixedFileInfoFromPe(file.readAll());
    auto record =
        fixedFileInfoFromPe(QByteArrayView(reinterpret_cast<const char*>(mapped), file.size()));
    file.unmap(const_cast<uchar*>(mapped));
    return record;
}

} // namespace platform::linuxbackend
