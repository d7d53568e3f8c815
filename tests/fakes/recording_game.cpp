#include "fakes/recording_game.h"

#include <QTest>

namespace fakes {

namespace {
// The file is renamed into place, so a reader never sees it half written.
const QByteArray Script = "#!/bin/sh\n"
                          "{ printf '%s\\n' \"$(pwd)\"; for a in \"$@\"; do printf '<%s>\\n' "
                          "\"$a\"; done; } > \"$0.args.tmp\" && mv \"$0.args.tmp\" \"$0.args\"\n";

QStringList recordedLines(const QString& nativePath, int timeoutMs) {
    QFile file(nativePath + QStringLiteral(".args"));
    if (!QTest::qWaitFor([&] { return file.exists(); }, timeoutMs) ||
        !file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

bool writeRecordingGame(const QString& nativePath) {
    QFile file(nativePath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(Script) < 0)
        return false;
    file.close();
    return file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeUser);
}

QStringList recordedArguments(const QString& nativePath, int timeoutMs) {
    QStringList arguments;
    const QStringList lines = recordedLines(nativePath, timeoutMs);
    for (qsizetype i = 1; i < lines.size(); ++i)
        arguments << lines[i].mid(1).chopped(1);
    return arguments;
}

QString recordedFolder(const QString& nativePath, int timeoutMs) {
    const QStringList lines = recordedLines(nativePath, timeoutMs);
    return lines.isEmpty() ? QString() : lines.first();
}

} // namespace fakes
