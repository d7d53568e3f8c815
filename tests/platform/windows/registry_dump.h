#pragma once
// Registry subtrees through a backend, a line a key or value, sorted (tests/windows/registry.sh).

#include "core/help/helpregistry.h"
#include "core/win32/text.h"
#include "platform/registry.h"

#include <QFile>

namespace registrydump {

using namespace platform;

// Strings as text in the program's 8-bit encoding, NULs kept; other types as their bytes.
inline QString line(const QString& key, const RegEntry& value) {
    const bool text = value.type == regtype::Sz || value.type == regtype::ExpandSz ||
                      value.type == regtype::MultiSz;
    const QByteArray data = text ? fromLocal8BitWithNuls(value.data).toUtf8() : value.data;
    return key + QLatin1Char('\t') + value.name + QLatin1Char('\t') + QString::number(value.type) +
           QLatin1Char('\t') + QString::fromLatin1(data.toHex());
}

// A key ("HKLM\Software\X") and what lies below it.
inline void walk(Registry& registry, RootKey root, const QString& key, const QStringList& excluded,
                 QStringList& lines) {
    if (excluded.contains(key, Qt::CaseInsensitive))
        return;
    const QString path = key.section(QLatin1Char('\\'), 1);
    const auto values = registry.values(root, path);
    const auto subkeys = registry.subkeys(root, path);
    lines << (values && subkeys ? key : key + QStringLiteral("\t(missing)"));
    if (!values || !subkeys)
        return;
    for (const RegEntry& value : *values)
        lines << line(key, value);
    for (const QString& name : *subkeys)
        walk(registry, root, key + QLatin1Char('\\') + name, excluded, lines);
}

// The subtrees named (a leading '-' excludes a key and what lies below it) into the file.
inline bool dump(Registry& registry, const QStringList& keys, const QString& file) {
    QStringList subtrees, excluded, lines;
    for (const QString& key : keys)
        key.startsWith(QLatin1Char('-')) ? excluded << key.mid(1) : subtrees << key;
    for (const QString& key : subtrees) {
        const auto root = helpregistry::RootKeyFromName(key.section(QLatin1Char('\\'), 0, 0));
        if (!root)
            return false;
        walk(registry, *root, key, excluded, lines);
    }
    lines.sort();
    QFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write((lines.join('\n') + '\n').toUtf8()) > 0;
}

} // namespace registrydump
