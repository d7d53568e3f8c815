#include "fakes/temp_prefix.h"

#include "fakes/native.h"

namespace fakes {

TempPrefix::TempPrefix() {
    QDir(root()).mkpath(QStringLiteral("drive_c"));
    QDir(root()).mkpath(QStringLiteral("dosdevices"));
    linkDrive(QStringLiteral("c:"), QStringLiteral("../drive_c"));
    linkDrive(QStringLiteral("z:"), QStringLiteral("/"));
}

QString TempPrefix::makeFolder(const QString& relative) const {
    const QString path = driveC() + QLatin1Char('/') + relative;
    QDir().mkpath(path);
    return path;
}

QString TempPrefix::writeFile(const QString& relative, const QByteArray& content) const {
    const QString path = root() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(content);
    return path;
}

void TempPrefix::linkDrive(const QString& drive, const QString& target) const {
    const QString dos = root() + QStringLiteral("/dosdevices");
    drives_.insert(drive.at(0).toUpper(), QDir::cleanPath(QDir(dos).absoluteFilePath(target)));
    linkNatively(dos + QLatin1Char('/') + drive, target);
}

} // namespace fakes
