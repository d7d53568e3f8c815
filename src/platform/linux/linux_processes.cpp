#include "platform/linux/linux_processes.h"

#include "core/win32/command_line.h"
#include "core/win32/full_path.h"
#include "core/wine/windows_facts.h"
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
    const QString native = files_.toNative(win32::foldSeparators(application));
    const QFileInfo file(native);
    if (native.isEmpty() || !file.isFile())
        return false;

    QString folder; // empty: the process's own working directory, which follows the current one
    if (!workingDirectory.isEmpty()) {
        folder = files_.toNative(win32::foldSeparators(workingDirectory));
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            return false;
    }

    // The application is the exact file named; the command line only supplies the arguments.
    wine::Start start{file.absoluteFilePath(), cmdline::argumentsFor(commandLine, application),
                      QProcessEnvironment::systemEnvironment()};
    if (isPortableExecutable(native)) {
        if (!wine::startInPrefix(prefix_, runner_, wineLauncher(), start))
            return false;
    } else if (!file.isExecutable()) {
        return false;
    }

    QProcess process;
    process.setProgram(start.program);
    process.setArguments(start.arguments);
    process.setProcessEnvironment(start.environment);
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
