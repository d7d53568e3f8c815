#pragma once
// Drives, folders and the current directory, as Windows keeps them.

#include "platform/filesystem.h"

namespace platform::windowsbackend {

class WindowsFiles : public FileSystem {
public:
    QStringList drives() override;
    QString driveLabel(const QString& drive) override;
    QString currentDirectory() override;
    QString currentDirectoryOf(const QString& drive) override;
    bool changeDrive(const QString& drive) override;
    bool changeDirectory(const QString& path) override;
    // Paths are Windows paths already: only the separators differ, and relative ones are made
    // absolute against the current folders.
    QString toNative(const QString& windowsPath) override;
    QString toWindows(const QString& nativePath) override;
    std::optional<QStringList> subfolders(const QString& windowsPath) override;
    std::unique_ptr<QFile> openRegularFile(const QString& windowsPath,
                                           QIODevice::OpenMode mode) override;
    bool replaceFile(const QString& windowsPath, const QByteArray& bytes) override;

    // GetFullPathName: absolute, "." and ".." applied, a drive-relative path ("d:x") against that
    // drive's current folder. Empty for an empty path.
    static QString fullPath(const QString& windowsPath);
};

} // namespace platform::windowsbackend
