#pragma once
// The socket library: start-up, clean-up and the machine's local addresses. The routines only
// report; the window that calls them shows the message and ends the program when told to.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace winsock {

struct Status {
    QString message;          // empty: all went well
    bool endsProgram = false; // after the message, the program ends at once
    bool ok() const { return message.isEmpty(); }
};

struct LocalAddresses {
    QStringList addresses; // dotted, in the resolver's order
    Status status;         // a failure here never ends the program
};

// The messages, as the checks word them.
QString versionMessage(int major, int minor);
QString socketCountMessage(int minimum);
QString cleanupMessage(int result);
QString hostNameMessage(int code);
QString notRespondingMessage();

} // namespace winsock

// Starts the library and checks its version and socket count.
winsock::Status SocketsInitialize();
// Shuts the library down.
winsock::Status SocketsCleanup();
// The machine's local addresses; on a failure none, and the message.
winsock::LocalAddresses GetLocalIPAddresses();

constexpr std::uint8_t LoByte(std::uint16_t value) {
    return value & 0xFF;
}
constexpr std::uint8_t HiByte(std::uint16_t value) {
    return (value / 256) & 0xFF;
}
