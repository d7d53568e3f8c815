// The address-echo page of the end-to-end build: named by $VELKOR_E2E_ECHO_URL, so that a
// loopback server started by the test can answer it. Linked in place of the configured page.
#include "net/AddressEcho.h"

QString addressecho::pageUrl() {
    return qEnvironmentVariable("VELKOR_E2E_ECHO_URL");
}
