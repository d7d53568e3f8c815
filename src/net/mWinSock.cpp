#include "net/mWinSock.h"

#include "platform/platform.h"

#include <QListWidget>
#include <QStringList>

namespace {

constexpr std::uint16_t RequestedVersion = 0x0101;
constexpr int MinimumMajor = 1;
constexpr int MinimumMinor = 1;
constexpr int MinimumSockets = 1;

void show(const QString& text) {
    platform::current().ui->messageBox(text, QStringLiteral("Velkor"), platform::mbstyle::Plain);
}

// Shows the message and ends the program. A real backend does not come back from endProgram;
// a test fake does, and the false tells the caller to stop there.
bool fail(const QString& text) {
    show(text);
    platform::current().system->endProgram();
    return false;
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

bool SocketsInitialize() {
    platform::WsaData data;
    if (platform::current().sockets->startup(RequestedVersion, data) != 0)
        return fail(winsock::notRespondingMessage());
    const int major = LoByte(data.wVersion);
    const int minor = HiByte(data.wVersion);
    if (major < MinimumMajor || (major == MinimumMajor && minor < MinimumMinor))
        return fail(winsock::versionMessage(major, minor));
    if (data.iMaxSockets < MinimumSockets)
        return fail(winsock::socketCountMessage(MinimumSockets));
    return true;
}

bool SocketsCleanup() {
    const int result = platform::current().sockets->cleanup();
    if (result != 0)
        return fail(winsock::cleanupMessage(result));
    return true;
}

void GetLocalIPAddresses(QListWidget* list) {
    platform::Sockets& sockets = *platform::current().sockets;
    QByteArray buffer;
    if (sockets.hostName(buffer) == -1) {
        show(winsock::hostNameMessage(sockets.lastError()));
        return;
    }
    const qsizetype nul = buffer.indexOf('\0');
    QByteArray name = (nul < 0 ? buffer : buffer.left(nul)).left(256);
    while (name.startsWith(' '))
        name.remove(0, 1);
    while (name.endsWith(' '))
        name.chop(1);
    const std::optional<platform::HostEntry> host = sockets.hostByName(name);
    if (!host) {
        show(winsock::notRespondingMessage());
        return;
    }
    for (const QByteArray& address : host->addresses) {
        QStringList parts;
        for (qsizetype i = 0; i < host->addressLength && i < address.size(); ++i)
            parts << QString::number(static_cast<std::uint8_t>(address.at(i)));
        list->addItem(parts.join(QLatin1Char('.')));
    }
}
