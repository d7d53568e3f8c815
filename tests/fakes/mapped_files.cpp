#include "fakes/mapped_files.h"

#include "win32/full_path.h"

namespace fakes {

namespace {

// A mapped drive's folder, absolute, with a trailing slash.
QString targetFolder(const QString& target) {
    const QString folder = QDir::cleanPath(QDir(target).absolutePath());
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

MappedFiles::MappedFiles(const TempPrefix& prefix) : prefix_(prefix) {
    const QString start = toWindows(QDir::currentPath());
    if (!start.isEmpty())
        folders_.enter(start, true);
}

QStringList MappedFiles::drives() {
    QStringList names;
    for (const QChar letter : prefix_.drives().keys())
        names << QString(letter.toLower()) + QLatin1Char(':');
    return names;
}

QString MappedFiles::driveLabel(const QString& drive) {
    const QString root =
        drive.isEmpty() ? QString() : realPath(win32::driveRoot(drive.at(0).toUpper()));
    const QByteArray label =
        root.isEmpty() ? QByteArray() : readFile(root + QStringLiteral("/.windows-label"));
    return QString::fromUtf8(label.left(256)).section(QLatin1Char('\n'), 0, 0).trimmed();
}

QString MappedFiles::realPath(const QString& full) const {
    if (full.isEmpty() || !prefix_.drives().contains(full.at(0)))
        return {};
    const QString folder = targetFolder(prefix_.drives().value(full.at(0)));
    // A drive's root is its folder as named, without a trailing slash, as Linux names it.
    return QDir::toNativeSeparators(full.size() > 3 || folder.size() == 3 ? folder + full.mid(3)
                                                                          : folder.chopped(1));
}

bool MappedFiles::changeDrive(const QString& drive) {
    if (drive.isEmpty() || !win32::isDriveLetter(drive.at(0)))
        return false;
    const QString folder = folders_.of(drive.at(0));
    const QString real = realPath(folder);
    if (real.isEmpty() || !QDir::setCurrent(real))
        return false;
    folders_.enter(folder, true);
    return true;
}

bool MappedFiles::changeDirectory(const QString& path) {
    const QString full = folders_.full(path);
    const QString real = realPath(full);
    if (real.isEmpty() || !QFileInfo(real).isDir())
        return false;
    if (full.at(0) == folders_.drive() && !QDir::setCurrent(real))
        return false;
    folders_.enter(full, false);
    return true;
}

QString MappedFiles::toWindows(const QString& nativePath) {
    if (nativePath.isEmpty())
        return {};
    QString path = QDir::cleanPath(QDir::current().absoluteFilePath(nativePath));
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    // The drive with the deepest folder holding the path; of equals the lowest letter.
    std::optional<QChar> letter;
    qsizetype covered = 0;
    for (auto it = prefix_.drives().begin(); it != prefix_.drives().end(); ++it) {
        const QString folder = targetFolder(it.value());
        if (path.startsWith(folder, Qt::CaseInsensitive) && (!letter || folder.size() > covered)) {
            letter = it.key();
            covered = folder.size();
        }
    }
    if (!letter)
        return {};
    QString rest = path.mid(covered);
    rest.chop(1);
    return win32::driveRoot(*letter) + QDir::toNativeSeparators(rest);
}

std::optional<QStringList> MappedFiles::subfolders(const QString& windowsPath) {
    const QString real = realPath(folders_.full(windowsPath));
    return real.isEmpty() ? std::nullopt : real_.subfolders(real);
}

std::unique_ptr<QFile> MappedFiles::openRegularFile(const QString& windowsPath,
                                                    QIODevice::OpenMode mode) {
    const QString real = realPath(folders_.full(windowsPath));
    return real.isEmpty() ? nullptr : real_.openRegularFile(real, mode);
}

bool MappedFiles::replaceFile(const QString& windowsPath, const QByteArray& bytes) {
    const QString real = realPath(folders_.full(windowsPath));
    return !real.isEmpty() && real_.replaceFile(real, bytes);
}

} // namespace fakes
