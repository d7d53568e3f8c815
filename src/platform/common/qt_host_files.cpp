#include "platform/common/qt_host_files.h"

#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>

namespace platform::common {

QStringList QtHostFiles::list(const QString& folder, Entries kind, int limit) {
    const bool folders = kind == Entries::Folders;
    QDirIterator entries(folder, (folders ? QDir::Dirs | QDir::NoDotAndDotDot : QDir::Files) |
                                     QDir::Hidden | QDir::System);
    QStringList names;
    for (int seen = 0; entries.hasNext() && seen < limit; ++seen) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        if (folders ? entry.isDir() : entry.isFile())
            names << entries.fileName();
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool QtHostFiles::isFolder(const QString& path) {
    return QFileInfo(path).isDir();
}

bool QtHostFiles::exists(const QString& path) {
    return QFileInfo::exists(path);
}

QString QtHostFiles::canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

} // namespace platform::common
