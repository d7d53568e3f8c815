#include "platform/common/lan_socket.h"

#include <algorithm>

#ifdef _WIN32
#include <winsock2.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace platform::common {

namespace {

#ifdef _WIN32
constexpr LanSocket::Handle NoSocket = INVALID_SOCKET;
#else
constexpr LanSocket::Handle NoSocket = -1;
#endif

} // namespace

LanSocket::LanSocket(int family, int type) : handle_(::socket(family, type, 0)) {
    if (!valid())
        return;
#ifdef _WIN32
    u_long on = 1;
    const bool nonBlocking = ::ioctlsocket(handle_, FIONBIO, &on) == 0;
#else
    const bool nonBlocking = ::fcntl(handle_, F_SETFD, FD_CLOEXEC) == 0 &&
                             ::fcntl(handle_, F_SETFL, ::fcntl(handle_, F_GETFL) | O_NONBLOCK) == 0;
#endif
    if (!nonBlocking)
        close();
}

LanSocket::~LanSocket() {
    close();
}

void LanSocket::close() {
    if (!valid())
        return;
#ifdef _WIN32
    ::closesocket(handle_);
#else
    ::close(handle_);
#endif
    handle_ = NoSocket;
}

bool LanSocket::valid() const {
    return handle_ != NoSocket;
}

bool LanSocket::wouldWait() {
#ifdef _WIN32
    return WSAGetLastError() == WSAEWOULDBLOCK;
#else
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINPROGRESS;
#endif
}

bool LanSocket::wait(bool forWriting, QDeadlineTimer deadline) {
    for (;;) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return false;
        const int ms = int(std::min<qint64>(left, 1000));
#ifdef _WIN32
        fd_set ready, failed;
        FD_ZERO(&ready);
        FD_SET(handle_, &ready);
        // Winsock tells of a failed connect in the exception set.
        FD_ZERO(&failed);
        FD_SET(handle_, &failed);
        timeval wait{ms / 1000, (ms % 1000) * 1000};
        const int n = ::select(0, forWriting ? nullptr : &ready, forWriting ? &ready : nullptr,
                               &failed, &wait);
        if (n < 0)
            return false;
#else
        pollfd watched{handle_, short(forWriting ? POLLOUT : POLLIN), 0};
        const int n = ::poll(&watched, 1, ms);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
#endif
        if (n > 0)
            return true;
    }
}

bool LanSocket::readable(QDeadlineTimer deadline) {
    return wait(false, deadline);
}

bool LanSocket::writable(QDeadlineTimer deadline) {
    return wait(true, deadline);
}

bool LanSocket::connectTo(const sockaddr* address, int length, QDeadlineTimer deadline) {
    if (!valid())
        return false;
    if (::connect(handle_, address, length) != 0) {
        if (!wouldWait() || !writable(deadline))
            return false;
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(handle_, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size) !=
                0 ||
            error != 0)
            return false;
    }
    return true;
}

bool LanSocket::sendAll(QByteArrayView data, QDeadlineTimer deadline) {
#ifdef _WIN32
    constexpr int flags = 0;
#else
    constexpr int flags = MSG_NOSIGNAL; // a closed peer is a failed send, not a signal
#endif
    while (!data.isEmpty()) {
        const auto sent =
            ::send(handle_, data.data(), int(std::min<qsizetype>(data.size(), 65536)), flags);
        if (sent > 0) {
            data = data.sliced(sent);
            continue;
        }
        if (sent < 0 && wouldWait() && writable(deadline))
            continue;
        return false;
    }
    return true;
}

} // namespace platform::common
