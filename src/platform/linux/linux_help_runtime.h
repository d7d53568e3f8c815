#pragma once
// The HTML Help runtime on Linux: our own viewer windows (gui/helpviewer) over the help files of
// the prefix's drives, opened only when they are regular files.

#include "gui/helpviewer/help_runtime.h"

namespace platform::linuxbackend {

class LinuxFiles;

class LinuxHelpRuntime : public helpviewer::ViewerRuntime {
public:
    explicit LinuxHelpRuntime(LinuxFiles& files) : files_(files) {}

protected:
    std::shared_ptr<helpfile::ChmFile> openFile(const QString& windowsPath) override;
    bool sameFile(const QString& windowsPath, const helpfile::ChmFile& file) override;

private:
    LinuxFiles& files_;
};

} // namespace platform::linuxbackend
