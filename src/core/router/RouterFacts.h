#pragma once
// What the router's answers mean for a player who hosts: plain rules over what was found,
// tested directly. The port is the game's own; the texts are those the windows show.

#include "core/net/IpAddress.h"
#include "platform/router.h"

#include <QString>
#include <QtGlobal>

namespace net {

// The game's one port: UDP, the same inside and outside.
constexpr quint16 GamePort = 7575;
// How long a mapping is asked for; it is renewed at half that while Velkor runs.
constexpr quint32 LeaseSeconds = 3600;

// Text from the router made fit to show: control characters and line breaks become blanks,
// blanks are folded and trimmed, and it is cut to `limit` characters with an ellipsis.
QString routerText(const QString& text, qsizetype limit = 64);

// Who holds the game's port, for the player: "another machine or program (192.168.1.7)".
QString holderText(const QString& holder);

// Where the game's port stands on the router.
struct PortState {
    enum class Kind {
        NotAsked,
        Open,          // leads to this machine; `lease` seconds from `since` (0: until removed)
        HeldElsewhere, // another machine or program has it: `holder`, never touched
        Refused,       // the router said no: `code`
        NoAnswer,      // the router did not answer in time
        NoRouter,      // no router answered at all
    };
    Kind kind = Kind::NotAsked;
    quint32 lease = 0;
    qint64 since = 0; // seconds since the epoch
    QString holder;   // HeldElsewhere: the address it leads to
    int code = 0;     // Refused: the router's error

    bool operator==(const PortState&) const = default;
};

// What it all comes to for friends who want to join.
enum class Reach {
    Reachable,  // the port is open and the router's outside address is the internet's
    AnotherNat, // another NAT beyond the router: no mapping on this router helps
    PortClosed, // the router answered but the port does not lead here
    NoRouter,   // nothing answered: the port has to be forwarded by hand
};

struct RouterView {
    platform::RouterFound found;
    QString outside; // the router's outside address, whole, or empty
    QString echo;    // what the address-echo page saw, whole, or empty
    PortState port;
};

Reach reach(const RouterView& view);

// True when the Local IP tells of no network connection: none, or a loopback address. Then no
// router can lead the game's port here, and the player is told so instead of where to forward.
bool noNetwork(const QString& localAddress);

// The window's lines: the router, the port, and one sentence for what it means. `now` in
// seconds since the epoch, for the time an open port has left.
QString routerLine(const platform::RouterFound& found);
QString portLine(const PortState& port, qint64 now);
QString meaning(const RouterView& view, const QString& localAddress);

// What a player hosting with a router is told before the game starts, once a run for each
// cause ("another NAT", "port"); no cause when friends can reach them. A port asked for and not
// answered within the launch's wait counts as NoAnswer.
struct HostingWarning {
    QString cause;
    QString text;
};
HostingWarning hostingWarning(const RouterView& view, const QString& localAddress);

} // namespace net
