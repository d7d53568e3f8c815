#include "fakes/mapped_files.h"
#include "fakes/native.h"

namespace fakes {

// Windows names its drives itself: MappedFiles maps the letters instead.
void linkNatively(const QString&, const QString&) {}

std::unique_ptr<platform::FileSystem> prefixFiles(const TempPrefix& prefix) {
    return std::make_unique<MappedFiles>(prefix);
}

bool makeReadOnly(const QString& file) {
    return QFile::setPermissions(file, QFile::ReadOwner) && !QFile(file).open(QIODevice::ReadWrite);
}

bool makeFifo(const QString&, const QByteArray&) {
    return false;
}

bool makeLink(const QString&, const QString&) {
    return false;
}

bool giveAway(const QString&) {
    return false;
}

FullDisk::FullDisk(qint64) {}
FullDisk::~FullDisk() = default;

} // namespace fakes
