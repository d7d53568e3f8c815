#pragma once
// The forms' drives in the tests: letters mapped to a TempPrefix's folders as its dosdevices
// links have them, files opened with Qt, no system of either kind behind them.

#include "core/win32/full_path.h"
#include "fakes/native.h"
#include "fakes/temp_prefix.h"
#include "platform/filesystem.h"

#include <QSaveFile>

namespace fakes {

class MappedFiles : public platform::FileSystem {
public:
    // Starts in the process's working folder, as Wine starts a program.
    explicit MappedFiles(const TempPrefix& prefix) : prefix_(prefix) {
        const QString start = toWindows(QDir::currentPath());
        if (!start.isEmpty())
            folders_.enter(start, true);
    }

    QStringList drives() override {
        QStringList names;
        for (const QChar letter : prefix_.drives().keys())
            names << QString(letter.toLower()) + QLatin1Char(':');
        return names;
    }
    QString driveLabel(const QString& drive) override {
        const QString root = realPath(drive.left(1).toUpper() + QStringLiteral(":\\"));
        const QByteArray label =
            root.isEmpty() ? QByteArray() : readFile(root + QStringLiteral("/.windows-label"));
        return QString::fromUtf8(label.left(256)).section(QLatin1Char('\n'), 0, 0).trimmed();
    }
    QString currentDirectory() override { return folders_.current(); }
    QString currentDirectoryOf(const QString& drive) override { return folders_.ofDrive(drive); }
    bool changeDrive(const QString& drive) override {
        if (drive.isEmpty() || !win32::isDriveLetter(drive.at(0)))
            return false;
        const QString folder = folders_.of(drive.at(0)), real = realPath(folder);
        if (real.isEmpty() || !QDir::setCurrent(real))
            return false;
        folders_.enter(folder, true);
        return true;
    }
    bool changeDirectory(const QString& path) override {
        const QString full = folders_.full(path), real = realPath(full);
        if (real.isEmpty() || !QFileInfo(real).isDir())
            return false;
        if (full.at(0) == folders_.drive() && !QDir::setCurrent(real))
            return false;
        folders_.enter(full, false);
        return true;
    }
    QString toNative(const QString& windowsPath) override {
        return realPath(folders_.full(windowsPath));
    }
    QString toWindows(const QString& nativePath) override {
        if (nativePath.isEmpty())
            return {};
        const QString path = withSlash(nativePath);
        // The drive with the deepest folder holding the path; of equals the lowest letter.
        std::optional<QChar> letter;
        qsizetype covered = 0;
        for (auto it = prefix_.drives().begin(); it != prefix_.drives().end(); ++it) {
            const QString folder = withSlash(it.value());
            if (path.startsWith(folder, Qt::CaseInsensitive) &&
                (!letter || folder.size() > covered)) {
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
    std::optional<QStringList> subfolders(const QString& windowsPath) override {
        const QDir real(toNative(windowsPath));
        if (real.path().isEmpty() || !real.isReadable())
            return std::nullopt;
        QStringList names = real.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        platform::sortFolderNames(names);
        return names;
    }
    std::unique_ptr<QFile> openRegularFile(const QString& windowsPath,
                                           QIODevice::OpenMode mode) override {
        const QString real = toNative(windowsPath);
        const bool writing = mode.testFlag(QIODevice::WriteOnly);
        // Anything but a regular file is refused before it is opened, so a FIFO never blocks.
        if (real.isEmpty() || (writing ? !mayWrite(real) : !QFileInfo(real).isFile()))
            return nullptr;
        auto file = std::make_unique<QFile>(real);
        if (!file->open((writing ? QIODevice::ReadWrite : QIODevice::ReadOnly) |
                        QIODevice::Unbuffered))
            return nullptr;
        return file;
    }
    bool replaceFile(const QString& windowsPath, const QByteArray& bytes) override {
        const QString real = toNative(windowsPath);
        if (real.isEmpty() || !mayWrite(real))
            return false;
        QSaveFile saved(real); // follows a link, which stays
        return saved.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
               saved.write(bytes) == bytes.size() && saved.commit();
    }

private:
    // A native path made absolute, with a trailing slash.
    static QString withSlash(const QString& path) {
        const QString folder = QDir::cleanPath(QDir(path).absolutePath());
        return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    }
    // The path with each component that does not exist as spelled matched without regard to
    // case in its folder, as Windows matches it; the rest as it is, once one is missing.
    static QString caseless(const QString& folder, const QString& rest) {
        QString path = folder;
        const QStringList parts = rest.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QStringList names =
                QFileInfo::exists(path + parts[i])
                    ? QStringList{parts[i]}
                    : QDir(path).entryList({parts[i]}, QDir::AllEntries | QDir::Hidden);
            if (names.isEmpty())
                return path + parts.mid(i).join(QLatin1Char('/'));
            path += names.first() + (i + 1 < parts.size() ? QStringLiteral("/") : QString());
        }
        return path;
    }
    // As the backends write: a missing file, or a regular one the user may write; a link only
    // to a file of the user's own.
    static bool mayWrite(const QString& real) {
        const QFileInfo file(real);
        return (!file.exists() && !file.isSymLink()) ||
               (file.isFile() && file.isWritable() && (!file.isSymLink() || ownFile(real)));
    }
    // The real path of a full path on a mapped drive, with slashes; empty when unmapped. A
    // drive's root is its folder as named, without a trailing slash, unless that folder is a
    // root itself ("/", "C:/").
    QString realPath(const QString& full) const {
        if (full.isEmpty() || !prefix_.drives().contains(full.at(0)))
            return {};
        const QString folder = withSlash(prefix_.drives().value(full.at(0)));
        const bool whole = full.size() > 3 || folder.size() == 3 || folder == QLatin1String("/");
        return whole ? caseless(folder,
                                QString(full.mid(3)).replace(QLatin1Char('\\'), QLatin1Char('/')))
                     : folder.chopped(1);
    }

    const TempPrefix& prefix_;
    win32::CurrentFolders folders_{QLatin1Char('Z')};
};

} // namespace fakes
