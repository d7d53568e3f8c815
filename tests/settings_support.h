#pragma once
// Shared by the settings, options and address tests: where the settings live inside the fake
// platform's temporary prefix, and a way to make a file that even root cannot write.

#include "fakes/fake_platform.h"
#include "platform/linux/linux_files.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace settingstest {

// Points the application-data folder into the prefix's drive C: and gives its Windows form and
// the settings folder's.
struct Place {
    QString appData;     // Windows
    QString settingsdir; // Windows, as the main window computes it
    QString nativeAppData;

    explicit Place(fakes::FakePlatform& os) {
        nativeAppData = os.prefix.driveC() + QStringLiteral("/users/player/AppData/Roaming");
        QDir().mkpath(nativeAppData);
        appData = os.files->toWindows(nativeAppData);
        os.system.appData = appData;
        settingsdir = appData + QStringLiteral("\\Populous\\Velkor");
    }
    QString nativeFolder() const { return nativeAppData + QStringLiteral("/Populous/Velkor"); }
    QString nativeFile() const { return nativeFolder() + QStringLiteral("/Velkor.cfg"); }
    QString settingsFile() const { return settingsdir + QStringLiteral("\\Velkor.cfg"); }

    void writeFile(const QByteArray& bytes) const {
        QDir().mkpath(nativeFolder());
        QFile file(nativeFile());
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
    }
    QByteArray fileBytes() const {
        QFile file(nativeFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

// Root ignores file modes, so a read-only mode alone proves nothing when the tests run as root.
// While this lives, the calling thread runs without CAP_DAC_OVERRIDE in its effective set, so
// the mode bits apply to it as to any user; the permitted set keeps the capability, and the
// destructor puts it back.
class WithoutPermissionOverride {
public:
    WithoutPermissionOverride() {
        if (syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[CAP_TO_INDEX(CAP_DAC_OVERRIDE)].effective &= ~CAP_TO_MASK(CAP_DAC_OVERRIDE);
        changed_ = syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutPermissionOverride() {
        if (changed_)
            syscall(SYS_capset, &header_, saved_);
    }
    WithoutPermissionOverride(const WithoutPermissionOverride&) = delete;
    WithoutPermissionOverride& operator=(const WithoutPermissionOverride&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
    bool changed_ = false;
};

// True when the file really cannot be opened for writing by this thread now.
inline bool writeRefused(const QString& nativeFile) {
    QFile probe(nativeFile);
    return !probe.open(QIODevice::ReadWrite);
}

} // namespace settingstest
