#include "platform/linux/linux_downloads.h"

#include "buildconfig.h"
#include "platform/filesystem.h"

#include <QSaveFile>
#include <curl/curl.h>
#include <mutex>

namespace platform::linuxbackend {

namespace {

#define VELKOR_STR2(x) #x
#define VELKOR_STR(x) VELKOR_STR2(x)
constexpr const char* UserAgent = "Velkor/" VELKOR_STR(VELKOR_VERSION_MAJOR) "." VELKOR_STR(
    VELKOR_VERSION_MINOR) "." VELKOR_STR(VELKOR_VERSION_PATCH);

struct Body {
    QByteArray bytes;
    bool cut = false;
};

size_t keep(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<Body*>(user);
    const qsizetype room = LinuxDownloads::MaxBody - body->bytes.size();
    const qsizetype length = static_cast<qsizetype>(size * count);
    if (length > room) {
        // Enough: keep what fits and end the transfer (curl reports a write error for it).
        body->bytes.append(data, room);
        body->cut = true;
        return 0;
    }
    body->bytes.append(data, length);
    return size * count;
}

} // namespace

LinuxDownloads::LinuxDownloads(FileSystem& files) : files_(files) {}

long LinuxDownloads::downloadToFile(const QString& url, const QString& windowsPath) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });

    const QString native = files_.toNative(windowsPath);
    if (native.isEmpty())
        return CURLE_WRITE_ERROR;

    CURL* curl = curl_easy_init();
    if (!curl)
        return CURLE_FAILED_INIT;
    Body body;
    const QByteArray address = url.toUtf8();
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ConnectTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, TotalTimeoutMs);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, UserAgent);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keep);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    CURLcode result = curl_easy_perform(curl);
    if (result == CURLE_WRITE_ERROR && body.cut)
        result = CURLE_OK;
    curl_easy_cleanup(curl);
    if (result != CURLE_OK)
        return result;

    // Written aside and renamed into place, so a failed write leaves no partial file.
    QSaveFile file(native);
    if (!file.open(QIODevice::WriteOnly) || file.write(body.bytes) != body.bytes.size() ||
        !file.commit())
        return CURLE_WRITE_ERROR;
    return CURLE_OK;
}

} // namespace platform::linuxbackend
