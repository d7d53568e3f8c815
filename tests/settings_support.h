#pragma once
// The settings tests' fake platform with the settings folder, and the obstacles a save meets.

#include "fakes/fake_platform.h"

#include <QtCore>
#include <csignal>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

// Detects 192.168.1.10 and 10.0.0.7, the second given with a byte beyond the address length.
struct Place : fakes::FakePlatform {
    QString folder = prefix.makeFolder("users/player/AppData/Roaming/Populous/Velkor");
    QString file = folder + "/Velkor.cfg", appData = folder.section('/', 0, -3);
    QString settingsdir = files->toWindows(appData) + "\\Populous\\Velkor";
    Place() {
        system.appData = files->toWindows(appData);
        sockets.host = platform::HostEntry{
            4, {QByteArray("\xC0\xA8\x01\x0A", 4), QByteArray("\x0A\x00\x00\x07\x09", 5)}};
    }
    void write(const QByteArray& bytes) const {
        prefix.writeFile(file.mid(prefix.root().size()), bytes);
    }
    QByteArray bytes() const {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

// For root too: gives up CAP_DAC_OVERRIDE for good. False when the file can still be written.
inline bool makeReadOnly(const QString& file) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2] = {};
    syscall(SYS_capget, &header, caps);
    caps[CAP_TO_INDEX(CAP_DAC_OVERRIDE)].effective &= ~CAP_TO_MASK(CAP_DAC_OVERRIDE);
    syscall(SYS_capset, &header, caps);
    return QFile::setPermissions(file, QFile::ReadOwner) && !QFile(file).open(QIODevice::ReadWrite);
}

// Its writer stays open, so a reader gets `bytes` at once instead of waiting for ever.
inline bool makeFifo(const QString& path, const QByteArray& bytes) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::mkfifo(name.constData(), 0600) == 0 ? ::open(name.constData(), O_RDWR) : -1;
    return fd >= 0 && ::write(fd, bytes.constData(), bytes.size()) == bytes.size();
}

// While this lives, a disk that takes no more bytes, if `on`.
struct DiskFull {
    rlimit saved{};
    explicit DiskFull(bool on) {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit none{0, saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, on ? &none : &saved);
    }
    ~DiskFull() { ::setrlimit(RLIMIT_FSIZE, &saved); }
};
