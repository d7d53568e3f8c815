#pragma once
// The few plain keys the launchers write in their YAML files, read by a tolerant line reader:
// enough for Lutris's game files and Bottles' bottle.yml, without a YAML library.

#include <QByteArray>
#include <QString>

namespace launchers {

// A scalar of a YAML line "key: value": quotes removed, a trailing comment cut; null forms empty.
QString yamlScalar(QString text);

// The value of `key` directly under the top-level `section` of a YAML text (an empty section:
// top level), or empty.
QString yamlValue(const QByteArray& text, const QString& section, const QString& key);

} // namespace launchers
