#include "platform/common/download_body.h"

#include "buildconfig.h"
#include "platform/downloads.h"

#include <QSaveFile>

#include <algorithm>

namespace platform::common {

QString userAgent() {
    return QStringLiteral("Velkor/%1.%2.%3")
        .arg(VELKOR_VERSION_MAJOR)
        .arg(VELKOR_VERSION_MINOR)
        .arg(VELKOR_VERSION_PATCH);
}

qsizetype DownloadBody::room() const {
    return Downloads::MaxBody - bytes_.size();
}

bool DownloadBody::append(const char* data, qsizetype length) {
    const qsizetype kept = std::min(length, room());
    bytes_.append(data, kept);
    return kept == length;
}

bool DownloadBody::commitTo(const QString& nativePath) const {
    QSaveFile file(nativePath);
    return file.open(QIODevice::WriteOnly) && file.write(bytes_) == bytes_.size() && file.commit();
}

} // namespace platform::common
