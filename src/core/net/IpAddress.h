#pragma once
// What counts as an address in text that came from outside.

#include <QStringView>

namespace net {

// True when `text` is exactly one IPv4 address in dotted-decimal form (four parts of 0 to 255,
// no leading zeros, which inet_aton would read as octal) or one IPv6 address in the text form of
// RFC 4291 (hexadecimal groups, one "::" at most, an IPv4 tail allowed; no zone, no brackets,
// no prefix length). Nothing may stand before or after it, not even white space.
bool isIpAddress(QStringView text);
// The same for IPv4 alone.
bool isIpv4Address(QStringView text);

// True for an IPv4 address that passes the whole-address rule and can be reached from the
// internet: not private, shared (100.64.0.0/10), loopback, link-local, documentation,
// benchmarking, multicast or otherwise reserved.
bool isPublicIpv4(QStringView text);

// An IPv4 address that passes the whole-address rule as a number, and whether a number lies in
// the network of `bits` bits at `base`.
quint32 ipv4Value(QStringView text);
bool ipv4Within(quint32 address, quint32 base, int bits);

} // namespace net
