#include "platform/common/qt_host_files.h"

#include <QDirIterator>
#include <QFileInfo>
#include <algorithm>

namespace platform::common {

QStringList QtHostFiles::list(const QString& folder, Entries kind, int limit, int* looked) {
    // Every entry counts, whatever its kind: a filter would pass over some uncounted.
    QDirIterator entries(folder,
                         QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    QStringList names;
    int seen = 0;
    for (; entries.hasNext() && seen < limit; ++seen) {
        entries.next();
        const QFileInfo entry = entries.fileInfo();
        if (kind == Entries::Folders ? entry.isDir() : entry.isFile())
            names << entries.fileName();
    }
    if (looked)
        *looked = seen;
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
