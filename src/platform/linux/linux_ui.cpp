#include "platform/linux/linux_ui.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace platform::linuxbackend {

int LinuxUi::messageBox(const QString& text, const QString& title, int style) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & 0xF0) {
    case mbstyle::Stop:
        icon = QMessageBox::Critical;
        break;
    case mbstyle::Exclamation:
        icon = QMessageBox::Warning;
        break;
    case mbstyle::Information:
        icon = QMessageBox::Information;
        break;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
    return 1;
}

bool LinuxUi::openUrl(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url));
}

} // namespace platform::linuxbackend
