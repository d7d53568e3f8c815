#pragma once

#include "platform/helpruntime.h"

namespace platform::linuxbackend {

struct WinePrefix;
class LinuxFiles;
class LinuxRegistry;

class LinuxHelpRuntime : public HelpRuntime {
public:
    explicit LinuxHelpRuntime(LinuxFiles& files);
    std::intptr_t htmlHelp(std::intptr_t owner, const QString& path, unsigned command,
                           const QVariant& data) override;
};

} // namespace platform::linuxbackend
