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
// Gives the file to another user; false where this process cannot.
bool giveAway(const QString& file);
// Whether the file (a link followed) is this user's.
bool ownFile(const QString& file);

// A full disk for this process while it lives: no file grows beyond `bytes`, a write past it
// fails. Inert where the system has no such limit (valid() false).
class FullDisk {
public:
    explicit FullDisk(qint64 bytes);
    ~FullDisk();
    bool valid() const { return valid_; }

private:
    bool valid_ = false;
};

} // namespace fakes
