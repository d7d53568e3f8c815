#pragma once
// What the tests do natively (native_*.cpp): the prefix's links, the obstacles a save meets.

#include <QString>

namespace fakes {

// Links a prefix's dosdevices entry to the drive's target, where the system reads it there.
void linkNatively(const QString& link, const QString& target);

// Read-only even for root (the right is given up for good); false if it can still be written.
bool makeReadOnly(const QString& file);
// A FIFO whose writer stays open, so a reader gets `bytes` at once; false where there is none.
bool makeFifo(const QString& path, const QByteArray& bytes);

} // namespace fakes
