#include "fakes/native.h"

#include <QFile>

#include <csignal>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace fakes {

void linkNatively(const QString& link, const QString& target) {
    QFile::remove(link);
    QFile::link(target, link);
}

bool makeReadOnly(const QString& file) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2] = {};
    syscall(SYS_capget, &header, caps);
    caps[CAP_TO_INDEX(CAP_DAC_OVERRIDE)].effective &= ~CAP_TO_MASK(CAP_DAC_OVERRIDE);
    syscall(SYS_capset, &header, caps);
    return QFile::setPermissions(file, QFile::ReadOwner) && !QFile(file).open(QIODevice::ReadWrite);
}

bool makeFifo(const QString& path, const QByteArray& bytes) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::mkfifo(name.constData(), 0600) == 0 ? ::open(name.constData(), O_RDWR) : -1;
    return fd >= 0 && ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
}

bool giveAway(const QString& file) {
    return ::chown(QFile::encodeName(file).constData(), 65534, 65534) == 0; // nobody
}

bool ownFile(const QString& file) {
    struct stat info {};
    return ::stat(QFile::encodeName(file).constData(), &info) == 0 && info.st_uid == ::getuid();
}

FullDisk::FullDisk(qint64 bytes) {
    std::signal(SIGXFSZ, SIG_IGN); // the write fails (EFBIG) instead of ending the process
    rlimit limit;
    valid_ = ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && rlim_t(bytes) <= limit.rlim_max &&
             (limit.rlim_cur = rlim_t(bytes), ::setrlimit(RLIMIT_FSIZE, &limit) == 0);
}

FullDisk::~FullDisk() {
    rlimit limit;
    if (valid_ && ::getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
}

} // namespace fakes
