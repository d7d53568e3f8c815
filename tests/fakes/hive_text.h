#pragma once
// Wine registry files for the tests: a file around a body, a link value.

#include "core/wine/registry_hive.h"

namespace fakes {

inline QByteArray hiveFile(const QByteArray& body, const QByteArray& arch = "win32") {
    return "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n#arch=" + arch +
           "\n" + body;
}

inline QByteArray utf16(const char16_t* text, qsizetype size = -1) {
    return wine::utf16Data(QString::fromUtf16(text, size)) + QByteArray(2, '\0');
}

// A key's link to another of the machine's hive.
inline QByteArray linkTo(const QByteArray& key) {
    QByteArray hex;
    for (const char c : "\\Registry\\Machine\\" + key)
        hex += QByteArray::number(uchar(c), 16) + ",00,";
    return "#link\n\"SymbolicLinkValue\"=hex(6):" + hex.chopped(1) + "\n";
}

} // namespace fakes
