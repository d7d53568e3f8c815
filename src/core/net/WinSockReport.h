#pragma once
// The windows' side of the socket routines: what they reported, shown to the player.

#include "core/net/mWinSock.h"

namespace winsock {

// The message in a plain box, then the end of the program when the failure ends it. false when
// the program is ending.
bool goOnAfter(const Status& status);

} // namespace winsock
