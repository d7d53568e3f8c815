#include "platform/linux/regular_file.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::linuxbackend {

int openRegular(const QString& path, bool writing) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        return -1;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int flags =
        O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (writing ? O_RDWR | O_CREAT | O_DSYNC : O_RDONLY);
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
