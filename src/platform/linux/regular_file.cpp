#include "platform/linux/regular_file.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::linuxbackend {

namespace {

// Writes all of `bytes`; false on the first failed write (a full disk, a size limit).
bool writeAll(int fd, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(fd, bytes.data(), size_t(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

} // namespace

std::optional<QString> writableFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (name.isEmpty())
        return std::nullopt;
    if (::lstat(name.constData(), &st) != 0)
        return errno == ENOENT ? std::optional(path) : std::nullopt;
    if (S_ISREG(st.st_mode))
        return path;
    if (!S_ISLNK(st.st_mode) || ::stat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid())
        return std::nullopt;
    char* resolved = ::realpath(name.constData(), nullptr);
    if (!resolved)
        return std::nullopt;
    const QString target = QFile::decodeName(resolved);
    ::free(resolved);
    return target;
}

bool replaceRegularFile(const QString& path, const QByteArray& bytes) {
    const auto target = writableFile(path);
    if (!target)
        return false;
    const QByteArray name = QFile::encodeName(*target);
    struct stat old;
    const bool existed = ::stat(name.constData(), &old) == 0;
    // A file made read-only stays as it is, though its folder would let it be replaced.
    if (existed) {
        const int probe =
            ::open(name.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (probe < 0)
            return false;
        ::close(probe);
    }
    const qsizetype slash = name.lastIndexOf('/');
    QByteArray aside = name.left(slash + 1) + '.' + name.mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkostemp(aside.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    mode_t mode = existed ? old.st_mode & 07777 : 0;
    if (!existed) {
        mode = ::umask(0);
        ::umask(mode);
        mode = 0666 & ~mode;
    }
    const bool whole = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !whole || ::rename(aside.constData(), name.constData()) != 0) {
        ::unlink(aside.constData());
        return false;
    }
    return true;
}

int openRegular(const QString& path, bool writing) {
    // What may be written is found without opening anything: opening a device may act.
    const auto file = writing ? writableFile(path) : std::optional(path);
    const QByteArray name = file ? QFile::encodeName(*file) : QByteArray();
    if (name.isEmpty())
        return -1;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer. O_NOFOLLOW:
    // the link a writer may follow is resolved already.
    const int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK |
                      (writing ? O_RDWR | O_CREAT | O_DSYNC | O_NOFOLLOW : O_RDONLY);
    const int fd = ::open(name.constData(), flags, 0666);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

RegularFile::RegularFile(const QString& path) : path_(path), fd_(openRegular(path)) {
    struct stat st;
    if (fd_ >= 0 && ::fstat(fd_, &st) == 0)
        size_ = static_cast<qint64>(st.st_size);
}

RegularFile::~RegularFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::optional<QByteArray> RegularFile::read(qint64 count) {
    if (fd_ < 0)
        return std::nullopt;
    QByteArray data;
    // The size is a hint only: the file may shrink or grow meanwhile.
    data.reserve(static_cast<qsizetype>(std::min(count, size_ + 1)));
    char buffer[65536];
    while (data.size() < count) {
        const auto want = static_cast<size_t>(std::min<qint64>(sizeof buffer, count - data.size()));
        const ssize_t got = ::read(fd_, buffer, want);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        data.append(buffer, static_cast<qsizetype>(got));
    }
    return data;
}

QString RegularFile::reopenPath() const {
    if (fd_ < 0)
        return {};
    static const bool procMounted = QFileInfo::exists(QStringLiteral("/proc/self/fd"));
    return procMounted ? QStringLiteral("/proc/self/fd/%1").arg(fd_) : path_;
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit) {
    RegularFile file(path);
    if (!file.isOpen() || file.size() > limit)
        return std::nullopt;
    auto data = file.read(limit + 1);
    if (!data || data->size() > limit)
        return std::nullopt;
    return data;
}

} // namespace platform::linuxbackend
