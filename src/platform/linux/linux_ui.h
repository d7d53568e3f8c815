#pragma once
// The shared Qt message box and cursor; web pages opened by the desktop's handler.

#include "platform/common/qt_ui.h"

namespace platform::linuxbackend {

class LinuxUi : public common::QtUi {
public:
    bool openUrl(const QString& url) override;
};

} // namespace platform::linuxbackend
