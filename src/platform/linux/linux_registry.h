#pragma once
// The registry of the Wine prefix, read from and written to its .reg files.

#include "core/wine/prefix_registry.h"
#include "platform/wineprefix.h"

namespace platform::linuxbackend {

class LinuxRegistry : public wine::PrefixRegistry {
public:
    explicit LinuxRegistry(const WinePrefix& prefix) : prefix_(prefix) {}

protected:
    // The file's device, inode, size and modification time: Wine replaces a hive by a rename,
    // so a change shows in the inode too.
    QByteArray stamp(HiveFile file) override;
    std::optional<QByteArray> text(HiveFile file) override;
    // A running wineserver keeps the registry in memory.
    bool busy() override;
    // A temporary file beside the hive, renamed over it: a reader sees the old or the new file.
    bool replace(HiveFile file, const QByteArray& text) override;

private:
    QString fileName(HiveFile file) const;

    WinePrefix prefix_;
};

} // namespace platform::linuxbackend
