#include "core/help/HTMLHelp.h"

#include "core/help/helpregistry.h"
#include "core/help/helpversions.h"
#include "core/help/programstrings.h"
#include "core/win32/text.h"
#include "platform/helprecords.h"
#include "platform/platform.h"

#include <QFileInfo>
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

bool endsWithExtension(const QString& fileName, QLatin1String extension) {
    return fileName.right(3).compare(extension, Qt::CaseInsensitive) == 0;
}

// A window's handle as HtmlHelpA takes it.
std::intptr_t handleOf(QObject* window) {
    return window ? platform::current().ui->windowHandle(window) : 0;
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

bool HTMLHelp::prepareDisplay(QObject* callingWindow, const char* method, std::intptr_t& owner) {
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

void HTMLHelp::display(QObject* callingWindow, unsigned command, const QVariant& data) {
    std::intptr_t owner = 0;
    if (!prepareDisplay(callingWindow, "HHDisplayContents", owner))
        return;
    const QString path =
        trimBlanks(hhWindow).isEmpty() ? chmFile : chmFile + QLatin1Char('>') + hhWindow;
    hhWndHandle = platform::current().help->htmlHelp(owner, path, command, data);
}

void HTMLHelp::HHDisplayContents(QObject* callingWindow) {
    display(callingWindow, DisplayToc, number(0));
}

void HTMLHelp::HHDisplayIndex(QObject* callingWindow) {
    display(callingWindow, platform::hhcmd::DisplayIndex, number(0));
}

void HTMLHelp::HHDisplaySearch(QObject* callingWindow) {
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

void HTMLHelp::HHDisplayTopicURL(QObject* callingWindow) {
    display(callingWindow, DisplayTopic, QVariant(hhTopicURL));
}

void HTMLHelp::HHDisplayTopicID(QObject* callingWindow) {
    display(callingWindow, HelpContext, number(hhTopicID));
}

void HTMLHelp::lookUp(QObject* callingWindow, const char* method, unsigned command,
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

void HTMLHelp::HHDisplayKeyword(QObject* callingWindow) {
    lookUp(callingWindow, "HHDisplayKeyword", KeywordLookup, hhKeyword, true);
}

void HTMLHelp::HHDisplayALink(QObject* callingWindow) {
    lookUp(callingWindow, "HHDisplayContents", ALinkLookup, hhALink, false);
}

void HTMLHelp::HHDisplayPopup(QObject* callingForm) {
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

void HTMLHelp::HHInvokeWhatsThisHelp(QObject* callingForm) {
    if (callingForm)
        platform::current().ui->enterWhatsThisMode();
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
    if (FindFile(FileToFind) && (!toShow || platform::current().help->canOpen(FileToFind)))
        return true;
    ReportWarning(QStringLiteral("The file ") + FileToFind + QStringLiteral(" does not exist.") +
                  QChar(10) +
                  QStringLiteral("Please make sure the correct path and file name have been "
                                 "specified."));
    return false;
}
