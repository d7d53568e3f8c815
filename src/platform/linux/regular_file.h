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
// in the write itself; only what writableFile() gives). The descriptor is blocking again once
// open and closed on exec; -1 when the path names anything but a regular file (a FIFO, a device,
// a folder) or cannot be opened.
int openRegular(const QString& path, bool writing = false);

// The file a write to `path` goes to: the path when it names a regular file or nothing yet, the
// file a link leads to when that is a regular file of this user's (as dotfile managers link
// them); nullopt for anything else: a device, a FIFO, a folder, a link to nothing or to another
// user's file. Nothing is opened to find out.
std::optional<QString> writableFile(const QString& path);

// Makes `bytes` the whole of the file `path` leads to (see writableFile): written to a new file
// beside it, flushed to the disk, and renamed over it; the old file keeps its mode and is left
// as it was when any step fails (false), as when it is read-only.
bool replaceRegularFile(const QString& path, const QByteArray& bytes);

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
