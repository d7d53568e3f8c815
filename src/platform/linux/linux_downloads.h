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
    // Follows redirects; an HTTP error status, no answer within the bounds, a body that is not
    // whole (DownloadBody::whole), or a file that cannot be written leaves no new file and
    // gives a non-zero result.
    long downloadToFile(const QString& url, const QString& windowsPath) override;

private:
    FileSystem& files_;
};

} // namespace platform::linuxbackend
