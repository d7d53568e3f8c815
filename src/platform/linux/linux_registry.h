#pragma once
// The registry of the Wine prefix, read from and written to its .reg files.

#include "core/launchers/wine_prefix.h"
#include "platform/registry.h"

#include <QHash>
#include <memory>

namespace wine {
class Hive;
}

namespace platform::linuxbackend {

using launchers::WinePrefix;
using wine::Hive;

class LinuxRegistry : public Registry {
public:
    // A fresh prefix's system.reg is under 2 MiB and one with much software installed a few
    // times that; anything larger is not read.
    static constexpr qint64 MaxHiveSize = qint64(64) << 20;

    explicit LinuxRegistry(const WinePrefix& prefix);
    ~LinuxRegistry() override;

    // Which keys a path names in a 64-bit prefix: the 32-bit program's (through Wow6432Node) or
    // the native ones, where Wine keeps what it tells every program (its Windows version).
    enum class View { Program, Native };

    std::optional<std::vector<RegEntry>> values(RootKey root, const QString& path) override;
    std::optional<std::vector<RegEntry>> values(RootKey root, const QString& path, View view);
    std::optional<QStringList> subkeys(RootKey root, const QString& path) override;
    long setValue(RootKey root, const QString& path, const RegEntry& value) override;
    long deleteValue(RootKey root, const QString& path, const QString& name) override;

    // How often a hive file was read into a tree (the whole of it, or the keys along a path):
    // once per file and change, not per read.
    int parseCount() const { return parses_; }

private:
    enum HiveFile { System, User, UserDefault, HiveCount };
    struct Stamp {
        bool exists = false;
        qint64 device = 0, inode = 0, size = 0, seconds = 0, nanoseconds = 0;
        bool operator==(const Stamp&) const = default;
    };
    // What is known of a file as it was when stamped: its whole tree, or trees of the keys
    // along the paths read so far (by the paths, case-folded).
    struct Cached {
        Stamp stamp;
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

    QString fileName(HiveFile file) const;
    static Stamp stampOf(const QString& file);
    Cached& cached(HiveFile file);
    QByteArray text(const Cached& entry, HiveFile file) const;
    std::shared_ptr<const Hive> hive(HiveFile file);
    // A tree that answers reads of the location's keys.
    std::shared_ptr<const Hive> hiveFor(const Location& location);
    std::optional<Location> locate(RootKey root, const QString& path, View view = View::Program);
    // The candidates that apply in that hive, read from the location's file.
    static std::vector<QStringList> paths(const Hive& hive, const Location& location);
    int open(const Hive& hive, const Location& location) const;
    // A write's first steps: the hive file exists and no wineserver holds it; its text read.
    struct PendingWrite {
        Location location;
        QByteArray text;
        std::shared_ptr<const Hive> tree; // of that text
    };
    long prepareWrite(RootKey root, const QString& path, PendingWrite& write);
    long rewrite(HiveFile file, const QByteArray& text);

    WinePrefix prefix_;
    Cached cache_[HiveCount];
    int parses_ = 0;
};

} // namespace platform::linuxbackend
