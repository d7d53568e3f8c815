#pragma once
// Drives, folders and the current directory of the Wine prefix, in Windows form.

#include "launchers/wine_prefix.h"
#include "platform/filesystem.h"
#include "win32/full_path.h"

#include <QChar>
#include <QMap>
#include <vector>

namespace platform::linuxbackend {

using launchers::WinePrefix;

class LinuxFiles : public FileSystem {
public:
    struct Drive {
        QChar letter;   // upper case
        QString target; // absolute native folder, cleaned; may not exist
    };

    explicit LinuxFiles(const WinePrefix& prefix);

    QStringList drives() override;
    QString driveLabel(const QString& drive) override;
    QString currentDirectory() override;
    QString currentDirectoryOf(const QString& drive) override;
    bool changeDrive(const QString& drive) override;
    bool changeDirectory(const QString& path) override;
    QString toNative(const QString& windowsPath) override;
    QString toWindows(const QString& nativePath) override;
    std::optional<QStringList> subfolders(const QString& windowsPath) override;
    std::unique_ptr<QFile> openRegularFile(const QString& windowsPath,
                                           QIODevice::OpenMode mode) override;
    bool replaceFile(const QString& windowsPath, const QByteArray& bytes) override;

    // The drives as the prefix has them now, in letter order; always one for "/".
    std::vector<Drive> driveTable() const;
    // A Windows path made absolute against the current folders, with "." and ".." applied:
    // "C:\Games\Populous", "C:\" at a root; empty for a path no drive can hold (UNC, empty).
    QString fullPath(const QString& windowsPath) const;

private:
    QString nativeOf(const Drive& drive, const QString& fullWindowsPath) const;
    std::optional<Drive> findDrive(QChar letter) const;

    QString dosdevices_;
    win32::CurrentFolders folders_{QLatin1Char('Z')};
};

} // namespace platform::linuxbackend
