#include "core/wine/prefix_registry.h"

namespace wine {

using namespace platform;

namespace {

bool isStringType(std::uint32_t type) {
    return type == regtype::Sz || type == regtype::ExpandSz || type == regtype::MultiSz;
}

bool is(const QString& name, QLatin1String expected) {
    return name.compare(expected, Qt::CaseInsensitive) == 0;
}

} // namespace

PrefixRegistry::Cached& PrefixRegistry::cached(HiveFile file) {
    // What was read from a file holds until it changes (Wine replaces it by a rename, so the
    // inode changes too).
    Cached& entry = cache_[file];
    const QByteArray now = stamp(file);
    if (entry.stamp != now || entry.stamp.isEmpty())
        entry = Cached{now, {}, {}};
    return entry;
}

QByteArray PrefixRegistry::textOf(const Cached& entry, HiveFile file) {
    // A file that is refused (no regular file, or larger than any hive) is an empty registry.
    if (entry.stamp.isEmpty())
        return {};
    return text(file).value_or(QByteArray());
}

std::shared_ptr<const Hive> PrefixRegistry::hive(HiveFile file) {
    Cached& entry = cached(file);
    if (!entry.whole) {
        entry.whole = std::make_shared<const Hive>(parseHive(textOf(entry, file)));
        ++parses_;
    }
    return entry.whole;
}

std::shared_ptr<const Hive> PrefixRegistry::hiveFor(const Location& location) {
    // The keys along the paths only, unless the whole tree is at hand or a link is in the way:
    // most reads are a few values of one key, and the whole system.reg takes long to build.
    Cached& entry = cached(location.file);
    if (entry.whole)
        return entry.whole;
    QString paths;
    for (const QStringList& candidate : location.candidates)
        paths += candidate.join(QLatin1Char('\\')).toCaseFolded() + QLatin1Char('\n');
    if (const auto part = entry.parts.constFind(paths); part != entry.parts.constEnd())
        return *part;
    const QByteArray bytes = textOf(entry, location.file);
    ++parses_;
    if (auto part = parseHivePart(bytes, location.candidates))
        return entry.parts[paths] = std::make_shared<const Hive>(std::move(*part));
    entry.whole = std::make_shared<const Hive>(parseHive(bytes));
    return entry.whole;
}

std::optional<PrefixRegistry::Location> PrefixRegistry::locate(RootKey root, const QString& path,
                                                               View view) {
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    Location location;
    QStringList base;
    switch (root) {
    case RootKey::LocalMachine:
        break;
    case RootKey::ClassesRoot:
        base = {QStringLiteral("Software"), QStringLiteral("Classes")};
        break;
    case RootKey::CurrentUser:
        location.file = User;
        break;
    case RootKey::CurrentConfig:
        base = {QStringLiteral("System"), QStringLiteral("CurrentControlSet"),
                QStringLiteral("Hardware Profiles"), QStringLiteral("Current")};
        break;
    case RootKey::Users: {
        if (parts.isEmpty())
            return std::nullopt;
        const QString user = parts.takeFirst();
        if (is(user, QLatin1String(".Default"))) {
            location.file = UserDefault;
        } else {
            location.file = User;
            location.user = user;
        }
        break;
    }
    default:
        return std::nullopt;
    }

    // A 32-bit program in a 64-bit prefix sees HKLM\Software\X (and the classes) through
    // Wow6432Node, where 32-bit installers write.
    const QStringList plain = base + parts;
    if (view == View::Program && location.file == System) {
        const QString wow = QStringLiteral("Wow6432Node");
        if (root == RootKey::ClassesRoot && !parts.isEmpty() &&
            !is(parts[0], QLatin1String("Wow6432Node")))
            location.candidates.push_back(base + QStringList{wow} + parts);
        else if (root == RootKey::LocalMachine && parts.size() >= 2 &&
                 is(parts[0], QLatin1String("Software")) &&
                 !is(parts[1], QLatin1String("Wow6432Node")))
            location.candidates.push_back(QStringList{parts[0], wow} + parts.mid(1));
        location.wowFirst = !location.candidates.empty();
    }
    location.candidates.push_back(plain);
    return location;
}

std::vector<QStringList> PrefixRegistry::paths(const Hive& hive, const Location& location) {
    // The user's own hive answers to its SID ("REGISTRY\User\S-1-5-21-...").
    if (!location.user.isEmpty() &&
        (hive.relativeTo.isEmpty() || hive.relativeTo.section(QLatin1Char('\\'), -1)
                                              .compare(location.user, Qt::CaseInsensitive) != 0))
        return {};
    // The 32-bit view exists in a 64-bit prefix only, and there it is the only one: what
    // Wow6432Node lacks is missing, as Wine answers (the keys both views share are links).
    if (location.wowFirst)
        return {hive.win64 ? location.candidates.front() : location.candidates.back()};
    return location.candidates;
}

int PrefixRegistry::open(const Hive& hive, const Location& location) const {
    for (const QStringList& candidate : paths(hive, location))
        if (const int key = hive.open(candidate); key >= 0)
            return key;
    return -1;
}

std::optional<std::vector<RegEntry>> PrefixRegistry::values(RootKey root, const QString& path) {
    return values(root, path, View::Program);
}

std::optional<std::vector<RegEntry>> PrefixRegistry::values(RootKey root, const QString& path,
                                                            View view) {
    const auto location = locate(root, path, view);
    if (!location)
        return std::nullopt;
    const auto tree = hiveFor(*location);
    const int key = open(*tree, *location);
    if (key < 0)
        return std::nullopt;
    std::vector<RegEntry> entries;
    for (const HiveValue& value : tree->key(key).values) {
        // As the ANSI calls answer: strings in the program's 8-bit encoding, NULs kept.
        entries.push_back(
            RegEntry{value.name, value.type,
                     isStringType(value.type) ? utf16Text(value.data).toLocal8Bit() : value.data});
    }
    return entries;
}

std::optional<QStringList> PrefixRegistry::subkeys(RootKey root, const QString& path) {
    const auto location = locate(root, path);
    if (!location)
        return std::nullopt;
    const auto tree = hive(location->file);
    const int key = open(*tree, *location);
    if (key < 0)
        return std::nullopt;
    QStringList names;
    for (const int child : tree->key(key).children)
        names << tree->key(child).name;
    return names;
}

long PrefixRegistry::prepareWrite(RootKey root, const QString& path, PendingWrite& write) {
    const auto found = locate(root, path);
    if (!found)
        return winerror::FileNotFound;
    write.location = *found;
    // No registry file: the prefix was never set up by Wine, and a file of ours would not
    // make one.
    const QByteArray before = stamp(write.location.file);
    if (before.isEmpty())
        return winerror::FileNotFound;
    if (busy())
        return winerror::Busy;
    // A hive that reads as empty because it was refused must not be replaced by a new one.
    auto read = text(write.location.file);
    if (!read)
        return winerror::AccessDenied;
    write.text = std::move(*read);
    // The tree of what was read: the cached one when the file stayed as it was, else built from
    // the text in hand (and kept, if the file did not change meanwhile).
    Cached& entry = cached(write.location.file);
    if (entry.stamp == before && entry.whole) {
        write.tree = entry.whole;
        return winerror::Success;
    }
    write.tree = std::make_shared<const Hive>(parseHive(write.text));
    ++parses_;
    if (entry.stamp == before)
        entry.whole = write.tree;
    return winerror::Success;
}

long PrefixRegistry::rewrite(HiveFile file, const QByteArray& text) {
    if (!replace(file, text))
        return winerror::AccessDenied;
    cache_[file] = {};
    return winerror::Success;
}

long PrefixRegistry::setValue(RootKey root, const QString& path, const RegEntry& value) {
    PendingWrite write;
    if (const long error = prepareWrite(root, path, write))
        return error;
    const Hive& tree = *write.tree;
    // An existing key wherever a read finds it; a new one where the first place looked, its
    // existing part taken as spelled (and through its links).
    QStringList target;
    if (const int key = open(tree, write.location); key >= 0) {
        target = tree.pathOf(key);
    } else {
        const auto candidates = paths(tree, write.location);
        if (candidates.empty())
            return winerror::FileNotFound;
        const auto [deepest, rest] = tree.openDeepest(candidates.front());
        if (deepest < 0)
            return winerror::AccessDenied;
        target = tree.pathOf(deepest) + rest;
    }
    if (target.isEmpty())
        return winerror::AccessDenied;
    HiveValue stored{value.name, value.type,
                     isStringType(value.type) ? utf16Data(QString::fromLocal8Bit(value.data))
                                              : value.data};
    return rewrite(write.location.file,
                   hiveWithValue(write.text, target, stored, currentFileTime()));
}

long PrefixRegistry::deleteValue(RootKey root, const QString& path, const QString& name) {
    PendingWrite write;
    if (const long error = prepareWrite(root, path, write))
        return error;
    const int key = open(*write.tree, write.location);
    if (key < 0)
        return winerror::FileNotFound;
    const auto changed =
        hiveWithoutValue(write.text, write.tree->pathOf(key), name, currentFileTime());
    if (!changed)
        return winerror::FileNotFound;
    return rewrite(write.location.file, *changed);
}

} // namespace wine
