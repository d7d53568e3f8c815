#include "platform/common/upnp_router.h"

#include "core/router/http_reply.h"
#include "core/router/upnp_description.h"
#include "platform/common/http_exchange.h"
#include "platform/common/ssdp_search.h"
#include "platform/common/upnp_soap.h"

#include <QDeadlineTimer>
#include <QHash>

#include <cstdlib>
#include <cstring>
#include <vector>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <sys/select.h>
#endif

#include <miniupnpc/miniupnpc.h>
#include <natpmp.h>

namespace platform::common {

using namespace net; // the router answers' parsers

namespace {

// Devices answer a search within this; the rest of discovery (descriptions, the status of each
// IGD) within the whole bound, whatever the devices on the network do.
constexpr int SearchMs = 2000;
constexpr int DiscoveryMs = 12000;
constexpr qsizetype MaxDevices = 8;
// NAT-PMP retries double from 250 ms; three tries answer any gateway that is there.
constexpr int NatPmpMs = 2000;
// "No such entry in array": the port is not mapped.
constexpr int NoSuchEntry = 714;

QString hostOf(const char* url) {
    const QString text = QString::fromLatin1(url);
    const qsizetype scheme = text.indexOf(QLatin1String("://"));
    const qsizetype start = scheme < 0 ? 0 : scheme + 3;
    qsizetype end = start;
    while (end < text.size() && text[end] != u':' && text[end] != u'/')
        ++end;
    return text.mid(start, end - start);
}

QString ipv4Text(in_addr address) {
    char text[INET_ADDRSTRLEN] = {};
    return inet_ntop(AF_INET, &address, text, sizeof text) ? QString::fromLatin1(text) : QString();
}

// One NAT-PMP exchange with the gateway: a request for the public address, or for a mapping
// of the UDP port (a lease of 0 removes it), retried within the bound.
struct NatPmpAnswer {
    int result = Router::NoRouter;
    in_addr publicAddress{};
    quint16 mappedPort = 0;
    quint32 lifetime = 0;
};

NatPmpAnswer natPmp(quint32& gateway, bool mapping, quint16 port, quint32 lease) {
    NatPmpAnswer answer;
    natpmp_t session;
    if (initnatpmp(&session, gateway != 0, gateway) < 0)
        return answer;
    gateway = session.gateway;
    const int sent =
        mapping ? sendnewportmappingrequest(&session, NATPMP_PROTOCOL_UDP, port, port, lease)
                : sendpublicaddressrequest(&session);
    natpmpresp_t response{};
    int result = sent < 0 ? NATPMP_ERR_SENDERR : NATPMP_TRYAGAIN;
    const QDeadlineTimer deadline(NatPmpMs);
    while (result == NATPMP_TRYAGAIN && !deadline.hasExpired()) {
        timeval wait{};
        getnatpmprequesttimeout(&session, &wait);
        const qint64 left = deadline.remainingTime();
        if (qint64(wait.tv_sec) * 1000 + wait.tv_usec / 1000 > left) {
            wait.tv_sec = long(left / 1000);
            wait.tv_usec = long(left % 1000) * 1000;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(session.s, &readable);
        select(FD_SETSIZE, &readable, nullptr, nullptr, &wait);
        result = readnatpmpresponseorretry(&session, &response);
    }
    closenatpmp(&session);
    // The gateway's own refusal carries its result code (2 not authorised, 3 network failure,
    // 4 out of resources, ...); anything else is silence.
    const bool refused =
        (result <= NATPMP_ERR_UNDEFINEDERROR && result >= NATPMP_ERR_OUTOFRESOURCES) ||
        result == NATPMP_ERR_UNSUPPORTEDVERSION || result == NATPMP_ERR_UNSUPPORTEDOPCODE;
    if (result >= 0) {
        answer.result = Router::Ok;
        if (response.type == NATPMP_RESPTYPE_PUBLICADDRESS) {
            answer.publicAddress = response.pnu.publicaddress.addr;
        } else {
            answer.mappedPort = response.pnu.newportmapping.mappedpublicport;
            answer.lifetime = response.pnu.newportmapping.lifetime;
        }
    } else {
        answer.result =
            refused && response.resultcode ? int(response.resultcode) : Router::NoAnswer;
    }
    return answer;
}

// A device's description, fetched whole within the bound, and what miniupnpc reads of it.
struct Described {
    QByteArray url, xml;
    IGDdatas data{};
};

std::optional<Described> describe(const QByteArray& url, QDeadlineTimer deadline) {
    const auto target = httpTarget(url);
    if (!target)
        return std::nullopt;
    const auto reply = httpExchange(*target, httpRequest("GET", *target), deadline);
    if (!reply || reply->status != 200)
        return std::nullopt;
    Described device{url, reply->body, {}};
    parserootdesc(device.xml.constData(), int(device.xml.size()), &device.data);
    // Only a device with a connection service can map a port.
    if (!device.data.first.servicetype[0])
        return std::nullopt;
    return device;
}

} // namespace

struct UpnpRouter::State {
    Fixed fixed;
    RouterFound::Protocol protocol = RouterFound::Protocol::None;
    UPNPUrls urls{};
    IGDdatas data{};
    bool haveUrls = false;
    quint32 gateway = 0; // in network order; 0: the default route's
    std::optional<QString> natPmpAddress;

