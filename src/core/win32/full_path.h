#pragma once
// How Windows makes a path absolute (GetFullPathName): against the current drive and each
// drive's own current folder, with "." and ".." applied. Pure text, so that a Wine prefix's
// current folders can be kept the way Windows keeps them.

#include <QChar>
#include <QMap>
#include <QString>
#include <functional>

namespace win32 {

// A letter a drive may be named by, either case.
inline bool isDriveLetter(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// "C:\" for 'C'.
QString driveRoot(QChar letter);

// Windows folds runs of backslashes inside a path into one ("C:\\x.exe" is "C:\x.exe"); a
// leading pair (a UNC name) is kept.
QString foldSeparators(const QString& path);

// "C:\Games\Populous", "C:\" at a root; `folderOf` gives a drive's current folder (upper-case
// letter in, its root when it has none). Empty for a path no drive can hold (UNC, empty, a
// drive that is not a letter).
QString fullPath(const QString& windowsPath, QChar currentDrive,
                 const std::function<QString(QChar)>& folderOf);

// The current drive and each drive's current folder, as Windows keeps them for a process.
class CurrentFolders {
public:
    explicit CurrentFolders(QChar drive) : drive_(drive.toUpper()) {}

    QChar drive() const { return drive_; }
    // The folder of a drive ('d'), its root when it has none yet.
    QString of(QChar letter) const;
    // The folder of the drive whose letter a name begins with ("d:", "D"); the current drive's
    // for a name that does not begin with a letter (empty, "\\").
    QString ofDrive(const QString& drive) const;
    QString current() const { return of(drive_); }
    // A path made full against these folders (see fullPath).
    QString full(const QString& windowsPath) const;
    // Keeps a full folder path as its drive's folder; makes that drive current when asked.
    void enter(const QString& folder, bool makeCurrent);

private:
    QChar drive_;
    QMap<QChar, QString> folders_; // upper-case letter -> full Windows path
};

} // namespace win32
