#pragma once
// The machine's own files and folders, named as the machine names them ("/home/player/.steam"):
// what the launchers and stores keep about the programs they installed, read before the
// program's own Windows is chosen. What is read here is outside bytes.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

namespace platform {

// A regular file held open for a library that opens files by their names itself: while the
// holder lives, `name()` opens this very file, whatever is put at its path meanwhile.
class HeldFile {
public:
    virtual ~HeldFile() = default;
    virtual QString name() const = 0;
};

class HostFiles {
public:
    enum class Entries { Folders, Files };

    virtual ~HostFiles() = default;
    // A regular file's bytes when it holds at most `limit`; nullopt for anything else (missing,
    // a folder, larger, or a FIFO or device in its place). Never waits.
    virtual std::optional<QByteArray> read(const QString& path, qint64 limit) = 0;
    // The names of a folder's subfolders or regular files (hidden ones too, links followed),
    // sorted. No more than `limit` of its entries of any kind are looked at; `looked` receives
    // how many were.
    virtual QStringList list(const QString& folder, Entries kind, int limit = 1 << 30,
                             int* looked = nullptr) = 0;
    virtual bool isFolder(const QString& path) = 0;
    virtual bool exists(const QString& path) = 0;
    // The path with its links resolved; empty when it names nothing.
    virtual QString canonical(const QString& path) = 0;
    // The regular file of at most `limit` bytes at `path`, held open; nullptr for anything else.
    virtual std::unique_ptr<HeldFile> hold(const QString& path, qint64 limit) = 0;
    // A Windows path in a Wine prefix as a path here, through the prefix's drives; empty when no
    // drive holds it.
    virtual QString inPrefix(const QString& prefixRoot, const QString& windowsPath) = 0;
};

} // namespace platform
