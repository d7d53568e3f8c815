#include "platform/linux/wine_server.h"

#include "platform/linux/regular_file.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::linuxbackend {

namespace {

// A running server keeps an fcntl write lock on the first byte of its lock file.
bool locked(const QString& file) {
    const RegularFile opened(file);
    if (!opened.isOpen())
        return false;
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    return ::fcntl(opened.handle(), F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

} // namespace

bool wineServerRunning(const launchers::WinePrefix& prefix) {
    struct stat st;
    if (::stat(QFile::encodeName(prefix.root).constData(), &st) != 0)
        return false;
    const QString server = QStringLiteral("server-%1-%2")
                               .arg(static_cast<qulonglong>(st.st_dev), 0, 16)
                               .arg(static_cast<qulonglong>(st.st_ino), 0, 16);
    // Upstream Wine keeps the server folder in /tmp/.wine-<uid>.
    QStringList candidates{QStringLiteral("/tmp/.wine-%1/").arg(::getuid()) + server +
                           QStringLiteral("/lock")};
    // Debian's build keeps it in a folder of its own whose name the prefix records.
    if (const auto record = readRegularFile(prefix.path(QStringLiteral("wineserver")), 4096)) {
        const QString named = QFile::decodeName(*record).section(QLatin1Char('\n'), 0, 0);
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
