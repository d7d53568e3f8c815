// The Linux backend's side of tests/windows/registry.sh: registry_dump PREFIX FILE KEY... writes
// the keys' subtrees as the Linux backend reads them from the prefix's files.

#include "registry_dump.h"
#include "platform/linux/linux_registry.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: registry_dump PREFIX FILE KEY...\n");
        return 2;
    }
    platform::linuxbackend::LinuxRegistry registry({QString::fromLocal8Bit(argv[1])});
    QStringList keys;
    for (int i = 3; i < argc; ++i)
        keys << QString::fromLocal8Bit(argv[i]);
    return registrydump::dump(registry, keys, QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
