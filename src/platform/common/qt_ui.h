#pragma once
// What both backends show the same way, through Qt: the program's own message box and the
// cursor's position. Each backend opens web pages its own way.

#include "platform/ui.h"

namespace platform::common {

class QtUi : public Ui {
public:
    int messageBox(const QString& text, const QString& title, int style) override;
    QPoint cursorPos() override;
};

} // namespace platform::common
