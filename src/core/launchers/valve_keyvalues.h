#pragma once
// Valve's text key-value format, as Steam writes libraryfolders.vdf and appmanifest_*.acf:
// quoted keys, each followed by a quoted value or a { } block of more pairs.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace launchers {

struct KeyValue {
    QString key;
    QString value;                  // empty for a block
    std::vector<KeyValue> children; // a block's pairs, in file order
    bool isBlock = false;

    // The first direct child named `name` (without regard to case, as Steam reads them).
    const KeyValue* child(const QString& name) const;
};

// The pairs at the top of the text; nullopt when it is not this format or nests deeper than
// Steam's files ever do. Tolerates // comments and unquoted tokens, as Steam's own reader does.
std::optional<std::vector<KeyValue>> parseKeyValues(const QByteArray& text);

} // namespace launchers
