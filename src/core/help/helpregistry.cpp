#include "core/help/helpregistry.h"

#include "core/win32/text.h"
#include "platform/platform.h"

#include <array>
#include <utility>

namespace helpregistry {

std::optional<platform::RootKey> RootKeyFromName(const QString& name) {
    using platform::RootKey;
    static constexpr std::array roots{
        std::pair{"HKCU", RootKey::CurrentUser},   std::pair{"HKLM", RootKey::LocalMachine},
        std::pair{"HKU", RootKey::Users},          std::pair{"HKDD", RootKey::DynData},
        std::pair{"HKCC", RootKey::CurrentConfig}, std::pair{"HKCR", RootKey::ClassesRoot},
    };
    const QString upper = name.toUpper();
    for (const auto& [rootName, key] : roots) {
        if (upper == QLatin1String(rootName))
            return key;
    }
    return std::nullopt;
}

RegistryValue QueryRegistryValue(platform::Registry& registry, const QString& rootName,
                                 const QString& key, QString& listing, const QString& valueName,
                                 const Environment& environment) {
    const auto root = RootKeyFromName(rootName);
    if (!root)
        return {};
    const auto values = registry.values(*root, key);
    if (!values)
        return {};
    RegistryValue found;
    for (const platform::RegEntry& value : *values) {
        if (value.type != platform::regtype::Sz && value.type != platform::regtype::ExpandSz)
            continue;
        if (value.name.compare(valueName, Qt::CaseInsensitive) != 0)
            continue;
        // The text as stored with exactly one terminating NUL, whether or not the stored bytes
        // end in one; anything after an inner NUL is kept, as a raw read would keep it.
        QByteArray bytes = value.data;
        if (!bytes.endsWith('\0'))
            bytes.append('\0');
        QString data = fromLocal8BitWithNuls(bytes);
        if (value.type == platform::regtype::ExpandSz) {
            data = ExpandEnvironmentStrings(TrimAtNull(data), environment);
            data.append(QChar(0));
        }
        listing += value.name + QLatin1Char('=') + data + QLatin1Char('\r');
        found = {valueName, listing};
        break;
    }
    listing += QLatin1Char('\r');
    if (listing.size() == 1)
        listing += QLatin1Char('\r');
    return found;
}

bool RegistryKeyExists(platform::Registry& registry, const QString& key) {
    return registry.subkeys(platform::RootKey::LocalMachine, key).has_value();
}

QString ExpandEnvironmentStrings(const QString& text, const Environment& environment) {
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('%'), i);
        if (open < 0)
            break;
        const qsizetype close = text.indexOf(QLatin1Char('%'), open + 1);
        if (close < 0)
            break;
        out += text.mid(i, open - i);
        const QString name = text.mid(open + 1, close - open - 1);
        const auto it =
            name.isEmpty() ? environment.constEnd() : environment.constFind(name.toUpper());
        // An unknown name is copied with its % signs, as Windows does.
        out += it != environment.constEnd() ? *it : text.mid(open, close - open + 1);
        i = close + 1;
    }
    out += text.mid(i);
    return out;
}

std::optional<QFileInfo> FindFile(const QString& windowsPath) {
    QString path = windowsPath;
    const bool unc = path.startsWith(QLatin1String("\\\\"));
    while (path.indexOf(QLatin1String("\\\\"), unc ? 2 : 0) >= 0)
        path.replace(path.indexOf(QLatin1String("\\\\"), unc ? 2 : 0), 2, QLatin1String("\\"));
    if (path.isEmpty())
        return std::nullopt;
    const QString native = platform::current().files->toNative(path);
    if (native.isEmpty())
        return std::nullopt;
    QFileInfo info(native);
    if (!info.exists())
        return std::nullopt;
    return info;
}

QString FileNamePart(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

} // namespace helpregistry
