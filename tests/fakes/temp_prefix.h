#pragma once
// A throw-away Wine prefix: drive_c, dosdevices/c: and z:, and whatever registry text a test
// writes into it.

#include "platform/linux/wine_prefix.h"

#include <QString>
#include <QTemporaryDir>

namespace fakes {

class TempPrefix {
public:
    TempPrefix();

    QString root() const { return dir_.path(); }
    QString driveC() const { return dir_.path() + QStringLiteral("/drive_c"); }
    platform::linuxbackend::WinePrefix prefix() const { return {root()}; }

    // Creates a folder below drive_c ("Games/Populous") and returns its native path.
    QString makeFolder(const QString& relative) const;
    // Writes a file below the prefix ("system.reg", "drive_c/x.exe").
    QString writeFile(const QString& relative, const QByteArray& content) const;
    // Links dosdevices/<drive> to a target ("d:", "/tmp/x").
    void linkDrive(const QString& drive, const QString& target) const;

private:
    QTemporaryDir dir_;
};

} // namespace fakes
