#include "core/router/RouterFacts.h"

#include "core/net/IpAddress.h"

#include <QList>

namespace net {

namespace {

using Protocol = platform::RouterFound::Protocol;

// The two signs of another NAT beyond the router that its outside address gives.
bool privateOutside(const RouterView& view) {
    return !view.outside.isEmpty() && !isPublicIpv4(view.outside);
}
bool seenOtherwise(const RouterView& view) {
    return !view.outside.isEmpty() && isIpv4Address(view.echo) && view.echo != view.outside;
}

// Why the router's own outside is not the internet, in the player's words.
QString anotherNatReason(const RouterView& view) {
    const QString outside = view.outside;
    if (privateOutside(view)) {
        const quint32 a = ipv4Value(outside);
        const char* kind = ipv4Within(a, 0x64400000, 10) ? "shared (100.64.0.0/10)"
                           : ipv4Within(a, 0x0A000000, 8) || ipv4Within(a, 0xAC100000, 12) ||
                                   ipv4Within(a, 0xC0A80000, 16)
                               ? "private"
                               : "reserved";
        return QStringLiteral("its outside address %1 is %2").arg(outside, QLatin1String(kind));
    }
    if (seenOtherwise(view))
        return QStringLiteral("its outside address %1 differs from %2, the address the web "
                              "sees")
            .arg(outside, view.echo);
    return QStringLiteral("your router says its outside connection is not its own");
}

QString noNetworkText() {
    return QStringLiteral("This machine has no network connection, so friends cannot join you: "
                          "connect it to your network, then start Velkor again.");
}

} // namespace

bool noNetwork(const QString& localAddress) {
    const QString address = localAddress.trimmed();
    if (address.isEmpty() || address == QLatin1String("::1"))
        return true;
    return isIpv4Address(address) && ipv4Within(ipv4Value(address), 0x7F000000, 8);
}

QString holderText(const QString& holder) {
    const QString shown = routerText(holder, 40);
    return shown.isEmpty() ? QStringLiteral("another machine or program")
                           : QStringLiteral("another machine or program (%1)").arg(shown);
}

QString routerText(const QString& text, qsizetype limit) {
    QString plain;
    plain.reserve(qMin(text.size(), limit + 1));
    for (const QChar c : text) {
        const bool blank = c.isSpace() || c.category() == QChar::Other_Control ||
                           c.category() == QChar::Other_Format;
        if (blank && (plain.isEmpty() || plain.endsWith(u' ')))
            continue;
        plain += blank ? QChar(u' ') : c;
        if (plain.size() > limit)
            break;
    }
    plain = plain.trimmed();
    if (plain.size() > limit)
        plain = plain.left(limit - 1).trimmed() + QChar(0x2026);
    return plain;
}

Reach reach(const RouterView& view) {
    if (view.found.protocol == Protocol::None)
        return Reach::NoRouter;
    if (!view.found.connected || privateOutside(view) || seenOtherwise(view))
        return Reach::AnotherNat;
    return view.port.kind == PortState::Kind::Open ? Reach::Reachable : Reach::PortClosed;
}

QString routerLine(const platform::RouterFound& found) {
    switch (found.protocol) {
    case Protocol::Upnp: {
        const QString name = routerText(found.name), model = routerText(found.model);
        if (name.isEmpty())
            return QStringLiteral("A UPnP router at %1").arg(routerText(found.gateway));
        return model.isEmpty() || model == name ? name : QStringLiteral("%1 (%2)").arg(name, model);
    }
    case Protocol::NatPmp:
        return QStringLiteral("A NAT-PMP gateway at %1").arg(routerText(found.gateway));
    case Protocol::None:
        break;
    }
    return QStringLiteral("None answered");
}

QString portLine(const PortState& port, qint64 now) {
    using Kind = PortState::Kind;
    switch (port.kind) {
    case Kind::Open: {
        if (port.lease == 0)
            return QStringLiteral("Open to this machine until Velkor closes it");
        const qint64 left = qMax<qint64>(0, port.since + port.lease - now);
        return QStringLiteral("Open to this machine for %1 more minutes").arg((left + 59) / 60);
    }
    case Kind::HeldElsewhere:
        return QStringLiteral("Held by %1").arg(holderText(port.holder));
    case Kind::Refused:
        return QStringLiteral("Refused by the router (error %1)").arg(port.code);
    case Kind::NoAnswer:
        return QStringLiteral("The router did not answer");
    case Kind::NoRouter:
        return QStringLiteral("No router to ask");
    case Kind::NotAsked:
        break;
    }
    return QStringLiteral("Not asked yet");
}

QString meaning(const RouterView& view, const QString& localAddress) {
    using Kind = PortState::Kind;
    if (noNetwork(localAddress))
        return noNetworkText();
    switch (reach(view)) {
    case Reach::Reachable:
        return QStringLiteral("Friends can reach you: they join at %1.").arg(view.outside);
    case Reach::AnotherNat:
        return QStringLiteral("Another NAT sits beyond your router (%1), so friends cannot join "
                              "you whatever your router does: let one of them host, or play over "
                              "a VPN.")
            .arg(anotherNatReason(view));
    case Reach::NoRouter:
        return QStringLiteral("No router answered: forward UDP %1 to %2 by hand in your "
                              "router's settings.")
            .arg(GamePort)
            .arg(localAddress);
    case Reach::PortClosed:
        break;
    }
    switch (view.port.kind) {
    case Kind::NotAsked:
        return QStringLiteral("Your router answered: Velkor asks it to open UDP %1 when you host "
                              "with a router.")
            .arg(GamePort);
    case Kind::HeldElsewhere:
        return QStringLiteral("Friends cannot join you: another machine or program holds UDP %1 "
                              "on your router. Free it in the router's settings, or host from "
                              "that machine.")
            .arg(GamePort);
    default:
        return QStringLiteral("Friends cannot join you until UDP %1 leads to %2: forward it by "
                              "hand in your router's settings.")
            .arg(GamePort)
            .arg(localAddress);
    }
}

HostingWarning hostingWarning(const RouterView& view, const QString& localAddress) {
    using Kind = PortState::Kind;
    HostingWarning warning;
    if (noNetwork(localAddress)) {
        warning.cause = QStringLiteral("no network");
        warning.text = noNetworkText();
    } else if (reach(view) == Reach::AnotherNat) {
        warning.cause = QStringLiteral("another NAT");
        warning.text = meaning(view, localAddress);
    } else if (view.port.kind != Kind::Open) {
        warning.cause = QStringLiteral("port");
        QString why;
        switch (view.port.kind) {
        case Kind::HeldElsewhere:
            why = holderText(view.port.holder) + QStringLiteral(" holds it");
            break;
        case Kind::Refused:
            why = view.port.code == 0
                      ? QStringLiteral("the Local IP is no IPv4 address")
                      : QStringLiteral("the router refused it (error %1)").arg(view.port.code);
            break;
        case Kind::NoRouter:
            why = QStringLiteral("no router answered");
            break;
        default:
            why = QStringLiteral("the router did not answer in time");
            break;
        }
        warning.text =
            QStringLiteral("Velkor could not open the game's port, UDP %1, on your router: %2. "
                           "Friends may not be able to join you: forward UDP %1 to %3 in your "
                           "router's settings. Options, Router... tells more.")
                .arg(GamePort)
                .arg(why, localAddress);
    }
    return warning;
}

} // namespace net
