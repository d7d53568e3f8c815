#pragma once
// Qt's message box, drawn in the program's look; web pages opened by the desktop's handler.

#include "platform/common/qt_ui.h"

namespace platform::linuxbackend {

class LinuxUi : public common::QtUi {
public:
    // Owned by the active window; its icon stands for the style.
    int messageBox(const QString& text, const QString& title, int style) override;
    bool openUrl(const QString& url) override;
};

} // namespace platform::linuxbackend
