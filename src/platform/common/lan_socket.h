#pragma once
// A socket toward a device on the local network, the same on both systems: non-blocking, every
// wait bounded by a deadline, closed with the object.

#include <QByteArray>
#include <QDeadlineTimer>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace platform::common {

class LanSocket {
public:
#ifdef _WIN32
    using Handle = SOCKET;
#else
    using Handle = int;
#endif

    // A non-blocking socket of this family and type; not valid() when none could be made.
    LanSocket(int family, int type);
    ~LanSocket();
    LanSocket(const LanSocket&) = delete;
    LanSocket& operator=(const LanSocket&) = delete;

    bool valid() const;
    Handle handle() const {
        return handle_;
    }

    // Connects within the deadline; false when it failed or the time ran out.
    bool connectTo(const sockaddr* address, int length, QDeadlineTimer deadline);
    // Sends all of it by the deadline.
    bool sendAll(QByteArrayView data, QDeadlineTimer deadline);
    // Waits until something can be read (or the peer closed); false when time ran out first.
    bool readable(QDeadlineTimer deadline);
    bool writable(QDeadlineTimer deadline);
    // The last call failed only because it would have waited.
    static bool wouldWait();

private:
    void close();
    bool wait(bool forWriting, QDeadlineTimer deadline);

    Handle handle_;
};

} // namespace platform::common
