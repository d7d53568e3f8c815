#pragma once
// A throw-away Wine prefix: drive_c, dosdevices/c: and z: (on Windows mapped by MappedFiles).

#include "fakes/native.h"
#include "platform/wineprefix.h"

#include <QtCore>

namespace fakes {

class TempPrefix {
public:
    TempPrefix() {
        QDir(root()).mkpath(QStringLiteral("drive_c"));
        QDir(root()).mkpath(QStringLiteral("dosdevices"));
        linkDrive(QStringLiteral("c:"), QStringLiteral("../drive_c"));
        linkDrive(QStringLiteral("z:"), QStringLiteral("/"));
    }

    QString root() const { return dir_.path(); }
    QString driveC() const { return dir_.path() + QStringLiteral("/drive_c"); }
    platform::WinePrefix prefix() const { return {root(), {}}; }

    // Creates a folder below drive_c ("Games/Populous") and returns its native path.
    QString makeFolder(const QString& relative) const {
        const QString path = driveC() + QLatin1Char('/') + relative;
        QDir().mkpath(path);
        return path;
    }
    // Writes a file below the prefix ("system.reg", "drive_c/x.exe").
    QString writeFile(const QString& relative, const QByteArray& content) const {
        const QString path = root() + QLatin1Char('/') + relative;
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(content);
        return path;
    }
    void linkDrive(const QString& drive, const QString& target) const {
        const QString dos = root() + QStringLiteral("/dosdevices");
        drives_.insert(drive.at(0).toUpper(), QDir::cleanPath(QDir(dos).absoluteFilePath(target)));
        linkNatively(dos + QLatin1Char('/') + drive, target);
    }
    // The drives linked so far: upper-case letter -> absolute target.
    const QMap<QChar, QString>& drives() const { return drives_; }

private:
    QTemporaryDir dir_;
    mutable QMap<QChar, QString> drives_;
};

// A file's bytes; none when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace fakes
