#pragma once
// The HTML Help runtime on Linux: our own viewer windows over the .chm files (HelpViewer),
// answering the HtmlHelpA commands the help class sends.

#include "platform/helpruntime.h"

#include <QPointer>
#include <memory>
#include <utility>
#include <vector>

namespace helpfile {
class ChmFile;
}
namespace helpviewer {
class HelpPopup;
class HelpViewer;
} // namespace helpviewer

namespace platform::linuxbackend {

using helpfile::ChmFile;
using helpviewer::HelpPopup;
using helpviewer::HelpViewer;
class LinuxFiles;

// The parts of an HtmlHelpA path: "file.chm", "file.chm::/topic.htm", "file.chm>window",
// also with an "mk:@MSITStore:" or "ms-its:" prefix.
struct HelpPath {
    QString file;   // Windows path of the help file
    QString topic;  // inside it, empty when none is named
    QString window; // window type, empty for the file's default
};
HelpPath parseHelpPath(const QString& path);

class LinuxHelpRuntime : public HelpRuntime {
public:
    explicit LinuxHelpRuntime(LinuxFiles& files);
    ~LinuxHelpRuntime() override;

    // Display commands answer with the viewer's handle, the popup command with the popup's;
    // 0 when nothing is shown.
    std::intptr_t htmlHelp(std::intptr_t owner, const QString& path, unsigned command,
                           const QVariant& data) override;
    bool canOpen(const QString& helpFile) override { return openFile(helpFile) != nullptr; }

    // The open viewer or popup with that handle; nullptr once it is closed.
    HelpViewer* viewer(std::intptr_t handle) const;
    HelpPopup* popup(std::intptr_t handle) const;

private:
    // The viewer of that file and window type, opened when there is none; nullptr when the file
    // cannot be read as a help file.
    // Whether it was opened just now comes second.
    std::pair<HelpViewer*, bool> viewerFor(const HelpPath& path, std::intptr_t owner);
    std::shared_ptr<ChmFile> openFile(const QString& windowsPath);
    std::intptr_t showPopup(std::intptr_t owner, const QString& path, const QVariant& data);
    void closeAll();

    LinuxFiles& files_;
    std::vector<QPointer<HelpViewer>> viewers_;
    std::vector<std::pair<std::intptr_t, QPointer<HelpPopup>>> popups_;
    std::intptr_t nextHandle_ = 0x10000;
};

} // namespace platform::linuxbackend
