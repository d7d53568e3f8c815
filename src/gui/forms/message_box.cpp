#include "gui/forms/message_box.h"

#include "platform/ui.h"

#include <QApplication>
#include <QMessageBox>

namespace forms {

int showMessageBox(const QString& text, const QString& title, int style) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (style & 0xF0) {
    case platform::mbstyle::Stop:
        icon = QMessageBox::Critical;
        break;
    case platform::mbstyle::Exclamation:
        icon = QMessageBox::Warning;
        break;
    case platform::mbstyle::Information:
        icon = QMessageBox::Information;
        break;
    }
    QMessageBox box(icon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
    return 1;
}

} // namespace forms
