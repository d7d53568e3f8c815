#pragma once
// The registry of a Wine prefix as its hive files hold it: HKLM is system.reg, HKCU user.reg,
// HKU\.Default userdef.reg, HKCR HKLM\Software\Classes. A 32-bit program in a 64-bit prefix
// sees HKLM\Software through Wow6432Node. What the files are and how they change is the
// subclass's: it gives their texts and stamps, and writes them.

#include "core/wine/registry_hive.h"
#include "platform/registry.h"

#include <QHash>
#include <memory>

namespace wine {

// A fresh prefix's system.reg is under 2 MiB and one with much software installed a few times
// that; anything larger is not read.
constexpr qint64 MaxHiveSize = qint64(64) << 20;

class PrefixRegistry : public platform::Registry {
public:
    enum HiveFile { System, User, UserDefault, HiveCount };
    // Which keys a path names in a 64-bit prefix: the 32-bit program's (through Wow6432Node) or
    // the native ones, where Wine keeps what it tells every program (its Windows version).
    enum class View { Program, Native };

    std::optional<std::vector<platform::RegEntry>> values(platform::RootKey root,
                                                          const QString& path) override;
    std::optional<std::vector<platform::RegEntry>> values(platform::RootKey root,
                                                          const QString& path, View view);
    std::optional<QStringList> subkeys(platform::RootKey root, const QString& path) override;
    long setValue(platform::RootKey root, const QString& path,
                  const platform::RegEntry& value) override;
    long deleteValue(platform::RootKey root, const QString& path, const QString& name) override;

    // How often a hive file was read into a tree (the whole of it, or the keys along a path):
    // once per file and change, not per read.
    int parseCount() const { return parses_; }

protected:
    // What tells the file's present state from any other (it changes with the file); empty
    // when there is no such file.
    virtual QByteArray stamp(HiveFile file) = 0;
    // The file's text; nullopt when it cannot be read (no regular file, larger than a hive).
    virtual std::optional<QByteArray> text(HiveFile file) = 0;
    // Whether a wineserver holds the prefix: it would overwrite an edit with its own copy.
    virtual bool busy() = 0;
    // Puts a new text in the file's place at once; false when it could not.
    virtual bool replace(HiveFile file, const QByteArray& text) = 0;

private:
    // What is known of a file as it was when stamped: its whole tree, or trees of the keys
    // along the paths read so far (by the paths, case-folded).
    struct Cached {
        QByteArray stamp;
        std::shared_ptr<const Hive> whole;
        QHash<QString, std::shared_ptr<const Hive>> parts;
    };
    // Where a key may lie: a hive and the paths to try in order.
    struct Location {
        HiveFile file = System;
        std::vector<QStringList> candidates;
        bool wowFirst = false; // a 64-bit hive takes only the first candidate, others the last
        QString user;          // the SID the hive must answer to, for a path under HKU
    };

    Cached& cached(HiveFile file);
    QByteArray textOf(const Cached& entry, HiveFile file);
    std::shared_ptr<const Hive> hive(HiveFile file);
    // A tree that answers reads of the location's keys.
    std::shared_ptr<const Hive> hiveFor(const Location& location);
    std::optional<Location> locate(platform::RootKey root, const QString& path,
                                   View view = View::Program);
    // The candidates that apply in that hive, read from the location's file.
    static std::vector<QStringList> paths(const Hive& hive, const Location& location);
    int open(const Hive& hive, const Location& location) const;
    // A write's first steps: the hive file exists and no wineserver holds it; its text read.
    struct PendingWrite {
        Location location;
        QByteArray text;
        std::shared_ptr<const Hive> tree; // of that text
    };
    long prepareWrite(platform::RootKey root, const QString& path, PendingWrite& write);
    long rewrite(HiveFile file, const QByteArray& text);

    Cached cache_[HiveCount];
    int parses_ = 0;
};

} // namespace wine
