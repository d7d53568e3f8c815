// The help class's checks of the help environment: whether HTML Help is installed and in which
// version, the help-file registry, and the minimum configuration.
#include "core/help/HTMLHelp.h"

#include "core/help/helpregistry.h"
#include "core/help/helpversions.h"
#include "core/win32/text.h"
#include "platform/platform.h"

#include <QFileInfo>

using namespace helpregistry;

namespace {

const QString HelpFileKey = QStringLiteral("Software\\Microsoft\\Windows\\HTML Help");
const QString TypeLibKey =
    QStringLiteral("SOFTWARE\\Classes\\TypeLib\\{ADB880A2-D8FF-11CF-9377-00AA003B7A11}");
const QString HHControlKey =
    QStringLiteral("CLSID\\{4662DAB0-D393-11D0-9A56-00C04FB68B66}\\InprocServer32");
const QString IEControlKey =
    QStringLiteral("CLSID\\{0A89A860-D7B1-11CE-8350-444553540000}\\InProcServer32");

} // namespace

bool HTMLHelp::HHInstalled() {
    hhInstalled = RegistryKeyExists(*platform::current().registry, TypeLibKey);
    return hhInstalled;
}

QString HTMLHelp::HHVersion() {
    DetectHHVersion();
    return hhVersion;
}

QString HTMLHelp::IEVersion() {
    DetectIEVersion();
    return ieVersion;
}

QString HTMLHelp::HHFriendlyName() {
    HHReleaseName();
    return hhFriendlyName;
}

QString HTMLHelp::IEFriendlyName() {
    IEReleaseName();
    return ieFriendlyName;
}

void HTMLHelp::HHReleaseName() {
    if (hhVersion.isEmpty())
        DetectHHVersion();
    hhFriendlyName = helpversions::hhReleaseName(hhVersion);
}

void HTMLHelp::IEReleaseName() {
    if (ieVersion.isEmpty())
        DetectIEVersion();
    ieFriendlyName = helpversions::ieReleaseName(ieVersion);
}

void HTMLHelp::DetectHHVersion() {
    detectVersion(HHControlKey, hhVersion,
                  QStringLiteral("Hhctrl.ocx is not registered.  ") +
                      QStringLiteral("Please install HTML Help."),
                  QStringLiteral("Hhctrl.ocx is not in its registered location.  ") +
                      QStringLiteral("Please reinstall HTML Help."));
}

void HTMLHelp::DetectIEVersion() {
    detectVersion(IEControlKey, ieVersion,
                  QStringLiteral("Shdocvw.dll is not registered.  ") +
                      QStringLiteral("Please install Internet Explorer."),
                  QStringLiteral("Internet Explorer is not in its registered location.  ") +
                      QStringLiteral("Please reinstall Internet Explorer."));
}

void HTMLHelp::detectVersion(const QString& classKey, QString& version,
                             const QString& notRegistered, const QString& notThere) {
    QString listing;
    const RegistryValue value =
        QueryRegistryValue(*platform::current().registry, QStringLiteral("HKCR"), classKey, listing,
                           QString(), platform::current().system->environment());
    if (value.Data.isEmpty()) {
        ReportError(notRegistered);
        return;
    }
    QString path = value.Data.mid(1);
    path = GetLongFileName(TrimAtNull(path));
    if (FindFile(path))
        version = GetFileVersionText(path);
    else
        ReportError(notThere);
}

QString HTMLHelp::GetFileVersionText(const QString& path) {
    // A file without a version resource has no version text.
    const auto record = platform::current().versions->fixedFileInfo(path);
    if (!record)
        return QString();
    const auto version = helpversions::fromFixedFileInfo(*record);
    return version ? helpversions::versionText(*version) : QString();
}

int HTMLHelp::GetOSPlatform() {
    const platform::OsVersion os = platform::current().system->osVersion();
    if (os.platformId == 1) {
        if (os.minor == 0)
            return 2;
        if (os.minor == 10)
            return 4;
    } else if (os.platformId == 2) {
        if (os.major == 3)
            return 1;
        if (os.major == 4)
            return 3;
        if (os.major == 5)
            return 5;
    }
    return 0;
}