    void forget() {
        if (haveUrls)
            FreeUPNPUrls(&urls);
        haveUrls = false;
        protocol = RouterFound::Protocol::None;
        natPmpAddress.reset();
    }
    // Takes the device's connection service (its first one) as the router's.
    void use(Described& device) {
        forget();
        data = device.data;
        GetUPNPUrls(&urls, &data, device.url.constData(), 0);
        haveUrls = true;
    }
    SoapAnswer action(const char* name, const SoapArguments& arguments = {},
                      const QByteArrayList& outputs = {},
                      QDeadlineTimer deadline = QDeadlineTimer::Forever) const {
        return soapAction(urls.controlURL, data.first.servicetype, name, arguments, outputs,
                          deadline);
    }
    // The connection service says it is up and states an outside address, as miniupnpc asks
    // it: a router behind another NAT (miniupnpd, say) may be up yet state none.
    bool connected(QDeadlineTimer deadline) const {
        const QByteArray status = action("GetStatusInfo", {}, {"NewConnectionStatus"}, deadline)
                                      .values.value("NewConnectionStatus");
        return (status == "Connected" || status == "Up") &&
               !action("GetExternalIPAddress", {}, {"NewExternalIPAddress"}, deadline)
                    .values.value("NewExternalIPAddress")
                    .isEmpty();
    }
};

UpnpRouter::UpnpRouter() : UpnpRouter(Fixed{}) {}

UpnpRouter::UpnpRouter(Fixed fixed) : state_(std::make_unique<State>()) {
    state_->fixed = std::move(fixed);
#ifdef _WIN32
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
#endif
}

UpnpRouter::~UpnpRouter() {
    state_->forget();
#ifdef _WIN32
    WSACleanup();
#endif
}

RouterFound UpnpRouter::discover() {
    State& s = *state_;
    s.forget();
    const QDeadlineTimer deadline(DiscoveryMs);
    RouterFound found;
    QByteArrayList locations;
    if (!s.fixed.rootDescription.isEmpty())
        locations << s.fixed.rootDescription.toLatin1();
    else if (s.fixed.natPmpGateway.isEmpty())
        locations =
            ssdpSearch({"urn:schemas-upnp-org:device:InternetGatewayDevice:1",
                        "urn:schemas-upnp-org:service:WANIPConnection:1",
                        "urn:schemas-upnp-org:service:WANPPPConnection:1", "upnp:rootdevice"},
                       SearchMs, MaxDevices);
    // The first IGD whose connection is up, trying a second connection service of each; else
    // the first IGD, not connected.
    std::vector<Described> devices;
    for (const QByteArray& url : locations)
        if (auto device = describe(url, deadline))
            devices.push_back(std::move(*device));
    for (Described& device : devices) {
        const IGDdatas asDescribed = device.data;
        for (int service = 0; service < 2 && !found.connected; ++service) {
            if (service == 1) {
                if (!device.data.second.servicetype[0])
                    break;
                std::swap(device.data.first, device.data.second);
            }
            s.use(device);
            found.connected = s.connected(deadline);
        }
        if (found.connected) {
            std::swap(device, devices.front());
            break;
        }
        device.data = asDescribed;
    }
    if (!devices.empty()) {
        Described& chosen = devices.front();
        if (!found.connected)
            s.use(chosen);
        s.protocol = found.protocol = RouterFound::Protocol::Upnp;
        found.gateway = hostOf(s.urls.controlURL);
        found.name = deviceText(chosen.xml, "friendlyName");
        found.model = deviceText(chosen.xml, "modelName");
        return found;
    }
    s.forget();

    if (!s.fixed.natPmpGateway.isEmpty()) {
        in_addr forced{};
        if (inet_pton(AF_INET, s.fixed.natPmpGateway.toLatin1().constData(), &forced) != 1)
            return found;
        s.gateway = forced.s_addr;
    } else if (!s.fixed.rootDescription.isEmpty()) {
        return found;
    }
    const NatPmpAnswer answer = natPmp(s.gateway, false, 0, 0);
    if (answer.result != Router::Ok)
        return found;
    s.protocol = found.protocol = RouterFound::Protocol::NatPmp;
    found.connected = true;
    in_addr gateway{};
    gateway.s_addr = s.gateway;
    found.gateway = ipv4Text(gateway);
    s.natPmpAddress = ipv4Text(answer.publicAddress);
    return found;
}

std::optional<QString> UpnpRouter::externalAddress() {
    State& s = *state_;
    if (s.protocol == RouterFound::Protocol::NatPmp)
        return s.natPmpAddress;
    if (s.protocol != RouterFound::Protocol::Upnp)
        return std::nullopt;
    const SoapAnswer answer = s.action("GetExternalIPAddress", {}, {"NewExternalIPAddress"});
    const auto stated = answer.values.constFind("NewExternalIPAddress");
    if (answer.code != Router::Ok || stated == answer.values.cend())
        return std::nullopt;
    return QString::fromLatin1(*stated);
}

int UpnpRouter::addUdpMapping(quint16 port, const QString& client, const QString& description,
                              quint32 leaseSeconds, quint32* grantedLease) {
    State& s = *state_;
    if (s.protocol == RouterFound::Protocol::NatPmp) {
        const NatPmpAnswer answer = natPmp(s.gateway, true, port, leaseSeconds);
        if (answer.result != Router::Ok)
            return answer.result;
        if (answer.mappedPort != port) {
            // Another outside port is no use to friends who ask for the game's own.
            natPmp(s.gateway, true, port, 0);
            return Router::OtherPort;
        }
        if (grantedLease)
            *grantedLease = answer.lifetime;
        return Router::Ok;
    }
    if (s.protocol != RouterFound::Protocol::Upnp)
        return Router::NoRouter;
    const QByteArray number = QByteArray::number(port);
    const int result =
        s.action("AddPortMapping", {{"NewRemoteHost", {}},
                                    {"NewExternalPort", number},
                                    {"NewProtocol", "UDP"},
                                    {"NewInternalPort", number},
                                    {"NewInternalClient", client.toLatin1()},
                                    {"NewEnabled", "1"},
                                    {"NewPortMappingDescription", description.toUtf8()},
                                    {"NewLeaseDuration", QByteArray::number(leaseSeconds)}})
            .code;
    if (result == Router::Ok && grantedLease)
        *grantedLease = leaseSeconds;
    return result;
}

std::optional<RouterMapping> UpnpRouter::udpMapping(quint16 port, int* result) {
    State& s = *state_;
    const auto answer = [&](int code) {
        if (result)
            *result = code;
        return std::nullopt;
    };
    if (s.protocol == RouterFound::Protocol::NatPmp)
        return answer(Router::Unsupported);
    if (s.protocol != RouterFound::Protocol::Upnp)
        return answer(Router::NoRouter);
    const SoapAnswer entry = s.action("GetSpecificPortMappingEntry",
                                      {{"NewRemoteHost", {}},
                                       {"NewExternalPort", QByteArray::number(port)},
                                       {"NewProtocol", "UDP"}},
                                      {"NewInternalClient", "NewPortMappingDescription"});
    if (entry.code == NoSuchEntry)
        return answer(Router::Ok);
    if (entry.code != Router::Ok)
        return answer(entry.code);
    if (result)
        *result = Router::Ok;
    RouterMapping mapping;
    mapping.client = QString::fromLatin1(entry.values.value("NewInternalClient"));
    mapping.description = QString::fromUtf8(entry.values.value("NewPortMappingDescription"));
    return mapping;
}

int UpnpRouter::removeUdpMapping(quint16 port) {
    State& s = *state_;
    if (s.protocol == RouterFound::Protocol::NatPmp)
        return natPmp(s.gateway, true, port, 0).result;
    if (s.protocol != RouterFound::Protocol::Upnp)
        return Router::NoRouter;
    const int code = s.action("DeletePortMapping", {{"NewRemoteHost", {}},
                                                    {"NewExternalPort", QByteArray::number(port)},
                                                    {"NewProtocol", "UDP"}})
                         .code;
    return code == NoSuchEntry ? Router::Ok : code;
}

} // namespace platform::common
