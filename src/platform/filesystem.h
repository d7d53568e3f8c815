#pragma once
// Drives, folders and the current directory, all in Windows form ("C:\Games\Populous").

#include <QIODevice>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <memory>
#include <optional>

class QFile;

namespace platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The drives in letter order, lower-case with a colon: "c:", "z:".
    virtual QStringList drives() = 0;
    // The volume label of a drive ("c:"), empty when it has none.
    virtual QString driveLabel(const QString& drive) = 0;

    // The current folder of the current drive: "C:\Games\Populous", "C:\" at a root.
    virtual QString currentDirectory() = 0;
    // The current folder of a drive ("d:" or "D"); its root when it has none yet.
    virtual QString currentDirectoryOf(const QString& drive) = 0;
    // Makes the drive named by the first letter current; false when there is no such drive.
    virtual bool changeDrive(const QString& drive) = 0;
    // Sets the current folder of the path's drive (the current drive for a path without one);
    // the current drive itself does not change. false when the folder does not exist.
    virtual bool changeDirectory(const QString& path) = 0;

    // A Windows path as a path the program can open with Qt's file classes; empty when no
    // drive holds it. Components that do not exist in that spelling are matched without
    // regard to case.
    virtual QString toNative(const QString& windowsPath) = 0;
    // A native path in Windows form; empty when no drive covers it.
    virtual QString toWindows(const QString& nativePath) = 0;

    // The names of a folder's subfolders, sorted without regard to case; nullopt when the
    // folder cannot be read.
    virtual std::optional<QStringList> subfolders(const QString& windowsPath) = 0;

    // Opens a regular file, unbuffered, for reading (ReadOnly) or for reading and writing
    // (ReadWrite, which creates a missing file and never truncates). The open never waits: a
    // FIFO, device or folder in the file's place is refused, and a file is written only as
    // replaceFile() would write it. Writes reach the disk before they return, so a failed one is
    // seen by the writer. nullptr when refused or not opened.
    virtual std::unique_ptr<QFile> openRegularFile(const QString& windowsPath,
                                                   QIODevice::OpenMode mode) = 0;
    // Makes `bytes` the whole content of a file: written aside, on the disk, then put in its
    // place, so that a write that fails (a full disk) leaves the old file as it was. Only a
    // regular file the user may write is replaced (or a missing one made); a link is followed
    // only to a regular file of the user's own, which keeps the link. false when refused or
    // when any step failed.
    [[nodiscard]] virtual bool replaceFile(const QString& windowsPath, const QByteArray& bytes) = 0;
};

// The order subfolders() gives: without regard to case, names that differ only in case in a
// fixed order.
inline void sortFolderNames(QStringList& names) {
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
}

} // namespace platform
