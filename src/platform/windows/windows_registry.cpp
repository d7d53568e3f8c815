#include "platform/windows/windows_registry.h"

#include "platform/windows/wide.h"

#include <windows.h>

namespace platform::windowsbackend {

namespace {

HKEY rootHandle(RootKey root) {
    // The predefined handles are sign-extended 32-bit numbers; a plain cast would not be one.
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

// An open key, closed with the object.
class Key {
public:
    Key() = default;
    ~Key() {
        if (handle)
            RegCloseKey(handle);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY handle = nullptr;
};

// Every key is opened in the 32-bit view: the program was written as a 32-bit one and the
// game's installer is one, so HKLM\Software\... means Wow6432Node to both.
LONG open(RootKey root, const QString& path, REGSAM access, Key& key) {
    return RegOpenKeyExW(rootHandle(root), wide(path).c_str(), 0, access | KEY_WOW64_32KEY,
                         &key.handle);
}

} // namespace

std::optional<std::vector<RegEntry>> WindowsRegistry::values(RootKey root, const QString& path) {
    Key key;
    if (open(root, path, KEY_QUERY_VALUE, key) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD maxName = 0, maxData = 0;
    if (RegQueryInfoKeyA(key.handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &maxName, &maxData, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    std::vector<RegEntry> entries;
    QByteArray name(qsizetype(maxName) + 1, '\0'), data(qsizetype(maxData) + 1, '\0');
    for (DWORD index = 0;;) {
        DWORD nameSize = DWORD(name.size()), dataSize = DWORD(data.size()), type = 0;
        const LONG result = RegEnumValueA(key.handle, index, name.data(), &nameSize, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data.data()), &dataSize);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result == ERROR_MORE_DATA) {
            // Changed since it was measured: measure again and retry the same value.
            name.resize(name.size() * 2 + 256);
            data.resize(data.size() * 2 + 1024);
            continue;
        }
        if (result != ERROR_SUCCESS)
            return std::nullopt;
        entries.push_back(RegEntry{QString::fromLocal8Bit(name.constData(), nameSize), type,
                                   QByteArray(data.constData(), dataSize)});
        ++index;
    }
    return entries;
}

std::optional<QStringList> WindowsRegistry::subkeys(RootKey root, const QString& path) {
    Key key;
    if (open(root, path, KEY_ENUMERATE_SUB_KEYS, key) != ERROR_SUCCESS)
        return std::nullopt;
    QStringList names;
    wchar_t name[256]; // the longest key name the registry allows, with its NUL
    for (DWORD index = 0;; ++index) {
        DWORD size = DWORD(std::size(name));
        const LONG result =
            RegEnumKeyExW(key.handle, index, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS)
            return std::nullopt;
        names << fromWide(name, size);
    }
    return names;
}

long WindowsRegistry::setValue(RootKey root, const QString& path, const RegEntry& value) {
    Key key;
    const LONG created =
        RegCreateKeyExW(rootHandle(root), wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE | KEY_WOW64_32KEY, nullptr, &key.handle, nullptr);
    if (created != ERROR_SUCCESS)
        return created;
    const QByteArray name = value.name.toLocal8Bit();
    return RegSetValueExA(key.handle, value.name.isEmpty() ? nullptr : name.constData(), 0,
                          value.type, reinterpret_cast<const BYTE*>(value.data.constData()),
                          DWORD(value.data.size()));
}

long WindowsRegistry::deleteValue(RootKey root, const QString& path, const QString& name) {
    Key key;
    if (const LONG opened = open(root, path, KEY_SET_VALUE, key); opened != ERROR_SUCCESS)
        return opened;
    return RegDeleteValueW(key.handle, name.isEmpty() ? nullptr : wide(name).c_str());
}

} // namespace platform::windowsbackend
