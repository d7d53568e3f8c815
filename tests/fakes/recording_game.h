#pragma once
// A stand-in for a game executable: a shell script that records where it ran and what
// arguments it received, so that tests can see exactly what a started program gets.

#include <QString>
#include <QStringList>

namespace fakes {

// Writes the recording script to `nativePath` and makes it executable. It writes its working
// folder and then one "<argument>" line per argument into "<nativePath>.args".
bool writeRecordingGame(const QString& nativePath);

// What the script at `nativePath` recorded, waiting up to `timeoutMs` for it to run: its lines,
// the arguments alone (without "<" ">") or the working folder; empty when it never ran.
QStringList recordedLines(const QString& nativePath, int timeoutMs = 5000);
QStringList recordedArguments(const QString& nativePath, int timeoutMs = 5000);
QString recordedFolder(const QString& nativePath, int timeoutMs = 5000);

} // namespace fakes
