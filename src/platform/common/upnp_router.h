#pragma once
// The router through UPnP IGD and NAT-PMP (libnatpmp), the same on every system. UPnP goes over
// our own search and HTTP exchange, and miniupnpc only reads what the router says.
// Each call is bounded in time and in what it reads, whatever the devices on the network send:
// discovery at most 12 s (a search of 2 s), each request 5 s and an answer of 64 KiB.

#include "platform/router.h"

#include <memory>

namespace platform::common {

class UpnpRouter : public Router {
public:
    // Where to look instead of discovering, for talking to a scripted router: a UPnP root
    // description URL, or a NAT-PMP gateway's IPv4 address. Empty: discover as usual.
    struct Fixed {
        QString rootDescription;
        QString natPmpGateway;
    };
    UpnpRouter();
    explicit UpnpRouter(Fixed fixed);
    ~UpnpRouter() override;

    RouterFound discover() override;
    std::optional<QString> externalAddress() override;
    int addUdpMapping(quint16 port, const QString& client, const QString& description,
                      quint32 leaseSeconds, quint32* grantedLease) override;
    std::optional<RouterMapping> udpMapping(quint16 port, int* result) override;
    int removeUdpMapping(quint16 port) override;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// A session of its own for each thread that asks.
class UpnpRouters : public Routers {
public:
    std::unique_ptr<Router> open() override { return std::make_unique<UpnpRouter>(); }
};

} // namespace platform::common
