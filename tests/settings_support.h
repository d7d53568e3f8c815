#pragma once
// Shared by the settings tests: the settings folder inside the fake platform's prefix, and a
// read-only file that even root cannot write.

#include "fakes/fake_platform.h"
#include "settings/LaunchSettings.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <fcntl.h>
#include <linux/capability.h>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace settingstest {

// Points the application-data folder into drive C:. Paths are native but for `settingsdir`.
struct Place {
    QString appData, folder, file, settingsdir;

    explicit Place(fakes::FakePlatform& os)
        : appData(os.prefix.driveC() + "/users/player/AppData/Roaming"),
          folder(appData + "/Populous/Velkor"), file(folder + "/Velkor.cfg") {
        QDir().mkpath(appData);
        os.system.appData = os.files->toWindows(appData);
        settingsdir = os.system.appData + "\\Populous\\Velkor";
    }
    QString windowsFile() const { return settingsdir + "\\Velkor.cfg"; }
    void write(const QByteArray& bytes) const {
        QDir().mkpath(folder);
        QFile f(file);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    }
    QByteArray bytes() const {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    LaunchSettings saved() const {
        LaunchSettings s;
        s.image = bytes();
        return s;
    }
};

// A fresh fake platform with the settings folder in its prefix and two detected addresses,
// 192.168.1.10 and 10.0.0.7.
inline void setUp(std::unique_ptr<fakes::FakePlatform>& os, std::unique_ptr<Place>& place) {
    os = std::make_unique<fakes::FakePlatform>();
    place = std::make_unique<Place>(*os);
    os->sockets.host = platform::HostEntry{
        4, {QByteArray("\xC0\xA8\x01\x0A", 4), QByteArray("\x0A\x00\x00\x07", 4)}};
}

// Makes the file read-only. Root ignores file modes, so while this lives the thread also runs
// without CAP_DAC_OVERRIDE in its effective set; `refused` tells whether writing now fails.
class ReadOnly {
public:
    explicit ReadOnly(const QString& file) {
        QFile::setPermissions(file, QFile::ReadOwner);
        if (syscall(SYS_capget, &header_, saved_) == 0) {
            __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
            reduced[CAP_TO_INDEX(CAP_DAC_OVERRIDE)].effective &= ~CAP_TO_MASK(CAP_DAC_OVERRIDE);
            changed_ = syscall(SYS_capset, &header_, reduced) == 0;
        }
        refused = !QFile(file).open(QIODevice::ReadWrite);
    }
    ~ReadOnly() {
        if (changed_)
            syscall(SYS_capset, &header_, saved_);
    }
    ReadOnly(const ReadOnly&) = delete;
    ReadOnly& operator=(const ReadOnly&) = delete;
    bool refused = false;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool changed_ = false;
};

// A FIFO in the file's place, holding `bytes` from a writer this keeps open: a reader that
// opens it gets them at once instead of waiting for ever, so reading it shows in the result.
class Fifo {
public:
    Fifo(const QString& path, const QByteArray& bytes) {
        QDir().mkpath(path.section('/', 0, -2));
        if (::mkfifo(QFile::encodeName(path).constData(), 0600) == 0)
            fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NONBLOCK);
        made = fd_ >= 0 && ::write(fd_, bytes.constData(), bytes.size()) == bytes.size();
    }
    ~Fifo() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fifo(const Fifo&) = delete;
    Fifo& operator=(const Fifo&) = delete;
    bool made = false;

private:
    int fd_ = -1;
};

// A disk that takes no more bytes, while this lives: every write that would put a byte into a
// file fails (RLIMIT_FSIZE 0, its signal ignored).
class DiskFull {
public:
    DiskFull() {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        signal_ = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit none{0, saved_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &none);
    }
    ~DiskFull() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, signal_);
    }
    DiskFull(const DiskFull&) = delete;
    DiskFull& operator=(const DiskFull&) = delete;

private:
    rlimit saved_{};
    void (*signal_)(int) = nullptr;
};

} // namespace settingstest
