#pragma once
// Wine's registry files (system.reg, user.reg, userdef.reg): a parser into a key tree
// (hive_parser.cpp over the line scanner of hive_scan.cpp), the key tree itself
// (registry_hive.cpp), and edits that rewrite a file keeping every line they do not concern
// byte for byte (hive_editor.cpp). Plain logic on bytes: no file access, safe on any input.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace wine {

struct HiveValue {
    QString name; // empty for the default value
    std::uint32_t type = 0;
    QByteArray data; // as Windows keeps it: UTF-16LE for the string forms, with their NULs
};

struct HiveKey {
    QString name;
    int parent = -1;
    bool link = false;             // "#link": its SymbolicLinkValue names another key
    std::vector<int> children;     // in file order
    std::vector<HiveValue> values; // in file order

    // Case-folded names for lookups; the hashes are filled once a key has many entries.
    QString folded;
    QHash<QString, int> childIndex;
    QHash<QString, int> valueIndex;
};

class Hive {
public:
    static constexpr int root = 0;

    Hive();

    bool win64 = false; // "#arch=win64"
    QString relativeTo; // the root the keys are relative to: "REGISTRY\Machine"

    const HiveKey& key(int index) const { return keys_[static_cast<std::size_t>(index)]; }
    int keyCount() const { return static_cast<int>(keys_.size()); }

    // The direct subkey of that name (any case); -1 when missing.
    int child(int parent, const QString& name) const;
    // The key at a path below the root, following symbolic links into this hive; -1 when
    // missing.
    int open(const QStringList& path) const;
    // The deepest existing key along a path (links followed) and the components left below it;
    // -1 for the key when the path runs into a link loop.
    std::pair<int, QStringList> openDeepest(const QStringList& path) const;
    // The names from the root down to the key, as spelled in the file.
    QStringList pathOf(int key) const;
    // A value of the key (any case); nullptr when missing.
    const HiveValue* value(int key, const QString& name) const;

    int addKey(int parent, const QString& name);
    void setValue(int key, HiveValue value);
    void markLink(int key) { keys_[static_cast<std::size_t>(key)].link = true; }

private:
    std::optional<QStringList> linkTarget(int key) const;

    std::vector<HiveKey> keys_;
};

// Never fails: a file that is not a registry file gives an empty hive, malformed lines are
// skipped as Wine skips them.
Hive parseHive(QByteArrayView text);
// Only the keys along the given paths (any case) with their values, read much faster than the
// whole file: what a few reads at start-up need. nullopt when one of those keys is a link, whose
// target may lie anywhere in the file. With no paths, only what precedes the first key: the
// options of the file (win64, relativeTo).
std::optional<Hive> parseHivePart(QByteArrayView text, const std::vector<QStringList>& paths);

// The text with the value stored in the key at `path` (names as they should be spelled in a
// new section); the key's section is added when missing. `fileTime` (100 ns since 1601) becomes
// the key's modification time, as Wine records it.
QByteArray hiveWithValue(QByteArrayView text, const QStringList& path, const HiveValue& value,
                         qint64 fileTime);
// The text without the value (every copy of it in the key's sections); nullopt when the key has
// no such value.
std::optional<QByteArray> hiveWithoutValue(QByteArrayView text, const QStringList& path,
                                           const QString& name, qint64 fileTime);

// One value as Wine writes it, with its line end (and continuation lines for long hex data).
QByteArray formatHiveValue(const HiveValue& value);
// A key path as Wine writes it between the brackets of a section line.
QByteArray formatHiveKeyPath(const QStringList& path);
// Now, in 100 ns units since 1601.
qint64 currentFileTime();

// Wine's string forms: the data of a string value for a text and back (cut at no NUL).
QByteArray utf16Data(const QString& text);
QString utf16Text(const QByteArray& data);

} // namespace wine
