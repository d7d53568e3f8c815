#include "platform/platform.h"

namespace platform {

namespace {
Services installed;
}

Services& current() {
    return installed;
}

void install(const Services& services) {
    installed = services;
}

} // namespace platform
