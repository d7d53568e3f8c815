#include "fakes/host_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace fakes {

namespace {

struct Held : platform::HeldFile {
    explicit Held(const QString& path) : path_(path) {}
    QString name() const override { return path_; }
    QString path_;
};

} // namespace

std::optional<QByteArray> HostFiles::read(const QString& path, qint64 limit) {
    QFile file(path);
    // A FIFO is no file: it is never opened, so it cannot block.
    if (!QFileInfo(path).isFile() || file.size() > limit || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    reads << path;
    return file.readAll();
}

QStringList HostFiles::list(const QString& folder, Entries kind, int limit, int* looked) {
    const QDir::Filters hidden = QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;
    const QStringList all = QDir(folder).entryList(QDir::AllEntries | hidden).mid(0, limit);
    if (looked)
        *looked = int(all.size());
    const QDir::Filters filter = kind == Entries::Folders ? QDir::Dirs : QDir::Files;
    QStringList names = QDir(folder).entryList(filter | hidden, QDir::Name);
    names.removeIf([&all](const QString& name) { return !all.contains(name); });
    return names;
}

bool HostFiles::isFolder(const QString& path) {
    return QFileInfo(path).isDir();
}

bool HostFiles::exists(const QString& path) {
    return QFileInfo::exists(path);
}

QString HostFiles::canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

std::unique_ptr<platform::HeldFile> HostFiles::hold(const QString& path, qint64 limit) {
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() > limit)
        return nullptr;
    return std::make_unique<Held>(path);
}

QString HostFiles::inPrefix(const QString& prefixRoot, const QString& windowsPath) {
    const QString link = prefixRoot + "/dosdevices/" + windowsPath.left(2).toLower();
    const QString drive = QFileInfo(link).canonicalFilePath();
    return drive.isEmpty() ? QString() : drive + QString(windowsPath.mid(2)).replace('\\', '/');
}

} // namespace fakes
