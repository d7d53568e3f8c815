#pragma once
// Small text rules shared by the Windows calls and the stored records.

#include <QByteArray>
#include <QString>

// The text before its first NUL; all of it when it has none.
inline QString TrimAtNull(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? text : text.left(nul);
}
inline QByteArray TrimAtNull(const QByteArray& bytes) {
    const qsizetype nul = bytes.indexOf('\0');
    return nul < 0 ? bytes : bytes.left(nul);
}

// The text without its leading and trailing blanks; other white space stays.
template <typename Text> Text trimBlanks(const Text& text) {
    qsizetype from = 0, to = text.size();
    while (from < to && text.at(from) == ' ')
        ++from;
    while (to > from && text.at(to - 1) == ' ')
        --to;
    return text.mid(from, to - from);
}
