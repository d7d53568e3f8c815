#include "fakes/native.h"

#include <QFile>

namespace fakes {

// Windows names its drives itself: MappedFiles maps the letters instead.
void linkNatively(const QString&, const QString&) {}

bool makeReadOnly(const QString& file) {
    return QFile::setPermissions(file, QFile::ReadOwner) && !QFile(file).open(QIODevice::ReadWrite);
}

bool makeFifo(const QString&, const QByteArray&) {
    return false;
}

bool giveAway(const QString&) {
    return false;
}

bool ownFile(const QString&) {
    return true;
}

FullDisk::FullDisk(qint64) {}
FullDisk::~FullDisk() = default;

} // namespace fakes
