#pragma once
// A download's body as both backends keep it: at most Downloads::MaxBody bytes, the rest cut,
// and put in its file only whole.

#include <QByteArray>
#include <QString>

namespace platform::common {

// "Velkor/1.0.6": what the program calls itself to web servers.
QString userAgent();

class DownloadBody {
public:
    // How many more bytes the body takes.
    qsizetype room() const;
    // Keeps what fits of the data; false when some of it had to be cut.
    bool append(const char* data, qsizetype length);
    const QByteArray& bytes() const { return bytes_; }
    // Writes the body aside and renames it into place, so that a failed write leaves no partial
    // file; false when it could not be written whole.
    bool commitTo(const QString& nativePath) const;

private:
    QByteArray bytes_;
};

} // namespace platform::common
