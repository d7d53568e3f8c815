#include "platform/linux/regular_file.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::linuxbackend {

RegularFile::RegularFile(const QString& path) : path_(path) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        return;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return;
    }
    fd_ = fd;
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
