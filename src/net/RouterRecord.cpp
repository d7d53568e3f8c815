#include "net/RouterRecord.h"

#include "net/IpAddress.h"
#include "net/RouterFacts.h"
#include "platform/platform.h"

#include <QCryptographicHash>
#include <QFile>
#include <QList>

namespace net {

namespace {

constexpr qint64 SizeLimit = 4096;
using Protocol = platform::RouterFound::Protocol;

std::optional<RouterRecord::Mapping> mappingFrom(const QByteArray& value) {
    // "<UPnP|NAT-PMP> <port> <client> <lease> <since> <description, blanks and all>"
    QList<QByteArray> fields;
    qsizetype from = 0;
    for (int i = 0; i < 5; ++i) {
        const qsizetype blank = value.indexOf(' ', from);
        if (blank < 0)
            return std::nullopt;
        fields << value.mid(from, blank - from);
        from = blank + 1;
    }
    RouterRecord::Mapping mapping;
    if (fields[0] == "UPnP")
        mapping.protocol = Protocol::Upnp;
    else if (fields[0] == "NAT-PMP")
        mapping.protocol = Protocol::NatPmp;
    else
        return std::nullopt;
    bool port = false, lease = false, since = false;
    const uint number = fields[1].toUInt(&port);
    mapping.port = quint16(number);
    mapping.client = QString::fromLatin1(fields[2]);
    mapping.lease = fields[3].toUInt(&lease);
    mapping.since = fields[4].toLongLong(&since);
    mapping.description = QString::fromUtf8(value.mid(from));
    // Velkor maps the game's port alone: a line naming another is no record of its own.
    if (!port || number != GamePort || !lease || !since || !isIpv4Address(mapping.client))
        return std::nullopt;
    return mapping;
}

} // namespace

QString RouterRecord::fileIn(const QString& settingsFolder) {
    return settingsFolder + QStringLiteral("\\VelkorRouter.cfg");
}

RouterRecord RouterRecord::parse(const QByteArray& text) {
    RouterRecord record;
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        const qsizetype equals = line.indexOf('=');
        if (line.startsWith('#') || equals <= 0)
            continue;
        const QByteArray key = line.left(equals), value = line.mid(equals + 1);
        if (key == "OpenPortWhenHosting" && (value == "0" || value == "1"))
            record.openPortWhenHosting = value == "1";
        else if (key == "Mapping")
            record.mapping = mappingFrom(value);
    }
    return record;
}

QByteArray RouterRecord::text() const {
    QByteArray out = "# Velkor's router settings; Velkor.cfg keeps the others.\n";
    out += "OpenPortWhenHosting=" + QByteArray(openPortWhenHosting ? "1" : "0") + '\n';
    if (mapping) {
        // One line: a description never holds a line break of its own.
        QString description = mapping->description;
        description.replace(u'\n', u' ').replace(u'\r', u' ');
        out += "Mapping=" + QByteArray(mapping->protocol == Protocol::NatPmp ? "NAT-PMP" : "UPnP") +
               ' ' + QByteArray::number(mapping->port) + ' ' + mapping->client.toLatin1() + ' ' +
               QByteArray::number(mapping->lease) + ' ' + QByteArray::number(mapping->since) + ' ' +
               description.toUtf8() + '\n';
    }
    return out;
}

RouterRecord RouterRecord::read(const QString& windowsFile) {
    const auto file = platform::current().files->openRegularFile(windowsFile, QIODevice::ReadOnly);
    if (!file || file->size() > SizeLimit)
        return {};
    return parse(file->read(SizeLimit));
}

bool RouterRecord::write(const QString& windowsFile) const {
    return platform::current().files->replaceFile(windowsFile, text());
}

QString RouterRecord::notSavedMessage() {
    return QStringLiteral("Could not update \"VelkorRouter.cfg\" in Velkor's settings folder "
                          "(the disk may be full, or the file read-only or not yours): what "
                          "Velkor opened on your router may stay open after it closes, and your "
                          "router choice may not be kept.");
}

QString ownerTag(const QString& settingsFolder) {
    return QString::fromLatin1(
        QCryptographicHash::hash(settingsFolder.toUtf8(), QCryptographicHash::Sha256)
            .toHex()
            .left(6));
}

QString mappingDescription(const QString& client, const QString& owner) {
    return sharedDescription(client) + u' ' + owner;
}

QString sharedDescription(const QString& client) {
    return QStringLiteral("Velkor (%1)").arg(client);
}

bool madeBy(const RouterRecord::Mapping& mapping, const QString& owner) {
    return mapping.description == mappingDescription(mapping.client, owner) ||
           mapping.description == sharedDescription(mapping.client);
}

} // namespace net
