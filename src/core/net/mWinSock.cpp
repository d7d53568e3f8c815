#include "core/net/mWinSock.h"

#include "core/win32/text.h"
#include "platform/platform.h"

namespace {

constexpr std::uint16_t RequestedVersion = 0x0101;
constexpr int MinimumMajor = 1;
constexpr int MinimumMinor = 1;
constexpr int MinimumSockets = 1;

winsock::Status ending(const QString& message) {
    return {message, true};
}

} // namespace

namespace winsock {

QString versionMessage(int major, int minor) {
    return QStringLiteral("Windows Sockets version %1.%2 is not supported by winsock.dll ")
        .arg(major)
        .arg(minor);
}

QString socketCountMessage(int minimum) {
    return QStringLiteral("This application requires a minimum of %1 supported sockets.")
        .arg(minimum);
}

QString cleanupMessage(int result) {
    return QStringLiteral("Socket error %1 occurred in Cleanup ").arg(result);
}

QString hostNameMessage(int code) {
    // The number is written with a blank where a plus sign would stand.
    return QStringLiteral("Windows Sockets error ") +
           (code >= 0 ? QStringLiteral(" ") : QString()) + QString::number(code);
}

QString notRespondingMessage() {
    return QStringLiteral("Winsock.dll is not responding.");
}

} // namespace winsock

winsock::Status SocketsInitialize() {
    platform::WsaData data;
    if (platform::current().sockets->startup(RequestedVersion, data) != 0)
        return ending(winsock::notRespondingMessage());
    const int major = LoByte(data.wVersion);
    const int minor = HiByte(data.wVersion);
    if (major < MinimumMajor || (major == MinimumMajor && minor < MinimumMinor))
        return ending(winsock::versionMessage(major, minor));
    if (data.iMaxSockets < MinimumSockets)
        return ending(winsock::socketCountMessage(MinimumSockets));
    return {};
}

winsock::Status SocketsCleanup() {
    const int result = platform::current().sockets->cleanup();
    if (result != 0)
        return ending(winsock::cleanupMessage(result));
    return {};
}

winsock::LocalAddresses GetLocalIPAddresses() {
    platform::Sockets& sockets = *platform::current().sockets;
    winsock::LocalAddresses local;
    QByteArray buffer;
    if (sockets.hostName(buffer) == -1) {
        local.status.message = winsock::hostNameMessage(sockets.lastError());
        return local;
    }
    const QByteArray name = trimBlanks(TrimAtNull(buffer).left(256));
    const std::optional<platform::HostEntry> host = sockets.hostByName(name);
    if (!host) {
        local.status.message = winsock::notRespondingMessage();
        return local;
    }
    for (const QByteArray& address : host->addresses) {
        QStringList parts;
        for (qsizetype i = 0; i < host->addressLength && i < address.size(); ++i)
            parts << QString::number(static_cast<std::uint8_t>(address.at(i)));
        local.addresses << parts.join(QLatin1Char('.'));
    }
    return local;
}
