#pragma once
// URLDownloadToFile over libcurl, bounded so that a silent server cannot hang the window.

#include "platform/downloads.h"

#include <QByteArray>

namespace platform {
class FileSystem;
}

namespace platform::linuxbackend {

class LinuxDownloads : public Downloads {
public:
    explicit LinuxDownloads(FileSystem& files);
    // Follows redirects; an HTTP error status, no answer, or a file that cannot be written
    // leaves no new file and gives a non-zero result. A body over MaxBody is cut there.
    long downloadToFile(const QString& url, const QString& windowsPath) override;

private:
    FileSystem& files_;
};

} // namespace platform::linuxbackend
