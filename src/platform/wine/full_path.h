#pragma once
// How Windows makes a path absolute (GetFullPathName): against the current drive and each
// drive's own current folder, with "." and ".." applied. Pure text, so that a Wine prefix's
// current folders can be kept the way Windows keeps them.

#include <QChar>
#include <QString>
#include <functional>

namespace platform::wine {

// "C:\" for 'C'.
QString driveRoot(QChar letter);

// "C:\Games\Populous", "C:\" at a root; `folderOf` gives a drive's current folder (upper-case
// letter in, its root when it has none). Empty for a path no drive can hold (UNC, empty, a
// drive that is not a letter).
QString fullPath(const QString& windowsPath, QChar currentDrive,
                 const std::function<QString(QChar)>& folderOf);

} // namespace platform::wine
