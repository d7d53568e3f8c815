#include "platform/linux/game_prefix.h"

#include "platform/linux/regular_file.h"

#include <QDir>

#include <algorithm>
#include <functional>
#include <string_view>

namespace platform::linuxbackend {

namespace {

// The key the game's installer writes; the start-up reads its InstallDrive and InstallPath.
const QString GameKey =
    QStringLiteral("Software\\Bullfrog Productions Ltd\\Populous: The Beginning");

char foldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Whether the text holds the lower-case ASCII needle in any case; skips ahead as far as the
// needle is long, where lowering the whole text first would touch every byte twice.
bool containsFolded(const QByteArray& text, std::string_view needle) {
    struct Hash {
        std::size_t operator()(char c) const { return std::hash<char>()(foldAscii(c)); }
    };
    struct Equal {
        bool operator()(char a, char b) const { return foldAscii(a) == foldAscii(b); }
    };
    const std::boyer_moore_horspool_searcher searcher(needle.begin(), needle.end(), Hash(),
                                                      Equal());
    return std::search(text.begin(), text.end(), searcher) != text.end();
}

} // namespace

FoundPrefix findGamePrefix() {
    if (qEnvironmentVariableIsEmpty("WINEPREFIX")) {
        for (PrefixCandidate& candidate : launchers::prefixCandidates(
                 QDir::homePath(), QProcessEnvironment::systemEnvironment(), readRegularFile)) {
            // A hive holding the key names it on a section line (a link keeps its own name
            // too): a file without the name needs no parse, which is most of the time spent
            // with several large hives.
            const auto text = readRegularFile(candidate.root + QStringLiteral("/system.reg"),
                                              LinuxRegistry::MaxHiveSize);
            if (!text || !containsFolded(*text, "populous: the beginning"))
                continue;
            auto registry = std::make_unique<LinuxRegistry>(launchers::WinePrefix{candidate.root});
            if (registry->values(RootKey::LocalMachine, GameKey))
                return {std::move(candidate), std::move(registry)};
        }
    }
    return {{launchers::WinePrefix::fromEnvironment().root, {}}, nullptr};
}

} // namespace platform::linuxbackend
