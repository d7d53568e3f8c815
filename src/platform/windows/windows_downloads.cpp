#include "platform/windows/windows_downloads.h"

#include "platform/common/download_body.h"
#include "platform/windows/wide.h"
#include "platform/windows/windows_files.h"

#include <QDeadlineTimer>

#include <windows.h>

#include <winhttp.h>

namespace platform::windowsbackend {

namespace {

constexpr long DownloadFailure = long(0x800C0008); // INET_E_DOWNLOAD_FAILURE
constexpr long WriteFault = long(0x8003001D);      // STG_E_WRITEFAULT

// A WinHTTP handle, closed with the object.
class Handle {
public:
    explicit Handle(HINTERNET handle = nullptr) : handle_(handle) {}
    ~Handle() {
        if (handle_)
            WinHttpCloseHandle(handle_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HINTERNET get() const { return handle_; }

private:
    HINTERNET handle_;
};

// Each wait may last only what is left of the whole: WinHTTP's own timeouts are per step.
bool limitWait(HINTERNET request, const QDeadlineTimer& deadline) {
    const qint64 remaining = deadline.remainingTime();
    const DWORD left = DWORD(remaining);
    return remaining > 0 &&
           WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_TIMEOUT, const_cast<DWORD*>(&left),
                            sizeof left) &&
           WinHttpSetOption(request, WINHTTP_OPTION_SEND_TIMEOUT, const_cast<DWORD*>(&left),
                            sizeof left);
}

std::optional<common::DownloadBody> fetch(const QString& url) {
    const QDeadlineTimer deadline(WindowsDownloads::TotalTimeoutMs);
    const std::wstring address = wide(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = DWORD(-1);
    if (!WinHttpCrackUrl(address.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        return std::nullopt;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                              std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    const Handle session(WinHttpOpen(wide(common::userAgent()).c_str(),
                                     WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                     WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session.get() ||
        !WinHttpSetTimeouts(session.get(), WindowsDownloads::ConnectTimeoutMs,
                            WindowsDownloads::ConnectTimeoutMs, WindowsDownloads::TotalTimeoutMs,
                            WindowsDownloads::TotalTimeoutMs))
        return std::nullopt;
    const Handle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    const Handle request(
        connection.get()
            ? WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr,
                                 WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                 parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0)
            : nullptr);
    if (!request.get() || !limitWait(request.get(), deadline) ||
        !WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !limitWait(request.get(), deadline) || !WinHttpReceiveResponse(request.get(), nullptr))
        return std::nullopt;
    DWORD status = 0, size = sizeof status;
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                             WINHTTP_NO_HEADER_INDEX) ||
        status >= 400)
        return std::nullopt;

    common::DownloadBody body;
    char chunk[8192];
    while (body.room() > 0) {
        DWORD read = 0;
        const DWORD wanted = DWORD(std::min<qsizetype>(sizeof chunk, body.room()));
        if (!limitWait(request.get(), deadline) ||
            !WinHttpReadData(request.get(), chunk, wanted, &read))
            return std::nullopt;
        if (read == 0)
            break;
        body.append(chunk, qsizetype(read));
    }
    return body;
}

} // namespace

WindowsDownloads::WindowsDownloads(WindowsFiles& files) : files_(files) {}

long WindowsDownloads::downloadToFile(const QString& url, const QString& windowsPath) {
    const QString native = files_.toNative(windowsPath);
    if (native.isEmpty())
        return WriteFault;
    const auto body = fetch(url);
    if (!body)
        return DownloadFailure;
    return body->commitTo(native) ? 0 : WriteFault;
}

} // namespace platform::windowsbackend
