#include "platform/linux/linux_processes.h"

#include "core/win32/command_line.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/regular_file.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

namespace platform::linuxbackend {

namespace cmdline = win32::cmdline;

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

LinuxProcesses::LinuxProcesses(LinuxFiles& files, const WinePrefix& prefix)
    : files_(files), prefix_(prefix.root), runner_(prefix.runner) {}

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
    QStringList arguments = cmdline::argumentsFor(commandLine, application);
    QString program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // A relative $WINEPREFIX holds for Velkor's start folder: what it starts gets it absolute.
    if (environment.contains(QStringLiteral("WINEPREFIX")))
        environment.insert(QStringLiteral("WINEPREFIX"), prefix_);
    if (isPortableExecutable(native)) {
        // Wine joins these back into a Windows command line.
        arguments.prepend(file.absoluteFilePath());
        switch (runner_.kind) {
        case WineRunner::Kind::Wine:
            program = runner_.program.isEmpty() ? wineLauncher() : runner_.program;
            // Absolute, as Wine wants it.
            environment.insert(QStringLiteral("WINEPREFIX"), prefix_);
            break;
        case WineRunner::Kind::Proton:
            // As Proton is started outside Steam; it sets the prefix itself.
            program = runner_.program;
            arguments.prepend(QStringLiteral("run"));
            environment.remove(QStringLiteral("WINEPREFIX"));
            environment.insert(QStringLiteral("STEAM_COMPAT_DATA_PATH"), runner_.compatData);
            environment.insert(QStringLiteral("STEAM_COMPAT_CLIENT_INSTALL_PATH"),
                               runner_.steamFolder);
            break;
        case WineRunner::Kind::None:
            return false;
        }
        if (program.isEmpty())
            return false;
    } else {
        if (!file.isExecutable())
            return false;
        program = file.absoluteFilePath();
    }

    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setProcessEnvironment(environment);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached();
}

bool LinuxProcesses::running(const QStringList& programNames) {
    const QString proc = QStringLiteral("/proc");
    const uint me = ::getuid();
    for (const QString& pid : QDir(proc).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (pid.isEmpty() || !pid.at(0).isDigit())
            continue;
        const QString folder = proc + u'/' + pid;
        if (QFileInfo(folder).ownerId() != me)
            continue;
        // A Windows program under Wine has its Windows path as its first argument; a script
        // its interpreter first and itself second.
        QFile cmdline(folder + QStringLiteral("/cmdline"));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> arguments = cmdline.read(4096).split('\0');
        for (qsizetype i = 0; i < qMin<qsizetype>(2, arguments.size()); ++i) {
            const QString path = QString::fromLocal8Bit(arguments.at(i));
            const QString name =
                path.mid(qMax(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\')) + 1);
            if (programNames.contains(name, Qt::CaseInsensitive))
                return true;
        }
    }
    return false;
}

} // namespace platform::linuxbackend
