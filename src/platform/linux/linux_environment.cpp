// The environment a Windows program in the prefix sees.
#include "platform/linux/linux_system.h"

#include <QProcessEnvironment>
#include <array>
#include <utility>

namespace platform::linuxbackend {

// The process environment, with the system folders set as Wine sets them in every prefix.
QHash<QString, QString> LinuxSystem::environment() {
    QHash<QString, QString> variables;
    const QProcessEnvironment process = QProcessEnvironment::systemEnvironment();
    for (const QString& name : process.keys())
        variables.insert(name.toUpper(), process.value(name));
    static constexpr std::array prefixFolders{
        std::pair{"SYSTEMROOT", "C:\\windows"},
        std::pair{"WINDIR", "C:\\windows"},
        std::pair{"SYSTEMDRIVE", "C:"},
        std::pair{"PROGRAMDATA", "C:\\ProgramData"},
        std::pair{"ALLUSERSPROFILE", "C:\\ProgramData"},
        std::pair{"PUBLIC", "C:\\users\\Public"},
    };
    for (const auto& [name, value] : prefixFolders)
        variables.insert(QLatin1String(name), QLatin1String(value));
    return variables;
}

} // namespace platform::linuxbackend
