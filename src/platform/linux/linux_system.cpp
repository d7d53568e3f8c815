#include "platform/linux/linux_system.h"

#include "platform/linux/linux_files.h"
#include "platform/linux/linux_registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QtEndian>
#include <cstdio>

#include <unistd.h>

namespace platform::linuxbackend {

namespace {

constexpr int csidlAppData = 26;
constexpr long invalidArgument = static_cast<long>(0x80070057); // E_INVALIDARG
constexpr long fileNotFound = static_cast<long>(0x80070002);    // HRESULT of ERROR_FILE_NOT_FOUND

// What GetVersionEx answers on Windows 10 22H2, for a prefix that tells nothing.
constexpr OsVersion windows10{2, 10, 0, 19045};

QString text(const RegEntry& entry) {
    const qsizetype nul = entry.data.indexOf('\0');
    return QString::fromLocal8Bit(nul < 0 ? entry.data : entry.data.left(nul)).trimmed();
}

} // namespace

LinuxSystem::LinuxSystem(const WinePrefix& prefix, LinuxFiles& files, LinuxRegistry& registry)
    : prefix_(prefix), files_(files), registry_(registry) {}

LinuxSystem::~LinuxSystem() = default;

QString LinuxSystem::lockFilePath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/velkor-%1.lock").arg(::getuid());
}

bool LinuxSystem::claimSingleInstance() {
    if (instanceLock_)
        return true;
    auto lock = std::make_unique<QLockFile>(lockFilePath());
    // Only a dead owner makes a lock stale, never its age: the launcher may run for days.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    instanceLock_ = std::move(lock);
    return true;
}

void LinuxSystem::endProgram() {
    // At once, nothing saved: no window closes, no destructor runs. The lock file goes so that
    // the next start need not decide whether it is stale.
    if (instanceLock_)
        instanceLock_->unlock();
    std::fflush(nullptr);
    ::_exit(0);
}

QString LinuxSystem::programFolder() {
    const QString folder =
        QCoreApplication::instance()
            ? QCoreApplication::applicationDirPath()
            : QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).path();
    return files_.toWindows(folder);
}

long LinuxSystem::specialFolderPath(int csidl, QString& path) {
    if (csidl != csidlAppData)
        return invalidArgument;
    // The XDG config folder stands for the application-data folder; a relative
    // $XDG_CONFIG_HOME is ignored, as the XDG rules say.
    QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        folder = QDir::homePath() + QStringLiteral("/.config");
    const QString windows = files_.toWindows(folder);
    if (windows.isEmpty())
        return fileNotFound;
    path = windows;
    return 0;
}

OsVersion LinuxSystem::osVersion() {
    // Wine keeps its Windows version in the native key; the 32-bit view of it is empty.
    const auto values = registry_.values(
        RootKey::LocalMachine, QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion"),
        LinuxRegistry::View::Native);
    if (!values)
        return windows10;
    std::optional<int> major, minor, dwordMajor, dwordMinor, build;
    for (const RegEntry& entry : *values) {
        const auto named = [&](const char* name) {
            return entry.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
        };
        const bool dword = entry.type == regtype::Dword && entry.data.size() == 4;
        const bool string = entry.type == regtype::Sz;
        if (dword && named("CurrentMajorVersionNumber")) {
            dwordMajor = qFromLittleEndian<qint32>(entry.data.constData());
        } else if (dword && named("CurrentMinorVersionNumber")) {
            dwordMinor = qFromLittleEndian<qint32>(entry.data.constData());
        } else if (string && named("CurrentVersion")) {
            bool okMajor = false, okMinor = false;
            const QString version = text(entry);
            const int a = version.section(QLatin1Char('.'), 0, 0).toInt(&okMajor);
            const int b = version.section(QLatin1Char('.'), 1, 1).toInt(&okMinor);
            if (okMajor && okMinor)
                major = a, minor = b;
        } else if (string && named("CurrentBuildNumber")) {
            bool ok = false;
            if (const int number = text(entry).toInt(&ok); ok)
                build = number;
        }
    }
    // Windows 10 and later keep "CurrentVersion" at 6.3 for old programs' sake and tell the
    // real version in the two numbers.
    if (dwordMajor && dwordMinor)
        major = dwordMajor, minor = dwordMinor;
    if (!major)
        return windows10;
    return OsVersion{2, *major, *minor, build.value_or(0)};
}

} // namespace platform::linuxbackend
