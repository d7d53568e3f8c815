#pragma once
// A property-and-method face on the HTML Help runtime: a caller sets the help file and what to
// show, then calls one display operation. Every problem is reported to the user in a message
// box titled "HTML Help Class"; nothing is returned to the caller as an error. The second half
// registers help files and checks the versions of the help environment.
//
// Properties are a getter named as the property and a setter with "set" in front; a property
// that can only be written has no getter, one that can only be read no setter. The calling
// window of a display operation is the form asking for help (nullptr: none given).

#include <QString>
#include <QVariant>
#include <cstdint>

class QObject;

class HTMLHelp {
public:
    // --- Display (help viewer bridge) ---

    QString CHMFile() const { return chmFile; }
    void setCHMFile(const QString& value) { chmFile = value; }
    QString HHALink() const { return hhALink; }
    void setHHALink(const QString& value) { hhALink = value; }
    QString HHDefaultURL() const { return hhDefaultURL; }
    void setHHDefaultURL(const QString& value) { hhDefaultURL = value; }
    QString HHKeyword() const { return hhKeyword; }
    void setHHKeyword(const QString& value) { hhKeyword = value; }
    QString HHMsgText() const { return hhMsgText; }
    void setHHMsgText(const QString& value) { hhMsgText = value; }
    QString HHMsgTitle() const { return hhMsgTitle; }
    void setHHMsgTitle(const QString& value) { hhMsgTitle = value; }
    bool HHShowOnTop() const { return hhShowOnTop; }
    void setHHShowOnTop(bool value) { hhShowOnTop = value; }
    std::int32_t HHTopicID() const { return hhTopicID; }
    void setHHTopicID(std::int32_t value) { hhTopicID = value; }
    QString HHTopicURL() const { return hhTopicURL; }
    void setHHTopicURL(const QString& value) { hhTopicURL = value; }
    QString HHWindow() const { return hhWindow; }
    void setHHWindow(const QString& value) { hhWindow = value; }

    void setHHPopupFile(const QString& value) { hhPopupFile = value; }
    void setHHPopupType(std::int32_t value) { hhPopupType = value; }
    void setHHPopupText(const QString& value) { hhPopupText = value; }
    void setHHPopupID(std::int32_t value) { hhPopupID = value; }
    void setHHPopupTextColor(std::int32_t value) { hhPopupTextColor = value; }
    void setHHPopupBackColor(std::int32_t value) { hhPopupBackColor = value; }
    void setHHPopupCustomTextColor(std::int32_t value) { hhPopupCustomTextColor = value; }
    void setHHPopupCustomBackColor(std::int32_t value) { hhPopupCustomBackColor = value; }
    bool HHPopupCustomColors() const { return hhPopupCustomColors; }
    void setHHPopupCustomColors(bool value) { hhPopupCustomColors = value; }
    void setHHPopupTextFont(const QString& value) { hhPopupTextFont = value; }
    void setHHPopupTextSize(const QString& value) { hhPopupTextSize = value; }
    void setHHPopupTextBold(bool value) { hhPopupTextBold = value; }
    void setHHPopupTextItalic(bool value) { hhPopupTextItalic = value; }
    void setHHPopupTextUnderline(bool value) { hhPopupTextUnderline = value; }

    // The window handle the last storing display operation got back; 0 with a warning before.
    std::intptr_t HHWndHandle();

