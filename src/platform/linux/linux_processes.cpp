#include "platform/linux/linux_processes.h"

#include "platform/linux/linux_files.h"
#include "platform/linux/regular_file.h"
#include "platform/linux/windows_cmdline.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform::linuxbackend {

namespace {

// Windows folds runs of backslashes inside a path into one ("C:\\x.exe" is "C:\x.exe"); a
// leading pair (a UNC name) is kept.
QString foldSeparators(const QString& path) {
    QString folded;
    folded.reserve(path.size());
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (i >= 2 && path[i] == QLatin1Char('\\') && folded.endsWith(QLatin1Char('\\')))
            continue;
        folded += path[i];
    }
    return folded;
}

bool isPortableExecutable(const QString& nativePath) {
    return RegularFile(nativePath).read(2) == QByteArray("MZ");
}

// Wine: $WINE when set, else `wine` from PATH.
QString wineLauncher() {
    const QString configured = qEnvironmentVariable("WINE");
    if (!configured.isEmpty())
        return configured.contains(QLatin1Char('/')) ? configured
                                                     : QStandardPaths::findExecutable(configured);
    return QStandardPaths::findExecutable(QStringLiteral("wine"));
}

} // namespace

LinuxProcesses::LinuxProcesses(LinuxFiles& files) : files_(files) {}

bool LinuxProcesses::start(const QString& application, const QString& commandLine,
                           const QString& workingDirectory) {
    if (application.isEmpty())
        return false;
    const QString native = files_.toNative(foldSeparators(application));
    const QFileInfo file(native);
    if (native.isEmpty() || !file.isFile())
        return false;

    QString folder; // empty: the process's own working directory, which follows the current one
    if (!workingDirectory.isEmpty()) {
        folder = files_.toNative(foldSeparators(workingDirectory));
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            return false;
    }

    // The application is the exact file named; the command line only supplies the arguments.
    QStringList arguments = wincmd::argumentsFor(commandLine, application);
    QString program;
    if (isPortableExecutable(native)) {
        program = wineLauncher();
        if (program.isEmpty())
            return false;
        // Wine joins these back into a Windows command line; the prefix comes from the
        // environment, which the new process inherits.
        arguments.prepend(file.absoluteFilePath());
    } else {
        if (!file.isExecutable())
            return false;
        program = file.absoluteFilePath();
    }

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

} // namespace platform::linuxbackend
