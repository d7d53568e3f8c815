#include "net/PortMapper.h"

#include "net/IpAddress.h"

namespace net {

namespace {

using Protocol = platform::RouterFound::Protocol;
using Kind = PortState::Kind;
using platform::Router;

// ConflictInMappingEntry and OnlyPermanentLeasesSupported.
constexpr int Conflict = 718;
constexpr int OnlyPermanent = 725;

PortState failure(int code) {
    PortState state;
    state.kind = code == Router::NoAnswer   ? Kind::NoAnswer
                 : code == Router::NoRouter ? Kind::NoRouter
                                            : Kind::Refused;
    state.code = code;
    return state;
}

} // namespace

PortMapper::Found PortMapper::discover() {
    Found found;
    found.router = router_.discover();
    protocol_ = found.router.protocol;
    if (protocol_ == Protocol::None)
        return found;
    // Only a whole address may ever reach the game's command line.
    const QString outside = router_.externalAddress().value_or(QString()).trimmed();
    if (isIpv4Address(outside))
        found.outside = outside;
    return found;
}

PortMapper::Opened PortMapper::open(const QString& client, const QString& description, qint64 now,
                                    const std::optional<RouterRecord::Mapping>& recorded) {
    if (protocol_ == Protocol::None)
        return {failure(Router::NoRouter), std::nullopt};
    if (!isIpv4Address(client))
        return {failure(0), std::nullopt};
    const auto heldBy = [](const QString& holder) {
        PortState state;
        state.kind = Kind::HeldElsewhere;
        state.holder = holder;
        return Opened{state, std::nullopt};
    };

    if (protocol_ == Protocol::Upnp) {
        int asked = Router::Ok;
        const auto current = router_.udpMapping(GamePort, &asked);
        if (asked == Router::NoAnswer)
            return {failure(Router::NoAnswer), std::nullopt};
        // Velkor's own mapping toward this machine is renewed: with its description, or one
        // its record vouches for. Anything else is never touched.
        const auto ours = [&](const platform::RouterMapping& held) {
            return held.client == client &&
                   (held.description == description || (recorded && recorded->client == client &&
                                                        recorded->description == held.description));
        };
        if (current && !ours(*current))
            return heldBy(current->client);
    }

    quint32 lease = LeaseSeconds, granted = LeaseSeconds;
    int result = router_.addUdpMapping(GamePort, client, description, lease, &granted);
    if (result == OnlyPermanent) {
        lease = granted = 0;
        result = router_.addUdpMapping(GamePort, client, description, lease, &granted);
    }
    // NAT-PMP offers another outside port when the game's is taken.
    if (result == Router::OtherPort)
        return heldBy(QString());
    if (result == Conflict) {
        int asked = Router::Ok;
        const auto holder = router_.udpMapping(GamePort, &asked);
        return heldBy(holder ? holder->client : QString());
    }
    if (result != Router::Ok)
        return {failure(result), std::nullopt};

    Opened opened;
    opened.state.kind = Kind::Open;
    opened.state.lease = granted;
    opened.state.since = now;
    opened.mapping = RouterRecord::Mapping{protocol_, GamePort, client, granted, now, description};
    return opened;
}

bool PortMapper::remove(const RouterRecord::Mapping& mapping, const QStringList& ownAddresses) {
    if (mapping.port != GamePort || !ownAddresses.contains(mapping.client))
        return true; // not this machine's: another's now, whatever the router holds
    if (protocol_ == Protocol::None || protocol_ != mapping.protocol)
        return false;
    if (protocol_ == Protocol::Upnp) {
        int asked = Router::Ok;
        const auto current = router_.udpMapping(mapping.port, &asked);
        if (asked != Router::Ok)
            return false;
        if (!current || current->client != mapping.client ||
            current->description != mapping.description)
            return true; // gone, or another's now: nothing of Velkor's to remove
    }
    // NAT-PMP cannot be asked who holds the port; it removes only the asking machine's own.
    return router_.removeUdpMapping(GamePort) == Router::Ok;
}

} // namespace net
