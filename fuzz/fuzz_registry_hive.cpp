// Wine's registry files: any bytes through the parser, the keys along one path read alone as the
// whole tree reads them, then one value written into a key (an existing one, picked by the
// input, or a new one) and removed again. The written value must read back exactly, every other
// value must read as before, and the removal must leave no copy.
//
// Input: the hive text, with its last bytes (when there are enough) choosing the key, the value
// name, the type and the data.

#include "core/wine/registry_hive.h"

#include <cstdio>
#include <cstdlib>
#include <fuzzer/FuzzedDataProvider.h>

using namespace wine;

namespace {

QString context;    // the key and value being written, for the report
QByteArray written; // the text after the write, kept for the report

void require(bool condition, const char* what) {
    if (!condition) {
        // NULs written out so that the report shows the whole context.
        const QByteArray shown = context.toUtf8().replace('\0', "\\0");
        std::fprintf(stderr, "fuzz_registry_hive: %s (%s)\n", what, shown.constData());
        // VELKOR_FUZZ_DUMP names a file for the written text, to see what went wrong.
        if (const char* dump = std::getenv("VELKOR_FUZZ_DUMP"))
            if (FILE* out = std::fopen(dump, "wb")) {
                std::fwrite(written.constData(), 1, static_cast<std::size_t>(written.size()), out);
                std::fclose(out);
            }
        std::abort();
    }
}

constexpr qint64 FileTime = 0x01D8000000000000;

// Characters that stress the escapes: quotes, backslashes, brackets, control and wide ones.
QString textFrom(std::uint64_t bits) {
    static const char16_t alphabet[16] = {u'a',    u'"',    u'\\',     u'[', u']',      u'\n',
                                          u'\0',   u'\t',   u'=',      u' ', u'\u00e9', u'\u4e2d',
                                          u'\x7f', u'\x1b', u'\xd83d', u'Z'};
    QString text;
    for (int i = 0; i < 12 && bits != 0; ++i, bits >>= 4)
        text += QChar(alphabet[bits & 15]);
    return text;
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

void checkTree(const Hive& hive) {
    for (int k = 0; k < hive.keyCount(); ++k) {
        const HiveKey& key = hive.key(k);
        require(k == Hive::root || (key.parent >= 0 && key.parent < k), "a key's parent");
        for (int child : key.children)
            require(child > 0 && child < hive.keyCount() && hive.key(child).parent == k,
                    "a key's children");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const auto keyChoice = provider.ConsumeIntegral<std::uint16_t>();
    const auto nameChoice = provider.ConsumeIntegral<std::uint8_t>();
    const auto typeChoice = provider.ConsumeIntegral<std::uint8_t>();
    const auto payload = provider.ConsumeIntegral<std::uint64_t>();
    const std::string rest = provider.ConsumeRemainingBytesAsString();
    const QByteArray text(rest.data(), static_cast<qsizetype>(rest.size()));

    const Hive before = parseHive(text);
    checkTree(before);
    // Edits are for registry files; anything else only has to parse.
    QByteArray header = text.left(text.indexOf('\n'));
    if (header.endsWith('\r'))
        header.chop(1);
    if (header != "WINE REGISTRY Version 2")
        return 0;

    // The key: an existing one, or one the file does not have.
    QStringList path{QStringLiteral("Software"), QStringLiteral("Velkor Fuzz")};
    if (before.keyCount() > 1 && keyChoice % 4 != 0)
        path = before.pathOf(1 + keyChoice % (before.keyCount() - 1));
    // Links are followed the way the registry backend follows them before it writes.
    if (const int resolved = before.open(path); resolved >= 0) {
        path = before.pathOf(resolved);
    } else {
        const auto [deepest, unmatched] = before.openDeepest(path);
        if (deepest < 0)
            return 0; // a link loop: the backend refuses the write
        path = before.pathOf(deepest) + unmatched;
    }
    // A read of only the keys along the path answers as the whole tree does.
    if (const auto part = parseHivePart(text, {path})) {
        require(part->win64 == before.win64 && part->relativeTo == before.relativeTo,
                "a partial read gives other options");
        const int whole = before.open(path), partial = part->open(path);
        require((whole < 0) == (partial < 0), "a partial read finds another key");
        if (whole >= 0) {
            const auto& expected = before.key(whole).values;
            const auto& got = part->key(partial).values;
            require(expected.size() == got.size(), "a partial read finds other values");
            for (std::size_t i = 0; i < got.size(); ++i)
                require(got[i].name == expected[i].name && got[i].type == expected[i].type &&
                            got[i].data == expected[i].data,
                        "a partial read finds other values");
        }
    }

    // The root itself (a link may lead there) takes no values: the backend refuses it.
    if (path.isEmpty())
        return 0;
    // Wine drops a name's last NUL when it writes a section, so such a key cannot be written
    // back under its own name, by Wine or by us.
    for (const QString& component : path)
        if (component.isEmpty() || component.endsWith(QChar(0)))
            return 0;

    HiveValue value;
    const int target = before.open(path);
    if (target >= 0 && !before.key(target).values.empty() && nameChoice % 2 == 0)
        value.name =
            before.key(target).values[nameChoice / 2 % before.key(target).values.size()].name;
    else
        value.name = textFrom(payload >> 16).remove(QChar(0));
    const std::uint32_t types[] = {1, 2, 3, 4, 7, 0, 11, 0x1234};
    value.type = types[typeChoice % 8];
    if (typeChoice & 8) // raw bytes, whatever the type
        value.data = QByteArray(reinterpret_cast<const char*>(&payload), (typeChoice >> 4) % 9);
    else if (value.type == 1 || value.type == 2 || value.type == 7)
        value.data = utf16Data(textFrom(payload) + QChar(0));
    else
        value.data = QByteArray(reinterpret_cast<const char*>(&payload), value.type == 4 ? 4 : 8);

    context = QStringLiteral("[%1] \"%2\" type %3")
                  .arg(path.join(QStringLiteral("\\\\")), value.name)
                  .arg(value.type);
    written = hiveWithValue(text, path, value, FileTime);
    const Hive after = parseHive(written);
    checkTree(after);
    const int key = after.open(path);
    require(key >= 0, "the written key is missing");
    const HiveValue* stored = after.value(key, value.name);
    require(stored != nullptr, "the written value is missing");
    require(stored->type == value.type, "the written value's type differs");
    require(stored->data == value.data, "the written value's data differs");

    // Every other value reads as it did.
    for (int k = 0; k < before.keyCount(); ++k) {
        const QStringList keyPath = before.pathOf(k);
        const int old = before.open(keyPath);
        const int now = after.open(keyPath);
        if (old < 0)
            continue;
        require(now >= 0, "a key disappeared");
        const bool edited = old == target && target >= 0;
        for (const HiveValue& v : before.key(old).values) {
            if (edited && sameName(v.name, value.name))
                continue;
            const HiveValue* kept = after.value(now, v.name);
            require(kept && kept->type == v.type && kept->data == v.data, "another value changed");
        }
    }

    const auto removed = hiveWithoutValue(written, path, value.name, FileTime);
    require(removed.has_value(), "the written value cannot be removed");
    const Hive cleared = parseHive(*removed);
    const int clearedKey = cleared.open(path);
    require(clearedKey < 0 || cleared.value(clearedKey, value.name) == nullptr,
            "a copy of the removed value is left");
    if (target < 0 || !before.value(target, value.name))
        require(!hiveWithoutValue(text, path, value.name, FileTime),
                "removed a value that was not there");
    return 0;
}
