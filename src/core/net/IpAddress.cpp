#include "core/net/IpAddress.h"

#include <QList>

namespace net {

namespace {

// "ffff:ffff:ffff:ffff:ffff:ffff:255.255.255.255", the longest form either family has.
constexpr qsizetype LongestAddress = 45;

bool isDecimal(QChar c) {
    return c >= u'0' && c <= u'9';
}

bool isHex(QChar c) {
    return isDecimal(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool isIpv4(QStringView text) {
    int parts = 0;
    qsizetype i = 0;
    for (;;) {
        const qsizetype start = i;
        int value = 0;
        while (i < text.size() && i - start < 4 && isDecimal(text[i]))
            value = value * 10 + (text[i++].unicode() - u'0');
        const qsizetype digits = i - start;
        if (digits == 0 || digits > 3 || value > 255 || (digits > 1 && text[start] == u'0'))
            return false;
        ++parts;
        if (i == text.size())
            return parts == 4;
        if (text[i] != u'.')
            return false;
        ++i;
    }
}

bool isIpv6(QStringView text) {
    int groups = 0; // of 16 bits; an IPv4 tail counts two
    bool gap = false;
    qsizetype i = 0;
    if (text.startsWith(u"::")) {
        gap = true;
        i = 2;
    }
    while (i < text.size()) {
        const qsizetype start = i;
        while (i < text.size() && i - start < 5 && isHex(text[i]))
            ++i;
        if (i < text.size() && text[i] == u'.') {
            // Only the last 32 bits may be written as IPv4.
            if (!isIpv4(text.mid(start)))
                return false;
            groups += 2;
            break;
        }
        if (i == start || i - start > 4)
            return false;
        ++groups;
        if (i == text.size())
            break;
        if (text[i] != u':' || ++i == text.size())
            return false;
        if (text[i] == u':') {
            if (gap)
                return false;
            gap = true;
            ++i;
        }
    }
    // "::" stands for at least one group of zeros.
    return gap ? groups <= 7 : groups == 8;
}

} // namespace

// The address as a number; for text that passed the whole-address rule as IPv4.
quint32 ipv4Value(QStringView text) {
    quint32 value = 0;
    for (const QStringView part : text.split(u'.'))
        value = value << 8 | part.toUInt();
    return value;
}

bool ipv4Within(quint32 address, quint32 base, int bits) {
    return (address >> (32 - bits)) == (base >> (32 - bits));
}

bool isPublicIpv4(QStringView text) {
    if (!isIpv4Address(text))
        return false;
    const quint32 a = ipv4Value(text);
    struct Range {
        quint32 base;
        int bits;
    };
    // The special-purpose ranges of IANA's registry that are not reachable from the internet.
    static constexpr Range reserved[] = {
        {0x00000000, 8},  {0x0A000000, 8},  {0x64400000, 10}, {0x7F000000, 8},  {0xA9FE0000, 16},
        {0xAC100000, 12}, {0xC0000000, 24}, {0xC0000200, 24}, {0xC0586300, 24}, {0xC0A80000, 16},
        {0xC6120000, 15}, {0xC6336400, 24}, {0xCB007100, 24}, {0xE0000000, 4},  {0xF0000000, 4}};
    for (const Range& range : reserved)
        if (ipv4Within(a, range.base, range.bits))
            return false;
    return true;
}

bool isIpAddress(QStringView text) {
    if (text.isEmpty() || text.size() > LongestAddress)
        return false;
    return isIpv4(text) || isIpv6(text);
}

bool isIpv4Address(QStringView text) {
    return !text.isEmpty() && text.size() <= LongestAddress && isIpv4(text);
}

} // namespace net
