#pragma once
// The shared Qt message box, and the web pages opened by the shell.

#include "platform/ui.h"

namespace platform::windowsbackend {

class WindowsUi : public Ui {
public:
    int messageBox(const QString& text, const QString& title, int style) override;
    // Only http and https addresses: the shell would run a program that a path names.
    bool openUrl(const QString& url) override;
    QPoint cursorPos() override;
};

} // namespace platform::windowsbackend
