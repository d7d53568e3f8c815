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
    // for what it damaged).
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

} // namespace net
