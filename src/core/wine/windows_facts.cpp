#include "core/wine/windows_facts.h"

#include "core/win32/text.h"

#include <QtEndian>
#include <array>
#include <optional>
#include <utility>

namespace wine {

using namespace platform;

namespace {

// What GetVersionEx answers on Windows 10 22H2, for a prefix that tells nothing.
constexpr OsVersion windows10{2, 10, 0, 19045};

QString text(const RegEntry& entry) {
    return QString::fromLocal8Bit(TrimAtNull(entry.data)).trimmed();
}

} // namespace

OsVersion presentedVersion(PrefixRegistry& registry) {
    // Wine keeps its Windows version in the native key; the 32-bit view of it is empty.
    const auto values = registry.values(
        RootKey::LocalMachine, QStringLiteral("Software\\Microsoft\\Windows NT\\CurrentVersion"),
        PrefixRegistry::View::Native);
    if (!values)
        return windows10;
    std::optional<int> major, minor, dwordMajor, dwordMinor, build;
    for (const RegEntry& entry : *values) {
        const auto named = [&](const char* name) {
            return entry.name.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
        };
        const bool dword = entry.type == regtype::Dword && entry.data.size() == 4;
        const bool string = entry.type == regtype::Sz;
        if (dword && named("CurrentMajorVersionNumber")) {
            dwordMajor = qFromLittleEndian<qint32>(entry.data.constData());
        } else if (dword && named("CurrentMinorVersionNumber")) {
            dwordMinor = qFromLittleEndian<qint32>(entry.data.constData());
        } else if (string && named("CurrentVersion")) {
            bool okMajor = false, okMinor = false;
            const QString version = text(entry);
            const int a = version.section(QLatin1Char('.'), 0, 0).toInt(&okMajor);
            const int b = version.section(QLatin1Char('.'), 1, 1).toInt(&okMinor);
            if (okMajor && okMinor)
                major = a, minor = b;
        } else if (string && named("CurrentBuildNumber")) {
            bool ok = false;
            if (const int number = text(entry).toInt(&ok); ok)
                build = number;
        }
    }
    // Windows 10 and later keep "CurrentVersion" at 6.3 for old programs' sake and tell the
    // real version in the two numbers.
    if (dwordMajor && dwordMinor)
        major = dwordMajor, minor = dwordMinor;
    if (!major)
        return windows10;
    return OsVersion{2, *major, *minor, build.value_or(0)};
}

QHash<QString, QString> presentedEnvironment(const QProcessEnvironment& process) {
    QHash<QString, QString> variables;
    for (const QString& name : process.keys())
        variables.insert(name.toUpper(), process.value(name));
    static constexpr std::array prefixFolders{
        std::pair{"SYSTEMROOT", "C:\\windows"},
        std::pair{"WINDIR", "C:\\windows"},
        std::pair{"SYSTEMDRIVE", "C:"},
        std::pair{"PROGRAMDATA", "C:\\ProgramData"},
        std::pair{"ALLUSERSPROFILE", "C:\\ProgramData"},
        std::pair{"PUBLIC", "C:\\users\\Public"},
    };
    for (const auto& [name, value] : prefixFolders)
        variables.insert(QLatin1String(name), QLatin1String(value));
    return variables;
}

bool startInPrefix(const QString& prefix, const WineRunner& runner, const QString& defaultWine,
                   Start& start) {
    QProcessEnvironment& environment = start.environment;
    // A relative $WINEPREFIX holds for Velkor's start folder: what it starts gets it absolute.
    if (environment.contains(QStringLiteral("WINEPREFIX")))
        environment.insert(QStringLiteral("WINEPREFIX"), prefix);
    // Wine joins these back into a Windows command line.
    start.arguments.prepend(start.program);
    switch (runner.kind) {
    case WineRunner::Kind::Wine:
        start.program = runner.program.isEmpty() ? defaultWine : runner.program;
        // Absolute, as Wine wants it.
        environment.insert(QStringLiteral("WINEPREFIX"), prefix);
        break;
    case WineRunner::Kind::Proton:
        // As Proton is started outside Steam; it sets the prefix itself.
        start.program = runner.program;
        start.arguments.prepend(QStringLiteral("run"));
        environment.remove(QStringLiteral("WINEPREFIX"));
        environment.insert(QStringLiteral("STEAM_COMPAT_DATA_PATH"), runner.compatData);
        environment.insert(QStringLiteral("STEAM_COMPAT_CLIENT_INSTALL_PATH"), runner.steamFolder);
        break;
    case WineRunner::Kind::None:
        return false;
    }
    return !start.program.isEmpty();
}

} // namespace wine
