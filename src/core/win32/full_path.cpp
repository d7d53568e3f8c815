#include "core/win32/full_path.h"

#include <QStringList>

namespace win32 {

namespace {
constexpr QChar backslash = QLatin1Char('\\');
}

QString driveRoot(QChar letter) {
    return QString(letter) + QStringLiteral(":\\");
}

QString fullPath(const QString& windowsPath, QChar currentDrive,
                 const std::function<QString(QChar)>& folderOf) {
    QString path = windowsPath;
    path.replace(QLatin1Char('/'), backslash);
    if (path.isEmpty() || path.startsWith(QStringLiteral("\\\\")))
        return {};
    QChar letter = currentDrive;
    QString rest = path;
    if (path.size() >= 2 && path.at(1) == QLatin1Char(':')) {
        if (!isDriveLetter(path.at(0)))
            return {};
        letter = path.at(0).toUpper();
        rest = path.mid(2);
    }
    QStringList parts;
    if (!rest.startsWith(backslash))
        parts = folderOf(letter).mid(3).split(backslash, Qt::SkipEmptyParts);
    for (const QString& part : rest.split(backslash, Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts << part;
    }
    return driveRoot(letter) + parts.join(backslash);
}

QString CurrentFolders::of(QChar letter) const {
    letter = letter.toUpper();
    return folders_.value(letter, driveRoot(letter));
}

QString CurrentFolders::ofDrive(const QString& drive) const {
    return drive.isEmpty() || !isDriveLetter(drive.at(0)) ? current() : of(drive.at(0));
}

QString CurrentFolders::full(const QString& windowsPath) const {
    return fullPath(windowsPath, drive_, [this](QChar letter) { return of(letter); });
}

void CurrentFolders::enter(const QString& folder, bool makeCurrent) {
    const QChar letter = folder.at(0).toUpper();
    folders_.insert(letter, folder);
    if (makeCurrent)
        drive_ = letter;
}

QString foldSeparators(const QString& path) {
    QString folded;
    folded.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (i >= 2 && path[i] == QLatin1Char('\\') && folded.endsWith(QLatin1Char('\\')))
            continue;
        folded += path[i];
    }
    return folded;
}

} // namespace win32
