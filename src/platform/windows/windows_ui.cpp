#include "platform/windows/windows_ui.h"

#include "platform/windows/wide.h"

#include <QUrl>

#include <windows.h>

#include <shellapi.h>

namespace platform::windowsbackend {

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
