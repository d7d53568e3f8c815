#pragma once
// A stand-in for a game executable: a shell script recording its folder and its arguments.

#include <QStringList>

namespace fakes {

// Writes the script, executable; it writes its folder, then "<argument>" lines, to PATH.args.
bool writeRecordingGame(const QString& nativePath);

// What it recorded, once it ran: the arguments alone, the folder; empty if it did not.
QStringList recordedArguments(const QString& nativePath, int timeoutMs = 5000);
QString recordedFolder(const QString& nativePath, int timeoutMs = 5000);

} // namespace fakes
