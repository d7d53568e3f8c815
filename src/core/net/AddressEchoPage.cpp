#include "core/net/AddressEcho.h"

#include "buildconfig.h"

namespace addressecho {

// Alone in its file, so that the end-to-end tests can link a loopback page in its place.
QString pageUrl() {
    return QStringLiteral(VELKOR_ADDRESS_ECHO_URL);
}

} // namespace addressecho
