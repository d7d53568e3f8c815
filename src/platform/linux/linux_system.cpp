#include "platform/linux/linux_system.h"

#include "core/wine/windows_facts.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_registry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::linuxbackend {

namespace {

constexpr int csidlAppData = 26;
constexpr long invalidArgument = static_cast<long>(0x80070057); // E_INVALIDARG
constexpr long fileNotFound = static_cast<long>(0x80070002);    // HRESULT of ERROR_FILE_NOT_FOUND

// The single-instance lock is a flock on this name, which the system lets go of when the holder
// ends however it ends; what the file holds does not matter.
constexpr char LockName[] = "velkor.lock";

bool isOwn(int fd, mode_t type) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && (info.st_mode & S_IFMT) == type && info.st_uid == ::getuid();
}

// Takes an open folder when it is this user's and closed to everyone else, `mend`ing its mode if
// need be; closes it otherwise.
int privateFolder(int fd, bool mend) {
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
        ((info.st_mode & 077) == 0 || (mend && ::fchmod(fd, 0700) == 0)))
        return fd;
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// The folder for the lock, opened: only this user may change what is in it, or another user
// could plant a lock that stops Velkor from starting. The session's runtime folder when it is
// such a folder, else "velkor" in the user's cache folder, made so. -1 when neither is.
int openLockFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/')) {
        const int fd =
            privateFolder(::open(runtime.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), false);
        if (fd >= 0)
            return fd;
    }
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!cache.startsWith(QLatin1Char('/')))
        cache = QDir::homePath() + QStringLiteral("/.cache");
    QDir().mkpath(cache);
    const QByteArray folder = QFile::encodeName(cache + QStringLiteral("/velkor"));
    ::mkdir(folder.constData(), 0700);
    // Never through a link: it could point at a folder of anyone's.
    return privateFolder(
        ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), true);
}

// Opens the lock in `folder`: a file (or a folder) of this user's, whatever it holds. Anything
// else of that name, a link, another user's file, a pipe, is no lock of ours and is replaced.
// -1 when no lock can be had.
int openLockFile(int folder) {
    // Closed on exec, so that a game Velkor started does not hold the lock after Velkor ends.
    constexpr int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    for (int attempt = 0; attempt < 3; ++attempt) {
        struct stat info {};
        if (::fstatat(folder, LockName, &info, AT_SYMLINK_NOFOLLOW) == 0) {
            const mode_t type = info.st_mode & S_IFMT;
            if (type == S_IFREG || type == S_IFDIR) {
                const int fd = ::openat(folder, LockName, flags);
                if (fd >= 0 && isOwn(fd, type))
                    return fd;
                if (fd >= 0)
                    ::close(fd);
            }
            if (::unlinkat(folder, LockName, type == S_IFDIR ? AT_REMOVEDIR : 0) != 0 &&
                errno != ENOENT)
                return -1;
        } else if (errno != ENOENT) {
            return -1;
        }
        const int fd = ::openat(folder, LockName, flags | O_CREAT | O_EXCL, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

LinuxSystem::LinuxSystem(const WinePrefix& prefix, LinuxFiles& files, LinuxRegistry& registry)
    : prefix_(prefix), files_(files), registry_(registry) {}

LinuxSystem::~LinuxSystem() {
    if (instanceLock_ >= 0)
        ::close(instanceLock_);
}

bool LinuxSystem::claimSingleInstance() {
    if (instanceLock_ >= 0)
        return true;
    // Only a live Velkor of this user may stop the start; a lock that cannot be had at all
    // stops nothing.
    const int folder = openLockFolder();
    if (folder < 0)
        return true;
    const int fd = openLockFile(folder);
    ::close(folder);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;
    }
    instanceLock_ = fd;
    return true;
}

void LinuxSystem::endProgram() {
    // At once, nothing saved: no window closes, no destructor runs. The lock goes with the
    // process.
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
    return wine::presentedVersion(registry_);
}

QHash<QString, QString> LinuxSystem::environment() {
    return wine::presentedEnvironment(QProcessEnvironment::systemEnvironment());
}

} // namespace platform::linuxbackend
