#pragma once
// The socket library: start-up, clean-up and the machine's local addresses.

#include <QString>
#include <cstdint>

class QListWidget;

// Start the library; on failure the message is shown, the program ends and false is returned.
bool SocketsInitialize();
// Shut the library down; on failure the message is shown, the program ends and false is returned.
bool SocketsCleanup();
// Appends each local address, dotted, to the list. A failure shows its message and adds nothing.
void GetLocalIPAddresses(QListWidget* list);

constexpr std::uint8_t LoByte(std::uint16_t value) {
    return value & 0xFF;
}
constexpr std::uint8_t HiByte(std::uint16_t value) {
    return (value / 256) & 0xFF;
}

namespace winsock {

// The messages, as the checks word them.
QString versionMessage(int major, int minor);
QString socketCountMessage(int minimum);
QString cleanupMessage(int result);
QString hostNameMessage(int code);
QString notRespondingMessage();

} // namespace winsock
