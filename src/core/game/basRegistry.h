#pragma once
// Reading one registry value the way the start-up needs it.

#include "platform/registry.h"

#include <QVariant>

// The value as text (a string value, cut at its first NUL), as a 32-bit number (a DWORD
// value), or as the empty text (no key, no value, or any other type).
QVariant ReadRegistryValue(platform::RootKey root, const QString& keyPath,
                           const QString& valueName);
