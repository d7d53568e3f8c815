#pragma once
// Qt texts as the wide strings the Windows calls take, and back.

#include <QString>
#include <string>

namespace platform::windowsbackend {

// A NUL-terminated copy for a call that takes a const wchar_t*.
inline std::wstring wide(const QString& text) {
    return text.toStdWString();
}

inline QString fromWide(const wchar_t* text, qsizetype length = -1) {
    return length < 0 ? QString::fromWCharArray(text) : QString::fromWCharArray(text, length);
}

} // namespace platform::windowsbackend
