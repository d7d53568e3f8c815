#pragma once
// The shared Qt message box, and the web pages opened by the shell.

#include "platform/common/qt_ui.h"

namespace platform::windowsbackend {

class WindowsUi : public common::QtUi {
public:
    // Only http and https addresses: the shell would run a program that a path names.
    bool openUrl(const QString& url) override;
};

} // namespace platform::windowsbackend
