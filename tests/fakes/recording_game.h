#pragma once
// A stand-in for a game executable: a shell script recording its folder and its arguments.

#include <QTest>

namespace fakes {

// Writes the script, executable; it writes its folder, then "<argument>" lines, to PATH.args.
// The file is renamed into place, so a reader never sees it half written.
inline bool writeRecordingGame(const QString& nativePath) {
    QFile file(nativePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write("#!/bin/sh\n{ printf '%s\\n' \"$(pwd)\"; for a in \"$@\"; do printf '<%s>\\n' "
                   "\"$a\"; done; } > \"$0.args.tmp\" && mv \"$0.args.tmp\" \"$0.args\"\n") < 0)
        return false;
    file.close();
    return file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

// What it recorded once it ran, its folder first; empty if it did not.
inline QStringList recordedLines(const QString& nativePath) {
    QFile file(nativePath + QStringLiteral(".args"));
    if (!QTest::qWaitFor([&] { return file.exists(); }, 5000) || !file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace fakes
