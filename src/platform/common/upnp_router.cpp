#include "platform/common/upnp_router.h"

#include "core/router/upnp_description.h"

#include <QDeadlineTimer>

#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <sys/select.h>
#endif

#include <miniupnpc/miniupnpc.h>
#include <miniupnpc/miniwget.h>
#include <miniupnpc/upnpcommands.h>
#include <miniupnpc/upnperrors.h>
#include <miniupnpc/upnpreplyparse.h>
#ifdef VELKOR_WITH_NATPMP
#include <natpmp.h>
#endif

namespace platform::common {

namespace {

constexpr int DiscoveryMs = 2000;
// NAT-PMP retries double from 250 ms; three tries answer any gateway that is there.
constexpr int NatPmpMs = 2000;
// "No such entry in array": the port is not mapped.
constexpr int NoSuchEntry = 714;

int upnpResult(int code) {
    // miniupnpc's own failures (no answer, a broken one) are negative; the router's are not.
    return code < 0 ? Router::NoAnswer : code;
}

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

#ifdef VELKOR_WITH_NATPMP
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
#else
// Built without libnatpmp: no gateway speaks it.
NatPmpAnswer natPmp(quint32&, bool, quint16, quint32) {
    return {};
}
#endif

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
    RouterFound found;
    char lan[64] = {};
    int igd = 0;
    if (!s.fixed.rootDescription.isEmpty()) {
        igd = UPNP_GetIGDFromUrl(s.fixed.rootDescription.toLatin1().constData(), &s.urls, &s.data,
                                 lan, sizeof lan);
        // Asked as UPNP_GetValidIGD asks a discovered device: is its outside connection up?
        if (igd == 1 && !UPNPIGD_IsConnected(&s.urls, &s.data))
            igd = 2;
    } else if (s.fixed.natPmpGateway.isEmpty()) {
        int error = 0;
        // Every kind asked at once and answered within one wait: asked one after another, as
        // upnpDiscover does, a network without an IGD costs a wait for each kind.
        static const char* const kinds[] = {"urn:schemas-upnp-org:device:InternetGatewayDevice:1",
                                            "urn:schemas-upnp-org:service:WANIPConnection:1",
                                            "urn:schemas-upnp-org:service:WANPPPConnection:1",
                                            "upnp:rootdevice", nullptr};
        UPNPDev* devices = upnpDiscoverDevices(kinds, DiscoveryMs, nullptr, nullptr,
                                               UPNP_LOCAL_PORT_ANY, 0, 2, &error, 1);
        if (devices) {
#if MINIUPNPC_API_VERSION >= 18
            char wan[64] = {};
            igd = UPNP_GetValidIGD(devices, &s.urls, &s.data, lan, sizeof lan, wan, sizeof wan);
#else
            igd = UPNP_GetValidIGD(devices, &s.urls, &s.data, lan, sizeof lan);
#endif
            freeUPNPDevlist(devices);
        }
    }
    s.haveUrls = igd != 0;
    if (igd == 1 || igd == 2) {
        s.protocol = found.protocol = RouterFound::Protocol::Upnp;
        found.connected = igd == 1;
        found.gateway = hostOf(s.urls.controlURL);
        int size = 0, status = 0;
        if (char* description =
                static_cast<char*>(miniwget(s.urls.rootdescURL, &size, 0, &status))) {
            const QByteArrayView text(description, qMax(size, 0));
            found.name = deviceText(text, "friendlyName");
            found.model = deviceText(text, "modelName");
            std::free(description);
        }
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
    // Asked directly: UPNP_GetExternalIPAddress keeps 15 characters, which can cut a longer
    // answer ("200.200.200.2001") into another whole address. The reply parser keeps 127.
    int size = 0;
    char* reply = simpleUPnPcommand(-1, s.urls.controlURL, s.data.first.servicetype,
                                    "GetExternalIPAddress", nullptr, &size);
    if (!reply)
        return std::nullopt;
    NameValueParserData parsed{};
    ParseNameValue(reply, size, &parsed);
    std::free(reply);
    const char* address = GetValueFromNameValueList(&parsed, "NewExternalIPAddress");
    std::optional<QString> stated;
    if (address && !GetValueFromNameValueList(&parsed, "errorCode"))
        stated = QString::fromLatin1(address);
    ClearNameValueList(&parsed);
    return stated;
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
    const int result = UPNP_AddPortMapping(
        s.urls.controlURL, s.data.first.servicetype, number.constData(), number.constData(),
        client.toLatin1().constData(), description.toUtf8().constData(), "UDP", nullptr,
        QByteArray::number(leaseSeconds).constData());
    if (result == 0 && grantedLease)
        *grantedLease = leaseSeconds;
    return upnpResult(result);
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
    char client[64] = {}, internal[8] = {}, description[128] = {}, enabled[8] = {}, lease[16] = {};
    const int code = UPNP_GetSpecificPortMappingEntry(
        s.urls.controlURL, s.data.first.servicetype, QByteArray::number(port).constData(), "UDP",
        nullptr, client, internal, description, enabled, lease);
    if (code == NoSuchEntry)
        return answer(Router::Ok);
    if (code != 0)
        return answer(upnpResult(code));
    if (result)
        *result = Router::Ok;
    RouterMapping mapping;
    mapping.client = QString::fromLatin1(client, qsizetype(strnlen(client, sizeof client)));
    mapping.description =
        QString::fromUtf8(description, qsizetype(strnlen(description, sizeof description)));
    return mapping;
}

int UpnpRouter::removeUdpMapping(quint16 port) {
    State& s = *state_;
    if (s.protocol == RouterFound::Protocol::NatPmp)
        return natPmp(s.gateway, true, port, 0).result;
    if (s.protocol != RouterFound::Protocol::Upnp)
        return Router::NoRouter;
    const int code = UPNP_DeletePortMapping(s.urls.controlURL, s.data.first.servicetype,
                                            QByteArray::number(port).constData(), "UDP", nullptr);
    return code == NoSuchEntry ? Router::Ok : upnpResult(code);
}

} // namespace platform::common
