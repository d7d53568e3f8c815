#include "platform/windows/windows_downloads.h"

#include "platform/common/download_body.h"
#include "platform/windows/wide.h"
#include "platform/windows/windows_files.h"

#include <QDeadlineTimer>
#include <QMutex>
#include <QWaitCondition>

#include <atomic>
#include <memory>
#include <optional>

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

// WinHTTP runs the request asynchronously and this thread waits for each step, up to the
// download's own deadline: WinHTTP's timeouts bound each step at best (Wine's receive timeout
// does not even hold while the response's head is awaited), and a page dripping a byte a
// second passes every one of them. What its callback reports lands here. The request handle
// holds a share: a step given up on may still complete into `buffer` until WinHTTP says the
// handle is closing, its last word.
class Exchange {
public:
    char buffer[8192];

    static void CALLBACK onStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID,
                                  DWORD length) {
        auto* exchange = reinterpret_cast<Exchange*>(context);
        if (!exchange)
            return;
        if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
            release(exchange);
            return;
        }
        const QMutexLocker lock(&exchange->mutex_);
        switch (status) {
        case WINHTTP_CALLBACK_STATUS_REQUEST_SENT:
            exchange->sent_ = true;
            break;
        case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
            exchange->bytes_ = length;
            [[fallthrough]];
        case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
        case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
            exchange->done_ = status;
            break;
        default:
            return;
        }
        exchange->changed_.wakeAll();
    }
    static void release(Exchange* exchange) {
        if (exchange->owners_.fetch_sub(1) == 1)
            delete exchange;
    }
    // The request handle's share, given once its callback is set.
    void share() { owners_.fetch_add(1); }

    // Before each asynchronous call: the last step's word forgotten.
    void expect() {
        const QMutexLocker lock(&mutex_);
        done_ = bytes_ = 0;
    }
    // Whether the step ended as `wanted` before the deadline; the bytes a read gave.
    bool await(DWORD wanted, const QDeadlineTimer& deadline, DWORD* bytes = nullptr) {
        QMutexLocker lock(&mutex_);
        while (done_ == 0)
            if (!changed_.wait(&mutex_, deadline))
                return false;
        if (bytes)
            *bytes = bytes_;
        return done_ == wanted;
    }
    // Whether the request went out (connected, and through TLS) before the deadline: some
    // WinHTTPs, Wine's, complete the sending only once the response's head is in.
    bool awaitSent(const QDeadlineTimer& deadline) {
        QMutexLocker lock(&mutex_);
        while (!sent_ && done_ == 0)
            if (!changed_.wait(&mutex_, deadline))
                return false;
        return sent_ || done_ == WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE;
    }

private:
    QMutex mutex_;
    QWaitCondition changed_;
    DWORD done_ = 0;
    DWORD bytes_ = 0;
    bool sent_ = false;
    std::atomic<int> owners_{1};
};

using ExchangeShare = std::unique_ptr<Exchange, decltype(&Exchange::release)>;

// The response's head, line by line, as the body's framing reads it.
bool readHead(HINTERNET request, common::DownloadBody& body) {
    DWORD status = 0, size = sizeof status;
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                             WINHTTP_NO_HEADER_INDEX) ||
        status >= 400)
        return false;
    size = 0;
    WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                        WINHTTP_NO_OUTPUT_BUFFER, &size, WINHTTP_NO_HEADER_INDEX);
    std::wstring head(size / sizeof(wchar_t) + 1, L'\0');
    size = DWORD(head.size() * sizeof(wchar_t));
    if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX,
                             head.data(), &size, WINHTTP_NO_HEADER_INDEX))
        return false;
    for (const QString& line :
         fromWide(head.data(), size / sizeof(wchar_t)).split(QStringLiteral("\r\n")))
        body.headerLine(line.toLatin1());
    return true;
}

std::optional<common::DownloadBody> fetch(const QString& url) {
    const QDeadlineTimer connected(WindowsDownloads::ConnectTimeoutMs);
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
                                     WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
    if (!session.get() ||
        !WinHttpSetTimeouts(session.get(), WindowsDownloads::ConnectTimeoutMs,
                            WindowsDownloads::ConnectTimeoutMs, WindowsDownloads::TotalTimeoutMs,
                            WindowsDownloads::TotalTimeoutMs))
        return std::nullopt;
    const Handle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    // Declared before the request, so that the request's handle closes first.
    const ExchangeShare exchange(new Exchange, &Exchange::release);
    const Handle request(
        connection.get()
            ? WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr,
                                 WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                 parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0)
            : nullptr);
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(exchange.get());
    if (!request.get() ||
        !WinHttpSetOption(request.get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context) ||
        WinHttpSetStatusCallback(request.get(), &Exchange::onStatus,
                                 WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS |
                                     WINHTTP_CALLBACK_FLAG_SEND_REQUEST |
                                     WINHTTP_CALLBACK_FLAG_HANDLES,
                                 0) == WINHTTP_INVALID_STATUS_CALLBACK)
        return std::nullopt;
    exchange->share();

    // The body ends where the server closes, as the Linux build reads it too.
    exchange->expect();
    if (!WinHttpSendRequest(request.get(), L"Connection: close", DWORD(-1), WINHTTP_NO_REQUEST_DATA,
                            0, 0, context) ||
        !exchange->awaitSent(connected) ||
        !exchange->await(WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE, deadline))
        return std::nullopt;
    exchange->expect();
    if (!WinHttpReceiveResponse(request.get(), nullptr) ||
        !exchange->await(WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE, deadline))
        return std::nullopt;
    common::DownloadBody body;
    if (!readHead(request.get(), body))
        return std::nullopt;
    for (;;) {
        DWORD read = 0;
        exchange->expect();
        if (!WinHttpReadData(request.get(), exchange->buffer,
                             DWORD(body.wanted(sizeof exchange->buffer)), nullptr) ||
            !exchange->await(WINHTTP_CALLBACK_STATUS_READ_COMPLETE, deadline, &read))
            return std::nullopt;
        if (read == 0)
            break;
        if (!body.append(exchange->buffer, qsizetype(read)))
            return std::nullopt;
    }
    return body.whole() ? std::optional(std::move(body)) : std::nullopt;
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
