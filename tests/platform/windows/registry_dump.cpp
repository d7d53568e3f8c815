// registry_dump PREFIX FILE KEY...: the Linux backend's side of tests/windows/registry.sh.

#include "registry_dump.h"
#include "platform/linux/linux_registry.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4)
        return std::fputs("usage: registry_dump PREFIX FILE KEY...\n", stderr), 2;
    platform::linuxbackend::LinuxRegistry registry(
        platform::WinePrefix(QString::fromLocal8Bit(argv[1])));
    QStringList keys;
    for (int i = 3; i < argc; ++i)
        keys << QString::fromLocal8Bit(argv[i]);
    return registrydump::dump(registry, keys, QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
