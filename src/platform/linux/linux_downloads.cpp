#include "platform/linux/linux_downloads.h"

#include "buildconfig.h"
#include "platform/filesystem.h"

#include <QSaveFile>
#include <curl/curl.h>
#include <dlfcn.h>
#include <optional>

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
    Body body;
    const QByteArray address = url.toUtf8();
    lib->setopt(curl, CURLOPT_URL, address.constData());
    lib->setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    lib->setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    lib->setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    lib->setopt(curl, CURLOPT_MAXREDIRS, 10L);
    lib->setopt(curl, CURLOPT_FAILONERROR, 1L);
    lib->setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ConnectTimeoutMs);
    lib->setopt(curl, CURLOPT_TIMEOUT_MS, TotalTimeoutMs);
    lib->setopt(curl, CURLOPT_NOSIGNAL, 1L);
    lib->setopt(curl, CURLOPT_USERAGENT, UserAgent);
    lib->setopt(curl, CURLOPT_WRITEFUNCTION, keep);
    lib->setopt(curl, CURLOPT_WRITEDATA, &body);
    CURLcode result = lib->perform(curl);
    if (result == CURLE_WRITE_ERROR && body.cut)
        result = CURLE_OK;
    lib->cleanup(curl);
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
