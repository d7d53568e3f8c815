#pragma once
// URLDownloadToFile: a web page's body into a file.

#include <QString>
#include <QtGlobal>

namespace platform {

class Downloads {
public:
    // The bounds every backend keeps, each with a clock of its own, so that a silent, dripping
    // or endless server cannot hang a window: to connect, for the whole download, and the body
    // (a longer one is no answer).
    static constexpr long ConnectTimeoutMs = 5000;
    static constexpr long TotalTimeoutMs = 10000;
    static constexpr qsizetype MaxBody = 64 * 1024;

    virtual ~Downloads() = default;
    // Stores the body of `url` in the file `windowsPath`; 0 on success (an HTTP error status
    // or no answer leaves no file and gives a non-zero result).
    virtual long downloadToFile(const QString& url, const QString& windowsPath) = 0;
};

} // namespace platform
