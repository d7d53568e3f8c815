#pragma once
// A download's body as both backends keep it: at most platform::Downloads::MaxBody bytes, and put
// in its file only when it came whole.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace net {

// "Velkor/1.0.6": what the program calls itself to web servers.
QString userAgent();

class DownloadBody {
public:
    // How many bytes to ask for next, at most `chunk`: one past the bound, so that a body
    // longer than it shows itself.
    qsizetype wanted(qsizetype chunk) const;
    // Keeps what fits of the data; false once the body went past the bound.
    bool append(const char* data, qsizetype length);
    // One line of the response's head (its status line starts a new response, a redirect's
    // next one): what the body's length is said to be.
    void headerLine(QByteArrayView line);
    // Every byte and no more: not cut at the bound, and, unless it came in chunks, as long as
    // its Content-Length said. Anything else is a page that broke off or said more than it
    // meant, and counts as no answer.
    bool whole() const;
    const QByteArray& bytes() const { return bytes_; }
    // Writes the body aside and renames it into place, so that a failed write leaves no partial
    // file; false when it could not be written whole.
    bool commitTo(const QString& nativePath) const;

private:
    QByteArray bytes_;
    bool cut_ = false;
    bool chunked_ = false;
    bool lengthUnclear_ = false; // a Content-Length that is no number, or two that differ
    std::optional<qint64> length_;
};

} // namespace net
