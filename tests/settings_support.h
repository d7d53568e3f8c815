#pragma once
// Shared by the settings tests: the settings folder inside the fake platform's prefix, and a
// read-only file that even root cannot write.

#include "fakes/fake_platform.h"
#include "settings/LaunchSettings.h"

#include <QDir>
#include <QFile>
#include <linux/capability.h>
#include <memory>
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

} // namespace settingstest
