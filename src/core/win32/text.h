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

// The program's 8-bit text with each NUL byte kept as a NUL character. Decoded a piece at a
// time: Windows' ANSI decoding ends the text at the first NUL.
inline QString fromLocal8BitWithNuls(const QByteArray& bytes) {
    QString text;
    qsizetype from = 0;
    for (qsizetype nul; (nul = bytes.indexOf('\0', from)) >= 0; from = nul + 1)
        text += QString::fromLocal8Bit(bytes.mid(from, nul - from)) + QChar(0);
    return text + QString::fromLocal8Bit(bytes.mid(from));
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
