#pragma once
// The Windows tests' drives: letters mapped to a TempPrefix's folders, as Linux has them.

#include "fakes/temp_prefix.h"
#include "platform/windows/windows_files.h"
#include "win32/full_path.h"

namespace fakes {

class MappedFiles : public platform::FileSystem {
public:
    // Starts in the process's working folder, as Wine starts a program.
    explicit MappedFiles(const TempPrefix& prefix);

    QStringList drives() override;
    QString driveLabel(const QString& drive) override;
    QString currentDirectory() override { return folders_.current(); }
    QString currentDirectoryOf(const QString& drive) override { return folders_.ofDrive(drive); }
    bool changeDrive(const QString& drive) override;
    bool changeDirectory(const QString& path) override;
    QString toNative(const QString& windowsPath) override {
        return QDir::fromNativeSeparators(realPath(folders_.full(windowsPath)));
    }
    QString toWindows(const QString& nativePath) override;
    std::optional<QStringList> subfolders(const QString& windowsPath) override;
    std::unique_ptr<QFile> openRegularFile(const QString& path, QIODevice::OpenMode mode) override;
    bool replaceFile(const QString& path, const QByteArray& bytes) override;

private:
    // The real path of a full path on a mapped drive, in Windows form; empty when unmapped.
    QString realPath(const QString& fullWindowsPath) const;

    const TempPrefix& prefix_;
    win32::CurrentFolders folders_{QLatin1Char('Z')};
    platform::windowsbackend::WindowsFiles real_;
};

} // namespace fakes
