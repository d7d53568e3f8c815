#include "platform/linux/linux_files.h"

#include "launchers/wine_prefix.h"
#include "platform/linux/regular_file.h"
#include "win32/full_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::linuxbackend {

namespace {

constexpr QChar backslash = QLatin1Char('\\');

QString joinNative(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool statPath(const QString& path, struct stat& out) {
    return ::stat(QFile::encodeName(path).constData(), &out) == 0;
}

// An open file descriptor, closed with the object.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

// A handle on a file or folder for lookups relative to it; it reads nothing, so any kind of
// file may be named.
int openPath(int folder, const QString& name, int flags = 0) {
    return ::openat(folder, QFile::encodeName(name).constData(), O_PATH | O_CLOEXEC | flags);
}

// The entry of the open folder whose name matches `name` without regard to case; the first one
// the folder lists wins, as with Wine.
QString findWithoutCase(int folder, const QString& name) {
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0)
        return {};
    DIR* dir = ::fdopendir(listing);
    if (!dir) {
        ::close(listing);
        return {};
    }
    QString found;
    while (const dirent* entry = ::readdir(dir)) {
        const QString candidate = QFile::decodeName(entry->d_name);
        if (candidate.compare(name, Qt::CaseInsensitive) == 0) {
            found = candidate;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

LinuxFiles::LinuxFiles(const WinePrefix& prefix)
    : dosdevices_(prefix.path(QStringLiteral("dosdevices"))) {
    // Like Wine, take $PWD when it names the working folder: it keeps the spelling the user
    // reached it by (through a symbolic link, say).
    QString start = QDir::currentPath();
    const QString pwd = qEnvironmentVariable("PWD");
    struct stat a, b;
    if (!pwd.isEmpty() && QDir::isAbsolutePath(pwd) && statPath(pwd, a) && statPath(start, b) &&
        sameFile(a, b))
        start = pwd;
    const QString windows = toWindows(start);
    if (!windows.isEmpty())
        folders_.enter(windows, true);
}

std::vector<LinuxFiles::Drive> LinuxFiles::driveTable() const {
    std::vector<Drive> table;
    if (DIR* dir = ::opendir(QFile::encodeName(dosdevices_).constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            const QString name = QFile::decodeName(entry->d_name);
            // "c:" is a drive; "c::" (its raw device), "com1", "lpt1" are not.
            if (name.size() != 2 || name.at(1) != QLatin1Char(':') ||
                !win32::isDriveLetter(name.at(0)))
                continue;
            const QString link = dosdevices_ + QLatin1Char('/') + name;
            char buffer[4096];
            const ssize_t size =
                ::readlink(QFile::encodeName(link).constData(), buffer, sizeof buffer);
            QString target = size > 0 ? QFile::decodeName(QByteArray(buffer, size)) : link;
            if (QDir::isRelativePath(target))
                target = dosdevices_ + QLatin1Char('/') + target;
            table.push_back(Drive{name.at(0).toUpper(), QDir::cleanPath(target)});
        }
        ::closedir(dir);
    }
    std::sort(table.begin(), table.end(),
              [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
    table.erase(std::unique(table.begin(), table.end(),
                            [](const Drive& a, const Drive& b) { return a.letter == b.letter; }),
                table.end());

    // Every path needs a Windows form: a prefix without a drive for "/" still gets one, as Z:
    // when that letter is free.
    struct stat root;
    const bool haveRoot = statPath(QStringLiteral("/"), root);
    const bool covered = std::any_of(table.begin(), table.end(), [&](const Drive& d) {
        struct stat st;
        return d.target == QLatin1String("/") ||
               (haveRoot && statPath(d.target, st) && sameFile(st, root));
    });
    if (!covered) {
        for (char c = 'Z'; c >= 'A'; --c) {
            const QChar letter = QLatin1Char(c);
            if (std::none_of(table.begin(), table.end(),
                             [&](const Drive& d) { return d.letter == letter; })) {
                table.push_back(Drive{letter, QStringLiteral("/")});
                std::sort(table.begin(), table.end(),
                          [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
                break;
            }
        }
    }
    return table;
}

std::optional<LinuxFiles::Drive> LinuxFiles::findDrive(QChar letter) const {
    letter = letter.toUpper();
    for (const Drive& drive : driveTable())
        if (drive.letter == letter)
            return drive;
    return std::nullopt;
}

QStringList LinuxFiles::drives() {
    QStringList names;
    for (const Drive& drive : driveTable())
        names << QString(drive.letter.toLower()) + QLatin1Char(':');
    return names;
}

QString LinuxFiles::driveLabel(const QString& drive) {
    // Wine keeps a label it was given in a file at the drive's root.
    if (drive.isEmpty())
        return {};
    const auto found = findDrive(drive.at(0));
    if (!found)
        return {};
    RegularFile file(joinNative(found->target, QStringLiteral(".windows-label")));
    const auto text = file.read(256);
    return text ? QString::fromUtf8(*text).section(QLatin1Char('\n'), 0, 0).trimmed() : QString();
}

QString LinuxFiles::fullPath(const QString& windowsPath) const {
    return folders_.full(windowsPath);
}

QString LinuxFiles::nativeOf(const Drive& drive, const QString& full) const {
    // Each component is looked up in the folder reached so far, not through the whole path
    // again, so that a long path costs in proportion to its length.
    QString native = drive.target;
    Descriptor folder(openPath(AT_FDCWD, drive.target, O_DIRECTORY));
    for (const QString& part : full.mid(3).split(backslash, Qt::SkipEmptyParts)) {
        QString name = part;
        // Below a component that is not there nothing is, and the rest keeps its spelling.
        if (folder.get() >= 0) {
            struct stat st;
            if (::fstatat(folder.get(), QFile::encodeName(part).constData(), &st,
                          AT_SYMLINK_NOFOLLOW) != 0) {
                const QString other = findWithoutCase(folder.get(), part);
                if (!other.isEmpty())
                    name = other;
            }
            folder.reset(openPath(folder.get(), name, O_DIRECTORY));
        }
        if (!native.endsWith(QLatin1Char('/')))
            native += QLatin1Char('/');
        native += name;
    }
    return native;
}

QString LinuxFiles::toNative(const QString& windowsPath) {
    const QString full = fullPath(windowsPath);
    if (full.isEmpty())
        return {};
    const auto drive = findDrive(full.at(0));
    return drive ? nativeOf(*drive, full) : QString();
}

QString LinuxFiles::toWindows(const QString& nativePath) {
    if (nativePath.isEmpty())
        return {};
    const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(nativePath));
    struct Root {
        QChar letter;
        struct stat st;
    };
    std::vector<Root> roots;
    for (const Drive& drive : driveTable()) {
        Root root{drive.letter, {}};
        if (statPath(drive.target, root.st))
            roots.push_back(root);
    }
    // Going up from the full path, the first existing folder that is a drive's root wins; of
    // drives sharing a root the lowest letter. Found walking down, one component at a time
    // relative to the last, so that a long path costs in proportion to its length.
    std::optional<QChar> letter;
    qsizetype covered = 0; // the length of the path that the drive's root stands for
    const auto match = [&](int fd, qsizetype end) {
        struct stat st;
        if (::fstat(fd, &st) != 0)
            return;
        for (const Root& root : roots) {
            if (sameFile(st, root.st)) {
                letter = root.letter;
                covered = end;
                return;
            }
        }
    };
    Descriptor folder(openPath(AT_FDCWD, QStringLiteral("/")));
    if (folder.get() >= 0)
        match(folder.get(), 0);
    for (qsizetype start = 1; folder.get() >= 0 && start < path.size();) {
        qsizetype end = path.indexOf(QLatin1Char('/'), start);
        if (end < 0)
            end = path.size();
        folder.reset(openPath(folder.get(), path.sliced(start, end - start)));
        if (folder.get() >= 0)
            match(folder.get(), end);
        start = end + 1;
    }
    if (!letter)
        return {};
    QString rest = path.mid(covered);
    if (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    rest.replace(QLatin1Char('/'), backslash);
    return win32::driveRoot(*letter) + rest;
}

QString LinuxFiles::currentDirectory() {
    return folders_.current();
}

QString LinuxFiles::currentDirectoryOf(const QString& drive) {
    return folders_.ofDrive(drive);
}

bool LinuxFiles::changeDrive(const QString& drive) {
    if (drive.isEmpty() || !win32::isDriveLetter(drive.at(0)))
        return false;
    const QChar letter = drive.at(0).toUpper();
    const auto found = findDrive(letter);
    if (!found)
        return false;
    const QString folder = folders_.of(letter);
    if (!QDir::setCurrent(nativeOf(*found, folder)))
        return false;
    folders_.enter(folder, true);
    return true;
}

bool LinuxFiles::changeDirectory(const QString& path) {
    const QString full = fullPath(path);
    if (full.isEmpty())
        return false;
    const QChar letter = full.at(0);
    const auto drive = findDrive(letter);
    if (!drive)
        return false;
    const QString native = nativeOf(*drive, full);
    if (!QFileInfo(native).isDir())
        return false;
    // The working folder follows the current drive's folder; another drive's folder is only
    // remembered, but it must be one that could be entered.
    if (letter == folders_.drive()) {
        if (!QDir::setCurrent(native))
            return false;
    } else if (::access(QFile::encodeName(native).constData(), X_OK) != 0) {
        return false;
    }
    folders_.enter(full, false);
    return true;
}

std::optional<QStringList> LinuxFiles::subfolders(const QString& windowsPath) {
    const QString native = toNative(windowsPath);
    if (native.isEmpty())
        return std::nullopt;
    DIR* dir = ::opendir(QFile::encodeName(native).constData());
    if (!dir)
        return std::nullopt;
    QStringList names;
    while (const dirent* entry = ::readdir(dir)) {
        // Dot folders are hidden under Wine; "." and ".." are not subfolders.
        if (entry->d_name[0] == '.')
            continue;
        bool isDir = entry->d_type == DT_DIR;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat st;
            const QByteArray full = QFile::encodeName(native) + '/' + entry->d_name;
            isDir = ::stat(full.constData(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDir)
            names << QFile::decodeName(entry->d_name);
    }
    ::closedir(dir);
    sortFolderNames(names);
    return names;
}

std::unique_ptr<QFile> LinuxFiles::openRegularFile(const QString& windowsPath,
                                                   QIODevice::OpenMode mode) {
    const QString native = toNative(windowsPath);
    const bool writing = mode.testFlag(QIODevice::WriteOnly);
    const int fd = native.isEmpty() ? -1 : openRegular(native, writing);
    if (fd < 0)
        return nullptr;
    auto file = std::make_unique<QFile>();
    if (!file->open(fd,
                    (writing ? QIODevice::ReadWrite : QIODevice::ReadOnly) | QIODevice::Unbuffered,
                    QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

bool LinuxFiles::replaceFile(const QString& windowsPath, const QByteArray& bytes) {
    const QString native = toNative(windowsPath);
    return !native.isEmpty() && replaceRegularFile(native, bytes);
}

} // namespace platform::linuxbackend
