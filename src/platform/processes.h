#pragma once
// Starting another program, the way CreateProcess does with both names given.

#include <QString>
#include <QStringList>

namespace platform {

class Processes {
public:
    virtual ~Processes() = default;
    // Starts exactly the file `application` (Windows path) with the Windows command line
    // `commandLine`, which begins with the application's path, bare or in double quotes.
    // The new process runs in `workingDirectory` (Windows form; empty: the current folder)
    // in a normal window. Does not wait. false when the start failed.
    virtual bool start(const QString& application, const QString& commandLine,
                       const QString& workingDirectory) = 0;
    // Whether a program of one of these file names ("game.exe", compared without regard to
    // case) runs now, started by this user.
    virtual bool running(const QStringList& programNames) = 0;
};

} // namespace platform
