#include "platform/linux/linux_downloads.h"

#include "platform/common/download_body.h"
#include "platform/filesystem.h"

#include <QDeadlineTimer>

#include <curl/curl.h>
#include <dlfcn.h>
#include <optional>

namespace platform::linuxbackend {

namespace {

// What one transfer keeps, and the deadline of its own that it ends by, whatever the server
// or libcurl's timers do.
struct Transfer {
    common::DownloadBody body;
    QDeadlineTimer deadline{Downloads::TotalTimeoutMs};
};

size_t keep(char* data, size_t size, size_t count, void* user) {
    // Past the bound the body is no answer: end the transfer (curl reports a write error).
    return static_cast<Transfer*>(user)->body.append(data, qsizetype(size * count)) ? size * count
                                                                                    : 0;
}

size_t keepHeader(char* data, size_t size, size_t count, void* user) {
    static_cast<Transfer*>(user)->body.headerLine(QByteArrayView(data, qsizetype(size * count)));
    return size * count;
}

int keepTime(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(user)->deadline.hasExpired() ? 1 : 0;
}

// libcurl is loaded by the first download, not at start: with it come a TLS stack and a dozen
// more libraries that every start would otherwise load and keep in memory.
struct Curl {
    decltype(&curl_easy_init) init = nullptr;
    decltype(&curl_easy_setopt) setopt = nullptr;
    decltype(&curl_easy_perform) perform = nullptr;
    decltype(&curl_easy_cleanup) cleanup = nullptr;
};

template <typename Function> bool resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

const Curl* loadCurl() {
    static const std::optional<Curl> loaded = []() -> std::optional<Curl> {
        void* library = nullptr;
        for (const char* name : {"libcurl.so.4", "libcurl-gnutls.so.4"})
            if ((library = dlopen(name, RTLD_NOW | RTLD_LOCAL)))
                break;
        Curl curl;
        decltype(&curl_global_init) globalInit = nullptr;
        if (!library || !resolve(library, "curl_global_init", globalInit) ||
            !resolve(library, "curl_easy_init", curl.init) ||
            !resolve(library, "curl_easy_setopt", curl.setopt) ||
            !resolve(library, "curl_easy_perform", curl.perform) ||
            !resolve(library, "curl_easy_cleanup", curl.cleanup) ||
            globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            return std::nullopt;
        return curl;
    }();
    return loaded ? &*loaded : nullptr;
}

} // namespace

LinuxDownloads::LinuxDownloads(FileSystem& files) : files_(files) {}

long LinuxDownloads::downloadToFile(const QString& url, const QString& windowsPath) {
    const Curl* lib = loadCurl();
    if (!lib)
        return CURLE_FAILED_INIT;

    const QString native = files_.toNative(windowsPath);
    if (native.isEmpty())
        return CURLE_WRITE_ERROR;

    CURL* curl = lib->init();
    if (!curl)
        return CURLE_FAILED_INIT;
    Transfer transfer;
    const QByteArray address = url.toUtf8();
    const QByteArray agent = common::userAgent().toUtf8();
    // The body ends where the server closes, as WinHTTP's reader sees it too; Content-Length is
    // checked against what came (DownloadBody::whole), so a body cut short or running past it
    // is no answer.
    curl_slist close{const_cast<char*>("Connection: close"), nullptr};
    lib->setopt(curl, CURLOPT_URL, address.constData());
    lib->setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    lib->setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    lib->setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    lib->setopt(curl, CURLOPT_MAXREDIRS, 10L);
    lib->setopt(curl, CURLOPT_FAILONERROR, 1L);
    lib->setopt(curl, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    lib->setopt(curl, CURLOPT_HTTPHEADER, &close);
    lib->setopt(curl, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
    lib->setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ConnectTimeoutMs);
    lib->setopt(curl, CURLOPT_TIMEOUT_MS, TotalTimeoutMs);
    lib->setopt(curl, CURLOPT_NOSIGNAL, 1L);
    lib->setopt(curl, CURLOPT_NOPROGRESS, 0L);
    lib->setopt(curl, CURLOPT_XFERINFOFUNCTION, keepTime);
    lib->setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    lib->setopt(curl, CURLOPT_USERAGENT, agent.constData());
    lib->setopt(curl, CURLOPT_WRITEFUNCTION, keep);
    lib->setopt(curl, CURLOPT_WRITEDATA, &transfer);
    lib->setopt(curl, CURLOPT_HEADERFUNCTION, keepHeader);
    lib->setopt(curl, CURLOPT_HEADERDATA, &transfer);
    const CURLcode result = lib->perform(curl);
    lib->cleanup(curl);
    if (result != CURLE_OK)
        return result;
    if (!transfer.body.whole())
        return CURLE_PARTIAL_FILE;
    return transfer.body.commitTo(native) ? CURLE_OK : CURLE_WRITE_ERROR;
}

} // namespace platform::linuxbackend
