#pragma once
// A throw-away Wine prefix: drive_c, dosdevices/c: and z: (on Windows mapped by MappedFiles).

#include "platform/wineprefix.h"

#include <QtCore>

namespace fakes {

class TempPrefix {
public:
    TempPrefix();

    QString root() const { return dir_.path(); }
    QString driveC() const { return dir_.path() + QStringLiteral("/drive_c"); }
    platform::WinePrefix prefix() const { return {root(), {}}; }

    // Creates a folder below drive_c ("Games/Populous") and returns its native path.
    QString makeFolder(const QString& relative) const;
    // Writes a file below the prefix ("system.reg", "drive_c/x.exe").
    QString writeFile(const QString& relative, const QByteArray& content) const;
    void linkDrive(const QString& drive, const QString& target) const;
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
