#include "platform/linux/linux_registry.h"

#include "platform/linux/regular_file.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

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

QString LinuxRegistry::fileName(HiveFile file) const {
    static const char* const names[] = {"system.reg", "user.reg", "userdef.reg"};
    return prefix_.path(QLatin1String(names[file]));
}

QByteArray LinuxRegistry::stamp(HiveFile file) {
    struct stat st;
    if (::stat(QFile::encodeName(fileName(file)).constData(), &st) != 0)
        return {};
    return QByteArray::number(qint64(st.st_dev)) + ' ' + QByteArray::number(qint64(st.st_ino)) +
           ' ' + QByteArray::number(qint64(st.st_size)) + ' ' +
           QByteArray::number(qint64(st.st_mtim.tv_sec)) + ' ' +
           QByteArray::number(qint64(st.st_mtim.tv_nsec));
}

std::optional<QByteArray> LinuxRegistry::text(HiveFile file) {
    return readRegularFile(fileName(file), wine::MaxHiveSize);
}

bool LinuxRegistry::replace(HiveFile file, const QByteArray& text) {
    QSaveFile output(fileName(file));
    return output.open(QIODevice::WriteOnly) && output.write(text) == text.size() &&
           output.commit();
}

bool LinuxRegistry::busy() {
    struct stat st;
    if (::stat(QFile::encodeName(prefix_.root).constData(), &st) != 0)
        return false;
    const QString server = QStringLiteral("server-%1-%2")
                               .arg(static_cast<qulonglong>(st.st_dev), 0, 16)
                               .arg(static_cast<qulonglong>(st.st_ino), 0, 16);
    // Upstream Wine keeps the server folder in /tmp/.wine-<uid>.
    QStringList candidates{QStringLiteral("/tmp/.wine-%1/").arg(::getuid()) + server +
                           QStringLiteral("/lock")};
    // Debian's build keeps it in a folder of its own whose name the prefix records.
    if (const auto record = readRegularFile(prefix_.path(QStringLiteral("wineserver")), 4096)) {
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
