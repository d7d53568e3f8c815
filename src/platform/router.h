#pragma once
// The home router, asked through its own protocols: UPnP IGD, else NAT-PMP. Every call blocks
// until the router answers or its bound has passed, so callers run them off the window's thread.
// What a router says is outside text: callers check it before they use it. NAT-PMP's refusals
// are its result codes (1 to 5), UPnP's its error codes (from 401).

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>

namespace platform {

struct RouterFound {
    enum class Protocol { None, Upnp, NatPmp };
    Protocol protocol = Protocol::None;
    // UPnP: the device says its outside connection is up. A router whose own outside address is
    // private or shared (behind the provider's NAT) says it is not.
    bool connected = false;
    QString name;    // UPnP: the device's friendly name
    QString model;   // UPnP: its model name
    QString gateway; // the router's address on the local network
};

struct RouterMapping {
    QString client; // the local machine the port leads to
    QString description;
};

class Router {
public:
    // What a request can give besides success; otherwise the router's own UPnP error code
    // (718 the port is mapped elsewhere, 725 only permanent leases, ...).
    static constexpr int Ok = 0;
    static constexpr int NoAnswer = -1;    // nothing came back within the bound
    static constexpr int NoRouter = -2;    // no router was found, or it speaks no mapping
    static constexpr int Unsupported = -3; // NAT-PMP cannot tell who holds a port
    static constexpr int OtherPort = -4;   // NAT-PMP offered another outside port only

    virtual ~Router() = default;

    // Looks for a router: an IGD answering UPnP discovery, else a NAT-PMP gateway. The later
    // calls speak to the router found last.
    virtual RouterFound discover() = 0;
    // The router's outside address as it states it; nullopt when it gave none.
    virtual std::optional<QString> externalAddress() = 0;
    // Forwards the UDP port from the router's outside address to the same port of `client`.
    // `grantedLease` receives the lease the router took (NAT-PMP may shorten it).
    virtual int addUdpMapping(quint16 port, const QString& client, const QString& description,
                              quint32 leaseSeconds, quint32* grantedLease) = 0;
    // Who the UDP port leads to now; nullopt when it is not mapped. `result` receives Ok,
    // NoAnswer, Unsupported or the router's error for the question itself.
    virtual std::optional<RouterMapping> udpMapping(quint16 port, int* result) = 0;
    virtual int removeUdpMapping(quint16 port) = 0;
};

// Makes the routers' sessions. Each is used by one thread at a time and owned by it, so that a
// session still waiting for its router when the program ends harms nothing.
class Routers {
public:
    virtual ~Routers() = default;
    virtual std::unique_ptr<Router> open() = 0;
};

} // namespace platform
