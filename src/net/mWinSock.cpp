#include "net/mWinSock.h"

#include <QListWidget>

bool SocketsInitialize() { return true; }

bool SocketsCleanup() { return true; }

void GetLocalIPAddresses(QListWidget*) {}
