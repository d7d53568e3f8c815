#pragma once
// The rules of the game's port on the router, one blocking call after another: finding the
// router, opening the port (reusing Velkor's own mapping, never touching another's), and
// removing only what Velkor made. Runs on the router's own thread.

#include "core/router/RouterFacts.h"
#include "core/router/RouterRecord.h"
#include "platform/router.h"

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
    // Asks for the game's port toward `client` (this machine's local IPv4 address) for an hour;
    // a router that takes only permanent mappings gets one. Asking again renews Velkor's own.
    Opened open(const QString& client, qint64 now);

    // Removes a mapping Velkor made, when the router still has it as Velkor left it; true when
    // nothing of it is left to remove (removed, gone, or since taken by another).
    bool remove(const RouterRecord::Mapping& mapping);

private:
    platform::Router& router_;
    platform::RouterFound::Protocol protocol_ = platform::RouterFound::Protocol::None;
};

} // namespace net
