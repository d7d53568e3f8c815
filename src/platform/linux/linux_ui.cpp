#include "platform/linux/linux_ui.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform::linuxbackend {

bool LinuxUi::openUrl(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url));
}

} // namespace platform::linuxbackend
