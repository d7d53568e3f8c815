#pragma once
// The HTML Help runtime of a system without one: HtmlHelpA's commands answered by our own viewer
// windows and popups over the compiled help files. How a help file is found and opened is the
// system's: a backend gives it.

#include "platform/helpruntime.h"

#include <QPointer>
#include <memory>
#include <utility>
#include <vector>

namespace helpfile {
class ChmFile;
struct HelpPath;
} // namespace helpfile

namespace helpviewer {

using helpfile::ChmFile;
using helpfile::HelpPath;
class HelpPopup;
class HelpViewer;

class ViewerRuntime : public platform::HelpRuntime {
public:
    ~ViewerRuntime() override;

    // Display commands answer with the viewer's handle, the popup command with the popup's;
    // 0 when nothing is shown.
    std::intptr_t htmlHelp(std::intptr_t owner, const QString& path, unsigned command,
                           const QVariant& data) override;
    bool canOpen(const QString& helpFile) override { return openFile(helpFile) != nullptr; }

    // The open viewer or popup with that handle; nullptr once it is closed.
    HelpViewer* viewer(std::intptr_t handle) const;
    HelpPopup* popup(std::intptr_t handle) const;

protected:
    // The help file at a Windows path, opened for reading; nullptr when it cannot be read as one.
    virtual std::shared_ptr<ChmFile> openFile(const QString& windowsPath) = 0;
    // Whether a Windows path names the help file a viewer shows.
    virtual bool sameFile(const QString& windowsPath, const ChmFile& file) = 0;

private:
    // The viewer of that file and window type, opened when there is none; nullptr when the file
    // cannot be read as a help file.
    // Whether it was opened just now comes second.
    std::pair<HelpViewer*, bool> viewerFor(const HelpPath& path, std::intptr_t owner);
    std::intptr_t showPopup(std::intptr_t owner, const QString& path, const QVariant& data);
    void closeAll();

    std::vector<QPointer<HelpViewer>> viewers_;
    std::vector<std::pair<std::intptr_t, QPointer<HelpPopup>>> popups_;
    std::intptr_t nextHandle_ = 0x10000;
};

} // namespace helpviewer
