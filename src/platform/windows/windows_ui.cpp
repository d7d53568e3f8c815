#include "platform/windows/windows_ui.h"

#include "platform/windows/wide.h"

#include <QApplication>
#include <QUrl>
#include <QWidget>

#include <windows.h>

#include <shellapi.h>

namespace platform::windowsbackend {

int WindowsUi::messageBox(const QString& text, const QString& title, int style) {
    UINT icon = 0;
    switch (style & 0xF0) {
    case mbstyle::Stop:
        icon = MB_ICONHAND;
        break;
    case mbstyle::Exclamation:
        icon = MB_ICONEXCLAMATION;
        break;
    case mbstyle::Information:
        icon = MB_ICONINFORMATION;
        break;
    }
    const QWidget* active = QApplication::activeWindow();
    const HWND owner = active ? reinterpret_cast<HWND>(active->winId()) : nullptr;
    MessageBoxW(owner, wide(text).c_str(), wide(title).c_str(),
                MB_OK | icon | (owner ? 0 : MB_TASKMODAL));
    return IDOK;
}

bool WindowsUi::openUrl(const QString& url) {
    const QUrl address(url);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return false;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", wide(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32; // smaller numbers are errors
}

} // namespace platform::windowsbackend
