#pragma once
// The rules of the game's port on the router, one blocking call after another: finding the
// router, opening the port (reusing Velkor's own mapping, never touching another's), and
// removing only what Velkor made. Runs on the router's own thread.

#include "net/RouterFacts.h"
#include "net/RouterRecord.h"
#include "platform/router.h"

#include <QStringList>
#include <optional>

namespace net {

class PortMapper {
public:
    explicit PortMapper(platform::Router& router) : router_(router) {}

    struct Found {
        platform::RouterFound router;
        QString outside; // the router's outside address when it is one whole IPv4 address
    };
    Found discover();

    struct Opened {
        PortState state;
        std::optional<RouterRecord::Mapping> mapping; // what to record when it is open
    };
    // Asks for the game's port toward `client` (this machine's local IPv4 address) for an hour,
    // described as `description`; a router that takes only permanent mappings gets one. Asking
    // again renews Velkor's own: the port toward `client` with that description, or with the
    // one the record `recorded` vouches for (an earlier version's). Any other is never touched.
    Opened open(const QString& client, const QString& description, qint64 now,
                const std::optional<RouterRecord::Mapping>& recorded = std::nullopt);

    // Removes a mapping the record names, only when it leads to one of `ownAddresses` (this
    // machine's) and, over UPnP, the router still has it so, with the record's description.
    // true when nothing of it is left to remove (removed, gone, or another's).
    bool remove(const RouterRecord::Mapping& mapping, const QStringList& ownAddresses);

private:
    platform::Router& router_;
    platform::RouterFound::Protocol protocol_ = platform::RouterFound::Protocol::None;
};

} // namespace net
