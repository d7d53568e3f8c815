#pragma once
// Registry and path helpers of HTMLHelp's environment checks: root names, the value listing
// QueryRegistryValue builds, expandable strings, and file-name parts of Windows paths.

#include "core/win32/text.h"
#include "platform/registry.h"

#include <QFileInfo>
#include <QHash>
#include <QString>
#include <optional>

namespace helpregistry {

// "HKCU", "HKLM", "HKU", "HKDD", "HKCC", "HKCR" in any case; nullopt for any other name
// (also for the long forms such as "HKEY_LOCAL_MACHINE").
std::optional<platform::RootKey> RootKeyFromName(const QString& name);

// A value found by QueryRegistryValue: Name is the requested name, Data the listing text so
// far. Both empty when the value was not found.
struct RegistryValue {
    QString Name;
    QString Data;
};

// Environment variables by upper-case name, as ExpandEnvironmentStrings looks them up.
using Environment = QHash<QString, QString>;

// Finds the string value (REG_SZ or REG_EXPAND_SZ) `valueName` (case ignored) of root `rootName`
// and `key`. A found value appends name + "=" + data + CR to `listing`, the data keeping its
// terminating NUL (an expandable string is expanded first); then one CR is appended, two when
// the listing is then a single character long.
RegistryValue QueryRegistryValue(platform::Registry& registry, const QString& rootName,
                                 const QString& key, QString& listing, const QString& valueName,
                                 const Environment& environment);

// Whether HKEY_LOCAL_MACHINE\key can be opened.
bool RegistryKeyExists(platform::Registry& registry, const QString& key);

// Replaces each %NAME% whose name (case ignored) is in the environment by its value; unknown
// names and a lone % stay as written, as ExpandEnvironmentStrings does.
QString ExpandEnvironmentStrings(const QString& text, const Environment& environment);

// What a file search (FindFirstFile) reports for a plain name: the native file, when there is
// one. Doubled backslashes inside a path are accepted as Windows accepts them.
std::optional<QFileInfo> FindFile(const QString& windowsPath);

// What remains of a path after dropping everything up to each "\": "C:\Docs\guide.chm" gives
// "guide.chm".
QString FileNamePart(const QString& path);

} // namespace helpregistry
