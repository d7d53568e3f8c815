#pragma once
// Files others put in place (the prefix's registry files, a help file, a program asked for its
// version) are opened without blocking and taken only when they are regular files: a FIFO or a
// device in their place would stall the program or never end.

#include <QByteArray>
#include <QString>
#include <optional>

namespace platform::linuxbackend {

// Opens a regular file without waiting: for reading, or for reading and writing (created when
// missing, never truncated, each write on the disk before it returns, so that a full disk shows
// in the write itself). The descriptor is blocking again once open and closed on exec; -1 when
// the path names anything but a regular file (a FIFO, a device, a folder) or cannot be opened.
int openRegular(const QString& path, bool writing = false);

class RegularFile {
public:
    // Not open when the path names no regular file or it cannot be read.
    explicit RegularFile(const QString& path);
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int handle() const { return fd_; }
    qint64 size() const { return size_; } // as it was when opened
    // Up to `count` bytes from where the last read ended; nullopt on a read error.
    std::optional<QByteArray> read(qint64 count);
    // A name that opens this very file again, for libraries that open files themselves; the
    // path itself where /proc is not there.
    QString reopenPath() const;

private:
    QString path_;
    int fd_ = -1;
    qint64 size_ = 0;
};

// The whole file when it is a regular file of at most `limit` bytes; nullopt otherwise.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 limit);

} // namespace platform::linuxbackend
