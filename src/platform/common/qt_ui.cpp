#include "platform/common/qt_ui.h"

#include "gui/forms/message_box.h"

#include <QCursor>

namespace platform::common {

int QtUi::messageBox(const QString& text, const QString& title, int style) {
    return forms::showMessageBox(text, title, style);
}

QPoint QtUi::cursorPos() {
    return QCursor::pos();
}

} // namespace platform::common
