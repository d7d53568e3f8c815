#pragma once
// Registry access as a 32-bit Windows program sees it.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace platform {

enum class RootKey : std::uint32_t {
    ClassesRoot = 0x80000000,
    CurrentUser = 0x80000001,
    LocalMachine = 0x80000002,
    Users = 0x80000003,
    CurrentConfig = 0x80000005,
    DynData = 0x80000006,
};

namespace regtype {
constexpr std::uint32_t None = 0, Sz = 1, ExpandSz = 2, Binary = 3, Dword = 4, MultiSz = 7;
}

// Windows error codes the registry calls answer with.
namespace winerror {
constexpr long Success = 0, FileNotFound = 2, PathNotFound = 3, AccessDenied = 5, InvalidName = 123,
               Busy = 170;
}

// One value of a key. For the string types the data is the text in the program's 8-bit
// encoding with its NUL bytes as stored (normally one terminating NUL), as the ANSI calls
// return it; for every other type the raw bytes.
struct RegEntry {
    QString name; // empty for the default value
    std::uint32_t type = regtype::None;
    QByteArray data;
};

class Registry {
public:
    virtual ~Registry() = default;
    // The key's values in stored order; nullopt when the key cannot be opened.
    virtual std::optional<std::vector<RegEntry>> values(RootKey root, const QString& path) = 0;
    // Names of the key's direct subkeys; nullopt when the key cannot be opened.
    virtual std::optional<QStringList> subkeys(RootKey root, const QString& path) = 0;
    // Creates the key when missing and stores the value; a Windows error code.
    virtual long setValue(RootKey root, const QString& path, const RegEntry& value) = 0;
    // Deletes one value; a Windows error code.
    virtual long deleteValue(RootKey root, const QString& path, const QString& name) = 0;
};

} // namespace platform
