// The address-echo page of the end-to-end build, answered by the test's loopback server.
#include "core/net/AddressEcho.h"

QString addressecho::pageUrl() {
    return qEnvironmentVariable("VELKOR_E2E_ECHO_URL");
}