QString HTMLHelp::GetLongFileName(const QString& path) {
    if (!path.contains(QLatin1Char('~')))
        return path;
    auto* files = platform::current().files;
    if (GetOSPlatform() >= 4) {
        // The long-path conversion: the names as they are on disk; a path that is not there
        // stays as it is.
        const auto found = FindFile(path);
        if (!found)
            return path;
        const QString windows = files->toWindows(found->absoluteFilePath());
        return windows.isEmpty() ? path : windows;
    }
    QString rest = path;
    if (rest.startsWith(QLatin1Char('"')))
        rest.remove(0, 1);
    if (rest.endsWith(QLatin1Char('"')))
        rest.chop(1);
    QString result = rest.left(2);
    const QStringList components = rest.mid(2).split(QLatin1Char('\\'));
    // The part before the first separator belongs to the drive ("C:" + "" for "C:\...").
    result += components.first();
    for (qsizetype i = 1; i < components.size(); ++i) {
        const QString& component = components[i];
        const QString built = result + QLatin1Char('\\') + component;
        // A component that is not found, or an empty one after a trailing "\", stays as written.
        const auto found = component.isEmpty() ? std::nullopt : FindFile(built);
        result += QLatin1Char('\\') + (found ? found->fileName() : component);
    }
    return result;
}

QVariant HTMLHelp::HHCheckRegistry(QString& FileToCheck) {
    if (FileToCheck.isEmpty())
        return QVariant();
    hhRegFileExists = false;
    if (!IsHelpFileName(FileToCheck))
        return false;
    const QString name = FileNamePart(FileToCheck);
    QString listing;
    const RegistryValue value =
        QueryRegistryValue(*platform::current().registry, QStringLiteral("HKLM"), HelpFileKey,
                           listing, name, platform::current().system->environment());
    if (value.Name.compare(name, Qt::CaseInsensitive) != 0 || value.Name.isEmpty()) {
        hhRegFileName.clear();
        hhRegFilePath.clear();
        return false;
    }
    hhRegFileName = value.Name;
    // The folder text as stored: after "name=", up to the value's terminating NUL.
    QString folder = value.Data.mid(value.Name.size() + 1);
    hhRegFilePath = TrimAtNull(folder);
    QString registered = hhRegFilePath + QLatin1Char('\\') + hhRegFileName;
    hhRegFileExists = EnsureFileExists(registered);
    return false;
}

void HTMLHelp::HHRegister(QString& FileToRegister) {
    if (FileToRegister.isEmpty() || !IsHelpFileName(FileToRegister))
        return;
    HHCheckRegistry(FileToRegister);
    if (!hhRegFileName.isEmpty()) {
        ReportInfo(QStringLiteral("The file ") + FileToRegister +
                   QStringLiteral(" is already registered.  ") +
                   QStringLiteral("HHRegister will not be run as no action need be taken."));
        return;
    }
    const QString given = FileToRegister;
    if (!IsHelpFileName(FileToRegister) || !EnsureFileExists(FileToRegister))
        return;
    // A bare name would be registered with no folder at all (the resolved path is not what
    // was given), so only a name given with its folder is registered.
    if (!given.contains(QLatin1Char('\\'))) {
        ReportWarning(QStringLiteral("Cannot register ") + given +
                      QStringLiteral(" without having a supplied path.\""));
        return;
    }
    FileToRegister = FileNamePart(FileToRegister);
    const QString folder = given.left(given.size() - FileToRegister.size());
    const long result = platform::current().registry->setValue(
        platform::RootKey::LocalMachine, HelpFileKey,
        platform::RegEntry{FileToRegister, platform::regtype::Sz, folder.toLocal8Bit() + '\0'});
    if (result != platform::winerror::Success) {
        ReportWarning(QStringLiteral("HTML Help Class: HHRegister Error"));
        QString name = FileToRegister;
        HHCheckRegistry(name);
    }
}

void HTMLHelp::HHUnRegister(QString& FileToUnRegister) {
    if (FileToUnRegister.isEmpty() || !IsHelpFileName(FileToUnRegister))
        return;
    HHCheckRegistry(FileToUnRegister);
    if (hhRegFileName.isEmpty()) {
        ReportInfo(QStringLiteral("The file ") + FileToUnRegister +
                   QStringLiteral(" is not registered.  ") +
                   QStringLiteral("HHUnRegister will not be run as no action need be taken."));
        return;
    }
    FileToUnRegister = FileNamePart(FileToUnRegister);
    platform::current().registry->deleteValue(platform::RootKey::LocalMachine, HelpFileKey,
                                              FileToUnRegister);
    HHCheckRegistry(FileToUnRegister);
}

bool HTMLHelp::HHVerifyMinConfig(int MinHHVersion, int MinIEVersion) {
    DetectHHVersion();
    DetectIEVersion();
    bool hhReached = false;
    if (const auto minimum = helpversions::hhMinimum(MinHHVersion))
        hhReached = helpversions::versionReaches(hhVersion, *minimum);
    else
        hhVersion = QStringLiteral("unknown");
    bool ieReached = false;
    if (const auto minimum = helpversions::ieMinimum(MinIEVersion))
        ieReached = helpversions::versionReaches(ieVersion, *minimum);
    else
        ieVersion = QStringLiteral("unknown");
    HHReleaseName();
    IEReleaseName();
    return hhReached && ieReached;
}
