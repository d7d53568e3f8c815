#include "platform/linux/linux_ui.h"

#include "platform/message_box.h"

#include <QCursor>
#include <QDesktopServices>
#include <QUrl>

namespace platform::linuxbackend {

int LinuxUi::messageBox(const QString& text, const QString& title, int style) {
    return showMessageBox(text, title, style);
}

bool LinuxUi::openUrl(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url));
}

QPoint LinuxUi::cursorPos() {
    return QCursor::pos();
}

} // namespace platform::linuxbackend
