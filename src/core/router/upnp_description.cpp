#include "core/router/upnp_description.h"

#include <QByteArray>

namespace net {

namespace {

// A description is a few KiB; what lies beyond this is not looked at.
constexpr qsizetype ReadLimit = 64 * 1024;

// "&amp;" and the other references at `at`, as one character; false for anything else.
bool decodeReference(QByteArrayView text, qsizetype& at, QString& out) {
    const qsizetype end = text.indexOf(';', at);
    if (end < 0 || end - at > 10)
        return false;
    const QByteArrayView name = text.sliced(at + 1, end - at - 1);
    char32_t code = 0;
    if (name == "amp")
        code = '&';
    else if (name == "lt")
        code = '<';
    else if (name == "gt")
        code = '>';
    else if (name == "quot")
        code = '"';
    else if (name == "apos")
        code = '\'';
    else if (name.startsWith('#') && name.size() > 1) {
        bool ok = false;
        const bool hex = name.size() > 2 && (name[1] == 'x' || name[1] == 'X');
        const uint value = name.sliced(hex ? 2 : 1).toByteArray().toUInt(&ok, hex ? 16 : 10);
        if (!ok || value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        code = value;
    } else {
        return false;
    }
    out += QString::fromUcs4(&code, 1);
    at = end + 1;
    return true;
}

// Where the next <device> element opens, from `from`; <deviceType> and <deviceList> are not one.
qsizetype nextDevice(QByteArrayView text, qsizetype from) {
    const qsizetype plain = text.indexOf("<device>", from);
    const qsizetype attributed = text.indexOf("<device ", from);
    return plain < 0 ? attributed : attributed < 0 ? plain : qMin(plain, attributed);
}

} // namespace

QString deviceText(QByteArrayView description, QByteArrayView tag, qsizetype limit) {
    const QByteArrayView text = description.first(qMin(description.size(), ReadLimit));
    const qsizetype device = nextDevice(text, 0);
    if (device < 0)
        return {};
    // The root device's own elements come before the devices it holds.
    qsizetype inner = nextDevice(text, device + 7);
    if (inner < 0)
        inner = text.size();
    const QByteArray open = "<" + tag.toByteArray() + ">";
    const QByteArray close = "</" + tag.toByteArray() + ">";
    const qsizetype start = text.indexOf(open, device);
    if (start < 0 || start >= inner)
        return {};
    const qsizetype from = start + open.size();
    const qsizetype to = text.indexOf(close, from);
    if (to < 0)
        return {};
    const QByteArrayView raw = text.sliced(from, to - from);
    QString value;
    for (qsizetype at = 0; at < raw.size() && value.size() < limit;) {
        if (raw[at] == '&' && decodeReference(raw, at, value))
            continue;
        // Plain text runs, decoded as the UTF-8 descriptions are written in.
        qsizetype next = raw.indexOf('&', at + 1);
        if (next < 0)
            next = raw.size();
        value += QString::fromUtf8(raw.sliced(at, next - at));
        at = next;
    }
    return value.left(limit);
}

} // namespace net
