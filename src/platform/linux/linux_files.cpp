#include "platform/linux/linux_files.h"

#include <QDir>

namespace platform::linuxbackend {

LinuxFiles::LinuxFiles(const WinePrefix&) {}
QStringList LinuxFiles::drives() { return {QStringLiteral("z:")}; }
QString LinuxFiles::driveLabel(const QString&) { return {}; }
QString LinuxFiles::currentDirectory() { return toWindows(QDir::currentPath()); }
QString LinuxFiles::currentDirectoryOf(const QString&) { return currentDirectory(); }
bool LinuxFiles::changeDrive(const QString&) { return false; }
bool LinuxFiles::changeDirectory(const QString&) { return false; }
QString LinuxFiles::toNative(const QString& p) { QString s = p.mid(2); s.replace(QLatin1Char('\\'), QLatin1Char('/')); return s; }
QString LinuxFiles::toWindows(const QString& p) { QString s = p; s.replace(QLatin1Char('/'), QLatin1Char('\\')); return QStringLiteral("Z:") + s; }
std::optional<QStringList> LinuxFiles::subfolders(const QString&) { return std::nullopt; }

} // namespace platform::linuxbackend
