#include "platform/linux/linux_downloads.h"

#include "platform/common/download_body.h"
#include "platform/filesystem.h"

#include <curl/curl.h>
#include <dlfcn.h>
#include <optional>

namespace platform::linuxbackend {

namespace {

struct Body {
    common::DownloadBody kept;
    bool cut = false;
};

size_t keep(char* data, size_t size, size_t count, void* user) {
    auto* body = static_cast<Body*>(user);
    if (!body->kept.append(data, static_cast<qsizetype>(size * count))) {
        // Enough: end the transfer with what fits (curl reports a write error for it).
        body->cut = true;
        return 0;
    }
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
    const QByteArray agent = common::userAgent().toUtf8();
    lib->setopt(curl, CURLOPT_URL, address.constData());
    lib->setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    lib->setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    lib->setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    lib->setopt(curl, CURLOPT_MAXREDIRS, 10L);
    lib->setopt(curl, CURLOPT_FAILONERROR, 1L);
    lib->setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, ConnectTimeoutMs);
    lib->setopt(curl, CURLOPT_TIMEOUT_MS, TotalTimeoutMs);
    lib->setopt(curl, CURLOPT_NOSIGNAL, 1L);
    lib->setopt(curl, CURLOPT_USERAGENT, agent.constData());
    lib->setopt(curl, CURLOPT_WRITEFUNCTION, keep);
    lib->setopt(curl, CURLOPT_WRITEDATA, &body);
    CURLcode result = lib->perform(curl);
    if (result == CURLE_WRITE_ERROR && body.cut)
        result = CURLE_OK;
    lib->cleanup(curl);
    if (result != CURLE_OK)
        return result;

    return body.kept.commitTo(native) ? CURLE_OK : CURLE_WRITE_ERROR;
}

} // namespace platform::linuxbackend
