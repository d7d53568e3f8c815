#include "core/game/basRegistry.h"

#include "core/win32/text.h"
#include "platform/platform.h"

#include <QtEndian>

QVariant ReadRegistryValue(platform::RootKey root, const QString& keyPath,
                           const QString& valueName) {
    const QString empty;
    const auto values = platform::current().registry->values(root, keyPath);
    if (!values)
        return empty;
    for (const platform::RegEntry& value : *values) {
        if (value.name.compare(valueName, Qt::CaseInsensitive) != 0)
            continue;
        if (value.type == platform::regtype::Sz) {
            return QString::fromLocal8Bit(TrimAtNull(value.data));
        }
        if (value.type == platform::regtype::Dword) {
            if (value.data.size() < 4)
                return empty;
            return qFromLittleEndian<qint32>(value.data.constData());
        }
        return empty;
    }
    return empty;
}
