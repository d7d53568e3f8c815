#pragma once
// Velkor's own small settings file for the router, beside Velkor.cfg (whose record stays as it
// is): whether to open the game's port when hosting, and the mapping Velkor made, so that the
// next start removes what a crash or an early close left, and only that.

#include "platform/router.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace net {

struct RouterRecord {
    struct Mapping {
        platform::RouterFound::Protocol protocol = platform::RouterFound::Protocol::Upnp;
        quint16 port = 0;
        QString client;
        quint32 lease = 0; // 0: permanent, Velkor must remove it
        qint64 since = 0;  // seconds since the epoch
        QString description;

        bool operator==(const Mapping&) const = default;
    };

    bool openPortWhenHosting = true;
    std::optional<Mapping> mapping;

    bool operator==(const RouterRecord&) const = default;

    // The file's name in the settings folder.
    static QString fileIn(const QString& settingsFolder);
    // Lines "key=value"; anything not understood is left out (a damaged file gives the defaults
    // for what it damaged), and so is a mapping of any port but the game's.
    static RouterRecord parse(const QByteArray& text);
    QByteArray text() const;

    // Read whole when it is a regular file of a few KiB; the defaults otherwise.
    static RouterRecord read(const QString& windowsFile);
    // Replaces the file whole (FileSystem::replaceFile); false, the old file kept, when it could
    // not be written.
    [[nodiscard]] bool write(const QString& windowsFile) const;
    // What the player is told when that happens.
    static QString notSavedMessage();
};

// Who made a mapping: a short tag of the settings folder (native path) whose record notes it.
// Each user of a machine has a folder of their own, so their Velkors tell their mappings apart.
QString ownerTag(const QString& settingsFolder);
// The description of Velkor's mapping toward `client` made by `owner`:
// "Velkor (192.168.1.10) 1a2b3c", 31 characters at most, as short as routers may keep them.
QString mappingDescription(const QString& client, const QString& owner);
// What earlier versions wrote, the same for every user: "Velkor (192.168.1.10)".
QString sharedDescription(const QString& client);
// The mapping is one that `owner` made, or one an earlier version made toward that client.
bool madeBy(const RouterRecord::Mapping& mapping, const QString& owner);

} // namespace net
