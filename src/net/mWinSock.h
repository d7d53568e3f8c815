#pragma once
// The socket library: start-up, clean-up and the machine's local addresses.

#include <cstdint>

class QListWidget;

// Start the library; on failure the message is shown, the program ends and false is returned.
bool SocketsInitialize();
// Shut the library down; on failure the message is shown, the program ends and false is returned.
bool SocketsCleanup();
// Appends each local address, dotted, to the list.
void GetLocalIPAddresses(QListWidget* list);

constexpr std::uint8_t LoByte(std::uint16_t value) { return value & 0xFF; }
constexpr std::uint8_t HiByte(std::uint16_t value) { return (value / 256) & 0xFF; }
