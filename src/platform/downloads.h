#pragma once
// URLDownloadToFile: a web page's body into a file.

#include <QString>

namespace platform {

class Downloads {
public:
    virtual ~Downloads() = default;
    // Stores the body of `url` in the file `windowsPath`; 0 on success (an HTTP error status
    // or no answer leaves no file and gives a non-zero result).
    virtual long downloadToFile(const QString& url, const QString& windowsPath) = 0;
};

} // namespace platform
