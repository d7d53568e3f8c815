#pragma once
// What both backends answer the same way, through Qt: the cursor's position, the windows'
// handles and context help. Each backend shows message boxes and opens web pages its own way.

#include "platform/ui.h"

namespace platform::common {

class QtUi : public Ui {
public:
    QPoint cursorPos() override;
    std::intptr_t windowHandle(QObject* window) override;
    void enterWhatsThisMode() override;
};

} // namespace platform::common
