#include "platform/common/qt_ui.h"

#include <QCursor>
#include <QWhatsThis>
#include <QWidget>

namespace platform::common {

QPoint QtUi::cursorPos() {
    return QCursor::pos();
}

std::intptr_t QtUi::windowHandle(QObject* window) {
    const auto* widget = qobject_cast<QWidget*>(window);
    return widget ? static_cast<std::intptr_t>(widget->winId()) : 0;
}

void QtUi::enterWhatsThisMode() {
    QWhatsThis::enterWhatsThisMode();
}

} // namespace platform::common
