#include "platform/linux/wine_prefix.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::linuxbackend {

namespace {

// A running server keeps an fcntl write lock on the first byte of its lock file.
bool locked(const QString& file) {
    const int fd = ::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    const bool held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    ::close(fd);
    return held;
}

} // namespace

WinePrefix WinePrefix::fromEnvironment() {
    QString root = qEnvironmentVariable("WINEPREFIX");
    if (root.isEmpty())
        root = QDir::homePath() + QStringLiteral("/.wine");
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    return WinePrefix{root};
}

bool WinePrefix::serverRunning() const {
    struct stat st;
    if (::stat(QFile::encodeName(root).constData(), &st) != 0)
        return false;
    const QString server = QStringLiteral("server-%1-%2")
                               .arg(static_cast<qulonglong>(st.st_dev), 0, 16)
                               .arg(static_cast<qulonglong>(st.st_ino), 0, 16);
    // Upstream Wine keeps the server folder in /tmp/.wine-<uid>.
    QStringList candidates{QStringLiteral("/tmp/.wine-%1/").arg(::getuid()) + server +
                           QStringLiteral("/lock")};
    // Debian's build keeps it in a folder of its own whose name the prefix records.
    QFile record(path(QStringLiteral("wineserver")));
    if (record.open(QIODevice::ReadOnly)) {
        const QString named = QFile::decodeName(record.read(4096)).section(QLatin1Char('\n'), 0, 0);
        QStringList folders;
        if (QDir::isAbsolutePath(named)) {
            folders << named;
        } else if (!named.isEmpty()) {
            const QString tmp = qEnvironmentVariable("TMPDIR");
            if (!tmp.isEmpty())
                folders << tmp + QLatin1Char('/') + named;
            folders << QStringLiteral("/tmp/") + named;
        }
        for (const QString& folder : folders)
            candidates << folder + QLatin1Char('/') + server + QStringLiteral("/lock")
                       << folder + QStringLiteral("/lock");
    }
    for (const QString& candidate : candidates)
        if (locked(candidate))
            return true;
    return false;
}

} // namespace platform::linuxbackend