    void HHDisplayContents(QObject* callingWindow = nullptr);
    void HHDisplayIndex(QObject* callingWindow = nullptr);
    void HHDisplaySearch(QObject* callingWindow = nullptr);
    void HHDisplayTopicURL(QObject* callingWindow = nullptr);
    void HHDisplayTopicID(QObject* callingWindow = nullptr);
    void HHDisplayKeyword(QObject* callingWindow = nullptr);
    void HHDisplayALink(QObject* callingWindow = nullptr);
    // A text popup at the mouse cursor, from the source HHPopupType names.
    void HHDisplayPopup(QObject* callingForm);
    // Closes every help window of the program.
    void HHClose();
    // Puts the program into context-help ("What's This?") mode.
    void HHInvokeWhatsThisHelp(QObject* callingForm);
    // Removes the help viewer's jump-to-URL system menu entry.
    void HHDeleteJumpURLSysMenu(std::intptr_t helpWindow);
    // 1: the program's folder + "\Library.chm"; 2: "Library.txt"; otherwise empty.
    QString HHSetHelpFile(std::int16_t selector) const;
    // Resolves a bare file name through the help-file registry or the program's folder, writing
    // the result back, and tells whether the file is there (warning when it is not). To be
    // shown, it must also be a file the runtime can open: a damaged, empty or unreadable one
    // would show nothing at all, so it is reported as missing.
    bool EnsureFileExists(QString& FileToFind, bool toShow = false);

    // --- Environment checks ---

    bool HHInstalled();
    QString HHRegFileName() const { return hhRegFileName; }
    QString HHRegFilePath() const { return hhRegFilePath; }
    bool HHRegFileExists() const { return hhRegFileExists; }
    // Detect afresh on each read.
    QString HHVersion();
    QString IEVersion();
    // Detect only while no version is stored.
    QString HHFriendlyName();
    QString IEFriendlyName();

    // Registers a help file under its name with its folder; leaves the caller's variable
    // holding the file name.
    void HHRegister(QString& FileToRegister);
    void HHUnRegister(QString& FileToUnRegister);
    // Looks a help-file name up; the outcome is in HHRegFileName, HHRegFilePath and
    // HHRegFileExists. Returns false, or an empty variant for an empty name.
    QVariant HHCheckRegistry(QString& FileToCheck);
    // Whether both installed versions reach the minimums selected by their codes (16..26 for
    // HTML Help, 256..273 for the browser).
    bool HHVerifyMinConfig(int MinHHVersion, int MinIEVersion);

private:
    bool IsHelpFileName(const QString& fileName);
    bool IsPopupFileName(const QString& fileName);
    int ReportError(const QString& message);
    int ReportWarning(const QString& message);
    int ReportInfo(const QString& message);

    // Steps shared by the display operations; false when the operation stops. `method` names
    // the operation in the message about a missing form.
    bool prepareDisplay(QObject* callingWindow, const char* method, std::intptr_t& owner);
    void display(QObject* callingWindow, unsigned command, const QVariant& data);
    void lookUp(QObject* callingWindow, const char* method, unsigned command,
                const QString& keywords, bool openFirst);

    void DetectHHVersion();
    void DetectIEVersion();
    // The version text of the file that a registered control's default value names.
    void detectVersion(const QString& classKey, QString& version, const QString& notRegistered,
                       const QString& notThere);
    void HHReleaseName();
    void IEReleaseName();
    QString GetFileVersionText(const QString& path);
    QString GetLongFileName(const QString& path);
    int GetOSPlatform();

    QString chmFile;
    QString hhALink;
    QString hhDefaultURL;
    bool hhInstalled = false;
    QString hhKeyword;
    QString hhMsgText;
    QString hhMsgTitle;
    bool hhShowOnTop = false;
    std::int32_t hhTopicID = 0;
    QString hhTopicURL;
    QString hhWindow;
    QString hhRegFileName;
    QString hhRegFilePath;
    bool hhRegFileExists = false;
    QString hhPopupFile;
    std::int32_t hhPopupType = 0;
    QString hhPopupText;
    std::int32_t hhPopupID = 0;
    std::int32_t hhPopupTextColor = 0;
    std::int32_t hhPopupBackColor = 0;
    std::int32_t hhPopupCustomTextColor = 0;
    std::int32_t hhPopupCustomBackColor = 0;
    bool hhPopupCustomColors = false;
    QString hhPopupTextFont;
    QString hhPopupTextSize;
    bool hhPopupTextBold = false;
    bool hhPopupTextItalic = false;
    bool hhPopupTextUnderline = false;
    QString hhVersion;
    QString ieVersion;
    QString hhFriendlyName;
    QString ieFriendlyName;
    std::intptr_t hhWndHandle = 0;
};
