#include "platform/linux/linux_help_runtime.h"

#include "core/helpfile/chm_file.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/regular_file.h"

#include <QFileInfo>

namespace platform::linuxbackend {

std::shared_ptr<helpfile::ChmFile> LinuxHelpRuntime::openFile(const QString& windowsPath) {
    if (windowsPath.isEmpty())
        return nullptr;
    const QString native = files_.toNative(windowsPath);
    if (native.isEmpty())
        return nullptr;
    // chmlib would wait for ever on a FIFO: it gets the file only once it is known to be a
    // regular one, through a name that cannot lead anywhere else.
    const RegularFile file(native);
    if (!file.isOpen())
        return nullptr;
    return std::shared_ptr<helpfile::ChmFile>(helpfile::ChmFile::open(native, file.reopenPath()));
}

bool LinuxHelpRuntime::sameFile(const QString& windowsPath, const helpfile::ChmFile& file) {
    return QFileInfo(file.nativePath()) == QFileInfo(files_.toNative(windowsPath));
}

} // namespace platform::linuxbackend
