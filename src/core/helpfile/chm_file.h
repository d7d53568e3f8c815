#pragma once
// A compiled help file (.chm) opened for reading through chmlib, and the parsers of its
// internal tables. chmlib trusts the file too much, so every size and offset read from the
// file is checked here before it is used, and objects are capped in size.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

struct chmFile;

namespace helpfile {

// The parts of an HtmlHelpA path: "file.chm", "file.chm::/topic.htm", "file.chm>window", also
// with an "mk:@MSITStore:" or "ms-its:" prefix.
struct HelpPath {
    QString file;   // Windows path of the help file
    QString topic;  // inside it, empty when none is named
    QString window; // window type, empty for the file's default
};
HelpPath parseHelpPath(const QString& path);

// What /#SYSTEM says about the file.
struct ChmSystem {
    QString contentsFile;  // code 0
    QString indexFile;     // code 1
    QString defaultTopic;  // code 2
    QString title;         // code 3
    QString defaultWindow; // code 5
};

// Parses /#SYSTEM: a DWORD version, then records {WORD code, WORD length, data}. A record
// that runs past the end ends the parse; texts end at their first NUL.
ChmSystem parseChmSystem(QByteArrayView data);
// The /#STRINGS offset that /#IVB gives for a context number (DWORD byte count, then pairs
// {DWORD number, DWORD offset}); nullopt when the number is not mapped.
std::optional<quint32> ivbStringOffset(QByteArrayView ivb, quint32 contextNumber);
// The NUL-terminated text at `offset` in /#STRINGS; nullopt when it is outside or unterminated.
std::optional<QString> stringAt(QByteArrayView strings, quint32 offset);

class ChmFile {
public:
    // Objects larger than this are not read.
    static constexpr qint64 MaxObjectSize = qint64(32) << 20;

    // Opens the file chmlib finds under `openAs` (the path itself when empty), known by
    // `nativePath`; nullptr when it is no compiled help file or lacks its system table.
    // chmlib opens files by name and would wait for ever on a FIFO: callers reading files
    // others put in place pass a name that can only lead to a regular file they checked.
    static std::unique_ptr<ChmFile> open(const QString& nativePath,
                                         const QString& openAs = QString());
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    const QString& nativePath() const { return path_; }
    const ChmSystem& system() const { return system_; }

    // The object's bytes; the path may be given with or without its leading "/" (case is
    // ignored). nullopt when it is missing, too large or cannot be read whole.
    std::optional<QByteArray> object(const QString& path) const;
    bool contains(const QString& path) const;
    // The topic a context number maps to, as a path that resolves in this file ("/x.htm").
    std::optional<QString> topicForContext(quint32 contextNumber) const;
    // Every normal file object ("/welcome.htm", ...), in the archive's order.
    QStringList files() const;

    // "/x.htm" for "x.htm" and "/x.htm"; nullopt for a path chmlib cannot take.
    static std::optional<QByteArray> objectPath(const QString& path);

private:
    ChmFile(chmFile* handle, const QString& path);

    chmFile* handle_;
    QString path_;
    ChmSystem system_;
    bool hasSystem_ = false;
};

} // namespace helpfile
