#include "help/HTMLHelp.h"

#include "help/helpregistry.h"
#include "help/helpversions.h"
#include "help/programstrings.h"
#include "platform/helprecords.h"
#include "platform/platform.h"

#include <QFileInfo>
#include <QWhatsThis>
#include <QWidget>
#include <optional>

using namespace helpregistry;
using platform::hhcmd::ALinkLookup;
using platform::hhcmd::CloseAll;
using platform::hhcmd::DisplaySearch;
using platform::hhcmd::DisplayTextPopup;
using platform::hhcmd::DisplayToc;
using platform::hhcmd::DisplayTopic;
using platform::hhcmd::HelpContext;
using platform::hhcmd::KeywordLookup;

namespace {

const QString Caption = QStringLiteral("HTML Help Class");
const QString HelpFileKey = QStringLiteral("Software\\Microsoft\\Windows\\HTML Help");
const QString TypeLibKey =
    QStringLiteral("SOFTWARE\\Classes\\TypeLib\\{ADB880A2-D8FF-11CF-9377-00AA003B7A11}");
const QString HHControlKey =
    QStringLiteral("CLSID\\{4662DAB0-D393-11D0-9A56-00C04FB68B66}\\InprocServer32");
const QString IEControlKey =
    QStringLiteral("CLSID\\{0A89A860-D7B1-11CE-8350-444553540000}\\InProcServer32");

// VB's Trim: blanks only.
QString trimBlanks(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && text[first] == QLatin1Char(' '))
        ++first;
    while (last > first && text[last - 1] == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

bool endsWithExtension(const QString& fileName, QLatin1String extension) {
    return fileName.right(3).compare(extension, Qt::CaseInsensitive) == 0;
}

// What a file search (FindFirstFile) reports for a plain name: the native file, when there is
// one. Doubled backslashes inside a path are accepted as Windows accepts them.
std::optional<QFileInfo> findFile(const QString& windowsPath) {
    QString path = windowsPath;
    const bool unc = path.startsWith(QLatin1String("\\\\"));
    while (path.indexOf(QLatin1String("\\\\"), unc ? 2 : 0) >= 0)
        path.replace(path.indexOf(QLatin1String("\\\\"), unc ? 2 : 0), 2, QLatin1String("\\"));
    if (path.isEmpty())
        return std::nullopt;
    const QString native = platform::current().files->toNative(path);
    if (native.isEmpty())
        return std::nullopt;
    QFileInfo info(native);
    if (!info.exists())
        return std::nullopt;
    return info;
}

// A window's handle as HtmlHelpA takes it.
std::intptr_t handleOf(QWidget* window) {
    return window ? static_cast<std::intptr_t>(window->winId()) : 0;
}

QVariant number(std::int32_t value) {
    return QVariant::fromValue(value);
}

// An HH_AKLINK string that is passed only when it has text.
std::optional<QString> unlessEmpty(const QString& text) {
    return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
}

} // namespace

// --- Messages ---

int HTMLHelp::ReportError(const QString& message) {
    return platform::current().ui->messageBox(message, Caption, platform::mbstyle::Stop);
}

int HTMLHelp::ReportWarning(const QString& message) {
    return platform::current().ui->messageBox(message, Caption, platform::mbstyle::Exclamation);
}

int HTMLHelp::ReportInfo(const QString& message) {
    return platform::current().ui->messageBox(message, Caption, platform::mbstyle::Information);
}

bool HTMLHelp::IsHelpFileName(const QString& fileName) {
    if (endsWithExtension(fileName, QLatin1String("chm")))
        return true;
    ReportWarning(fileName + QStringLiteral(" is not a valid HTML Help file."));
    return false;
}

bool HTMLHelp::IsPopupFileName(const QString& fileName) {
    if (endsWithExtension(fileName, QLatin1String("txt")))
        return true;
    ReportWarning(QStringLiteral("The file specified as the text popup source, '") + fileName +
                  QStringLiteral("', is not a valid popup file."));
    return false;
}

// --- Display ---

std::intptr_t HTMLHelp::HHWndHandle() {
    if (hhWndHandle == 0)
        ReportWarning(QStringLiteral("No HTML Help window handle to retrieve."));
    return hhWndHandle;
}

bool HTMLHelp::prepareDisplay(QWidget* callingWindow, const char* method, std::intptr_t& owner) {
    if (!IsHelpFileName(chmFile))
        return false;
    if (!EnsureFileExists(chmFile, true))
        return false;
    owner = 0;
    if (hhShowOnTop) {
        if (!callingWindow) {
            ReportWarning(QStringLiteral("The %1 method was called ").arg(QLatin1String(method)) +
                          QStringLiteral("without a form being specified, while HHShowOnTop ") +
                          QStringLiteral("was set to True."));
            return false;
        }
        owner = handleOf(callingWindow);
    }
    return true;
}

void HTMLHelp::display(QWidget* callingWindow, unsigned command, const QVariant& data) {
    std::intptr_t owner = 0;
    if (!prepareDisplay(callingWindow, "HHDisplayContents", owner))
        return;
    const QString path =
        trimBlanks(hhWindow).isEmpty() ? chmFile : chmFile + QLatin1Char('>') + hhWindow;
    hhWndHandle = platform::current().help->htmlHelp(owner, path, command, data);
}

void HTMLHelp::HHDisplayContents(QWidget* callingWindow) {
    display(callingWindow, DisplayToc, number(0));
}

void HTMLHelp::HHDisplayIndex(QWidget* callingWindow) {
    display(callingWindow, platform::hhcmd::DisplayIndex, number(0));
}

void HTMLHelp::HHDisplaySearch(QWidget* callingWindow) {
    platform::HH_FTS_QUERY query;
    query.cbStruct = 32;
    query.fUniCodeStrings = false;
    query.pszSearchQuery = QString(QLatin1String(""));
    query.iProximity = 0;
    query.fStemmedSearch = false;
    query.fTitleOnly = false;
    query.fExecute = true;
    query.pszWindow = QString(QLatin1String(""));
    display(callingWindow, DisplaySearch, QVariant::fromValue(query));
}

void HTMLHelp::HHDisplayTopicURL(QWidget* callingWindow) {
    display(callingWindow, DisplayTopic, QVariant(hhTopicURL));
}

void HTMLHelp::HHDisplayTopicID(QWidget* callingWindow) {
    display(callingWindow, HelpContext, number(hhTopicID));
}

void HTMLHelp::lookUp(QWidget* callingWindow, const char* method, unsigned command,
                      const QString& keywords, bool openFirst) {
    std::intptr_t owner = 0;
    if (!prepareDisplay(callingWindow, method, owner))
        return;
    platform::HH_AKLINK link;
    link.cbStruct = 32;
    link.fReserved = false;
    link.pszKeywords = keywords;
    // An empty default topic, message text or title is passed as no string at all, and the
    // property then holds that empty value.
    link.pszUrl = unlessEmpty(hhDefaultURL);
    if (!link.pszUrl)
        hhDefaultURL = QString();
    link.pszMsgText = unlessEmpty(hhMsgText);
    if (!link.pszMsgText)
        hhMsgText = QString();
    link.pszMsgTitle = unlessEmpty(hhMsgTitle);
    if (!link.pszMsgTitle)
        hhMsgTitle = QString();
    if (!trimBlanks(hhWindow).isEmpty())
        link.pszWindow = hhWindow;
    link.fIndexOnFail = false;

    auto* runtime = platform::current().help;
    if (openFirst)
        hhWndHandle = runtime->htmlHelp(owner, chmFile, DisplayTopic, number(0));
    hhWndHandle = runtime->htmlHelp(owner, chmFile, command, QVariant::fromValue(link));
}

void HTMLHelp::HHDisplayKeyword(QWidget* callingWindow) {
    lookUp(callingWindow, "HHDisplayKeyword", KeywordLookup, hhKeyword, true);
}

void HTMLHelp::HHDisplayALink(QWidget* callingWindow) {
    lookUp(callingWindow, "HHDisplayContents", ALinkLookup, hhALink, false);
}

void HTMLHelp::HHDisplayPopup(QWidget* callingForm) {
    if (hhPopupType == 0)
        return;
    if (hhPopupType == 1 && (!IsHelpFileName(chmFile) || !EnsureFileExists(chmFile, true)))
        return;

    platform::HH_POPUP popup;
    popup.cbStruct = 52;
    popup.hinst = 0;
    popup.pt = platform::current().ui->cursorPos();
    switch (hhPopupType) {
    case 2:
        // A number the string table lacks shows an empty popup, that is, none.
        popup.idString = 0;
        popup.pszText = ProgramString(hhPopupID).value_or(QString(QLatin1String("")));
        break;
    case 4:
        popup.idString = 0;
        if (hhPopupText.isEmpty())
            return;
        popup.pszText = hhPopupText;
        break;
    default:
        popup.idString = static_cast<std::uint32_t>(hhPopupID);
        break;
    }
    popup.clrForeground = hhPopupCustomColors ? hhPopupCustomTextColor : hhPopupTextColor;
    popup.clrBackground = hhPopupCustomColors ? hhPopupCustomBackColor : hhPopupBackColor;
    popup.marginLeft = popup.marginTop = popup.marginRight = popup.marginBottom = -1;
    if (hhPopupTextFont.isEmpty())
        hhPopupTextFont = QStringLiteral("Arial");
    if (hhPopupTextSize.isEmpty())
        hhPopupTextSize = QStringLiteral("10");
    popup.pszFont = helpversions::popupFontText(hhPopupTextFont, hhPopupTextSize, hhPopupTextBold,
                                                hhPopupTextItalic, hhPopupTextUnderline);

    QString path; // none for the program's own texts
    if (hhPopupType == 1) {
        if (!IsPopupFileName(hhPopupFile))
            return;
        path = chmFile + QStringLiteral("::/") + hhPopupFile;
    } else if (hhPopupType != 2 && hhPopupType != 4) {
        return;
    }
    // The form is required; without one the popup has no owner rather than failing.
    platform::current().help->htmlHelp(handleOf(callingForm), path, DisplayTextPopup,
                                       QVariant::fromValue(popup));

    hhPopupTextColor = hhPopupBackColor = hhPopupCustomTextColor = hhPopupCustomBackColor = 0;
    hhPopupTextFont = QStringLiteral("Arial");
    hhPopupTextSize = QStringLiteral("10");
    hhPopupTextBold = hhPopupTextItalic = hhPopupTextUnderline = false;
}

void HTMLHelp::HHClose() {
    platform::current().help->htmlHelp(0, QString(QLatin1String("")), CloseAll, number(0));
}

void HTMLHelp::HHInvokeWhatsThisHelp(QWidget* callingForm) {
    if (callingForm)
        QWhatsThis::enterWhatsThisMode();
}

void HTMLHelp::HHDeleteJumpURLSysMenu(std::intptr_t) {
    // Our help viewer has no jump-to-URL entry in its window menu: nothing to remove.
}

QString HTMLHelp::HHSetHelpFile(std::int16_t selector) const {
    switch (selector) {
    case 1:
        return platform::current().system->programFolder() + QStringLiteral("\\Library.chm");
    case 2:
        return QStringLiteral("Library.txt");
    default:
        return QString();
    }
}

bool HTMLHelp::EnsureFileExists(QString& FileToFind, bool toShow) {
    if (!FileToFind.contains(QLatin1Char('\\'))) {
        QString name = FileToFind;
        HHCheckRegistry(name);
        if (hhRegFileName.isEmpty())
            FileToFind =
                platform::current().system->programFolder() + QLatin1Char('\\') + FileToFind;
        else
            FileToFind = hhRegFilePath + hhRegFileName;
    }
    if (findFile(FileToFind) && (!toShow || platform::current().help->canOpen(FileToFind)))
        return true;
    ReportWarning(QStringLiteral("The file ") + FileToFind + QStringLiteral(" does not exist.") +
                  QChar(10) +
                  QStringLiteral("Please make sure the correct path and file name have been "
                                 "specified."));
    return false;
}

// --- Environment checks ---

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
    if (findFile(path))
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
        const auto found = findFile(path);
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
        const auto found = component.isEmpty() ? std::nullopt : findFile(built);
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
