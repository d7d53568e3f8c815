#pragma once
// URLDownloadToFile over WinHTTP, bounded so that a silent server cannot hang the window.

#include "platform/downloads.h"

namespace platform::windowsbackend {

class WindowsFiles;

class WindowsDownloads : public Downloads {
public:
    explicit WindowsDownloads(WindowsFiles& files);
    // http and https only; WinHTTP follows redirects, never from https to http. An HTTP error
    // status, no answer within the bounds, a body that is not whole (DownloadBody::whole), or a
    // file that cannot be written leaves no new file and gives a non-zero result.
    long downloadToFile(const QString& url, const QString& windowsPath) override;

private:
    WindowsFiles& files_;
};

} // namespace platform::windowsbackend
