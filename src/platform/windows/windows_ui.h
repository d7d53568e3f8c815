#pragma once
// The system's own message box, and web pages opened by the shell.

#include "platform/common/qt_ui.h"

namespace platform::windowsbackend {

class WindowsUi : public common::QtUi {
public:
    // MessageBoxW, owned by the active window (modal for the whole program without one): the
    // look, sound and keys Windows players know.
    int messageBox(const QString& text, const QString& title, int style) override;
    // Only http and https addresses: the shell would run a program that a path names.
    bool openUrl(const QString& url) override;
};

} // namespace platform::windowsbackend
