#include "platform/message_box.h"

#include "platform/ui.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

int showMessageBox(const QString& text, const QString& title, int style) {
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

} // namespace platform
