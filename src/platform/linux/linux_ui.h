#pragma once

#include "platform/ui.h"

namespace platform::linuxbackend {

struct WinePrefix;
class LinuxFiles;
class LinuxRegistry;

class LinuxUi : public Ui {
public:
    LinuxUi() = default;
    int messageBox(const QString& text, const QString& title, int style) override;
    bool openUrl(const QString& url) override;
    QPoint cursorPos() override;
};

} // namespace platform::linuxbackend
