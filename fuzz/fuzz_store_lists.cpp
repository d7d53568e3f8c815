// The stores' lists of what they installed: Steam's key-value files and Heroic's installed.json.
// Any bytes must read without fault; what a library list or a manifest gives is only ever a
// folder below a library, never a path that climbs out of it.

#include "core/launchers/store_installs.h"
#include "core/launchers/valve_keyvalues.h"

#include <QDir>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_store_lists: %s\n", what);
        std::abort();
    }
}

int depth(const std::vector<launchers::KeyValue>& pairs) {
    int deepest = 0;
    for (const launchers::KeyValue& pair : pairs)
        deepest = std::max(deepest, pair.isBlock ? 1 + depth(pair.children) : 0);
    return deepest;
}

// Every file Steam keeps holds the same bytes; there are no folders.
struct SameBytes : platform::HostFiles {
    explicit SameBytes(const QByteArray& bytes) : bytes(bytes) {}
    std::optional<QByteArray> read(const QString&, qint64 limit) override {
        return bytes.size() <= limit ? std::optional(bytes) : std::nullopt;
    }
    QStringList list(const QString&, Entries, int, int*) override { return {}; }
    bool isFolder(const QString&) override { return false; }
    bool exists(const QString&) override { return false; }
    QString canonical(const QString&) override { return {}; }
    std::unique_ptr<platform::HeldFile> hold(const QString&, qint64) override { return nullptr; }
    QString inPrefix(const QString&, const QString&) override { return {}; }
    const QByteArray& bytes;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto pairs = launchers::parseKeyValues(bytes))
        require(depth(*pairs) < 16, "nested deeper than the bound");
    launchers::heroicInstalls(bytes);

    // The same bytes as every file Steam keeps: a library's game folder stays below it.
    SameBytes host(bytes);
    const QString library = QStringLiteral("/steam");
    launchers::steamLibraries(library, host);
    const QString game = launchers::steamGameFolder(library, host);
    require(game.isEmpty() ||
                QDir::cleanPath(game).startsWith(QStringLiteral("/steam/steamapps/common/")),
            "a game folder outside its library");
    return 0;
}
