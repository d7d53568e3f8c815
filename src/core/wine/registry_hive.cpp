#include "core/wine/registry_hive.h"

#include "core/wine/hive_scan.h"

namespace wine {

using scan::fold;
using scan::samePath;

namespace {

constexpr int maxLinkHops = 16;
constexpr std::size_t indexAt = 8; // entries before a key gets a hash index

// A value set again keeps the name as first spelled, as Wine does.
void replaceData(HiveValue& existing, HiveValue&& value) {
    existing.type = value.type;
    existing.data = std::move(value.data);
}

} // namespace

QByteArray utf16Data(const QString& text) {
    QByteArray data(text.size() * 2, Qt::Uninitialized);
    char* out = data.data();
    for (const QChar c : text) {
        *out++ = static_cast<char>(c.unicode() & 0xFF);
        *out++ = static_cast<char>(c.unicode() >> 8);
    }
    return data;
}

QString utf16Text(const QByteArray& data) {
    QString text;
    text.reserve(data.size() / 2);
    for (qsizetype i = 0; i + 1 < data.size(); i += 2)
        text += QChar(static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                            (static_cast<unsigned char>(data[i + 1]) << 8)));
    return text;
}

Hive::Hive() {
    keys_.emplace_back();
}

int Hive::child(int parent, const QString& name) const {
    const HiveKey& key = keys_[std::size_t(parent)];
    if (!key.childIndex.isEmpty())
        return key.childIndex.value(fold(name), -1);
    for (const int index : key.children)
        if (keys_[std::size_t(index)].name.compare(name, Qt::CaseInsensitive) == 0)
            return index;
    return -1;
}

int Hive::addKey(int parent, const QString& name) {
    if (const int existing = child(parent, name); existing >= 0)
        return existing;
    const int index = keyCount();
    HiveKey key;
    key.name = name;
    key.folded = fold(name);
    key.parent = parent;
    keys_.push_back(std::move(key));
    HiveKey& owner = keys_[std::size_t(parent)];
    owner.children.push_back(index);
    if (!owner.childIndex.isEmpty()) {
        owner.childIndex.insert(keys_.back().folded, index);
    } else if (owner.children.size() >= indexAt) {
        for (const int c : owner.children)
            owner.childIndex.insert(keys_[std::size_t(c)].folded, c);
    }
    return index;
}

const HiveValue* Hive::value(int key, const QString& name) const {
    const HiveKey& owner = keys_[std::size_t(key)];
    if (!owner.valueIndex.isEmpty()) {
        const int index = owner.valueIndex.value(fold(name), -1);
        return index < 0 ? nullptr : &owner.values[std::size_t(index)];
    }
    for (const HiveValue& value : owner.values)
        if (value.name.compare(name, Qt::CaseInsensitive) == 0)
            return &value;
    return nullptr;
}

void Hive::setValue(int key, HiveValue value) {
    HiveKey& owner = keys_[std::size_t(key)];
    if (!owner.valueIndex.isEmpty()) {
        const QString folded = fold(value.name);
        const auto it = owner.valueIndex.constFind(folded);
        if (it != owner.valueIndex.constEnd()) {
            replaceData(owner.values[std::size_t(*it)], std::move(value));
            return;
        }
    } else {
        for (HiveValue& existing : owner.values) {
            if (existing.name.compare(value.name, Qt::CaseInsensitive) == 0) {
                replaceData(existing, std::move(value));
                return;
            }
        }
    }
    owner.values.push_back(std::move(value));
    if (!owner.valueIndex.isEmpty()) {
        owner.valueIndex.insert(fold(owner.values.back().name), int(owner.values.size() - 1));
    } else if (owner.values.size() >= indexAt) {
        for (std::size_t i = 0; i < owner.values.size(); ++i)
            owner.valueIndex.insert(fold(owner.values[i].name), int(i));
    }
}

std::optional<QStringList> Hive::linkTarget(int key) const {
    if (!keys_[std::size_t(key)].link || relativeTo.isEmpty())
        return std::nullopt;
    const HiveValue* target = value(key, QStringLiteral("SymbolicLinkValue"));
    if (!target || target->type != 6)
        return std::nullopt;
    QStringList parts = utf16Text(target->data).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    const QStringList base = relativeTo.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (parts.size() < base.size() || !samePath(parts.mid(0, base.size()), base))
        return std::nullopt; // a link into another hive
    return parts.mid(base.size());
}

std::pair<int, QStringList> Hive::openDeepest(const QStringList& path) const {
    QStringList todo = path;
    int key = root;
    int hops = 0;
    qsizetype i = 0;
    while (i < todo.size()) {
        const int next = child(key, todo[i]);
        if (next < 0)
            break;
        key = next;
        ++i;
        if (const auto target = linkTarget(key)) {
            // A loop or an endless chain leads nowhere; a write below it would be lost.
            if (++hops > maxLinkHops)
                return {-1, todo.mid(i)};
            todo = *target + todo.mid(i);
            key = root;
            i = 0;
        }
    }
    return {key, todo.mid(i)};
}

int Hive::open(const QStringList& path) const {
    const auto [key, rest] = openDeepest(path);
    return rest.isEmpty() ? key : -1;
}

QStringList Hive::pathOf(int key) const {
    QStringList path;
    for (; key > root; key = keys_[std::size_t(key)].parent)
        path.prepend(keys_[std::size_t(key)].name);
    return path;
}

} // namespace wine
