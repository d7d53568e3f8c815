#pragma once
// What the program shows outside its own windows.

#include <QPoint>
#include <QString>
#include <cstdint>

class QObject;

namespace platform {

namespace mbstyle {
constexpr int Plain = 0, Stop = 16, Exclamation = 48, Information = 64;
}

class Ui {
public:
    virtual ~Ui() = default;
    // A modal message box with one OK button; style 0, 16, 48 or 64. Returns 1 (OK).
    virtual int messageBox(const QString& text, const QString& title, int style) = 0;
    // Opens a web page in the user's browser; false when nothing could open it.
    virtual bool openUrl(const QString& url) = 0;
    // The mouse cursor in screen coordinates.
    virtual QPoint cursorPos() = 0;
    // The system's handle of one of the program's windows (a QWidget), 0 for anything else.
    virtual std::intptr_t windowHandle(QObject* window) = 0;
    // Context-help ("What's This?") mode: the next click on a control shows its help.
    virtual void enterWhatsThisMode() = 0;
};

} // namespace platform
