// The help class's display operations: what reaches the HTML Help runtime (command numbers,
// paths, owners and every field of the command records) and the warnings it shows instead.

#include "fakes/fake_platform.h"
#include "help/HTMLHelp.h"
#include "platform/helprecords.h"

#include <QWidget>
#include <QtTest>

using platform::HH_AKLINK;
using platform::HH_FTS_QUERY;
using platform::HH_POPUP;

namespace {

const QString ProgramHelp = QStringLiteral("C:\\Program Files\\Velkor\\velkorhelp.chm");
const QString Caption = QStringLiteral("HTML Help Class");

// A platform with the program's help file in its folder.
struct HelpFixture {
    fakes::FakePlatform os;
    HTMLHelp help;

    HelpFixture() {
        os.prefix.writeFile(QStringLiteral("drive_c/Program Files/Velkor/velkorhelp.chm"), "x");
        help.setCHMFile(ProgramHelp);
    }
    const fakes::HelpCall& onlyCall() const {
        if (os.help.calls.size() != 1)
            qFatal("expected one runtime call, got %zu", os.help.calls.size());
        return os.help.calls.front();
    }
    QStringList boxTexts() const {
        QStringList texts;
        for (const auto& box : os.ui.boxes)
            texts << box.text;
        return texts;
    }
};

HH_AKLINK link(std::optional<QString> keywords, std::optional<QString> url = std::nullopt,
               std::optional<QString> text = std::nullopt,
               std::optional<QString> title = std::nullopt,
               std::optional<QString> window = std::nullopt) {
    HH_AKLINK record;
    record.pszKeywords = keywords;
    record.pszUrl = url;
    record.pszMsgText = text;
    record.pszMsgTitle = title;
    record.pszWindow = window;
    return record;
}

} // namespace

class HtmlHelpTest : public QObject {
    Q_OBJECT
private slots:
    void displayOperations_data();
    void displayOperations();
    void searchRecord();
    void bareNameIsResolved();
    void wrongExtensionWarns();
    void missingFileWarns();
    void handleBeforeAnyDisplayWarns();
    void ownerOnlyWhenShownOnTop();
    void keywordLookupSendsTwoCalls();
    void emptyLookupStringsAreAbsent();
    void associativeLinkLookup();
    void popupLiteralText();
    void popupSettingsResetAfterwards();
    void popupFromTheHelpFile();
    void popupWithoutCallOrReset();
    void popupProgramString();
    void closeAndHelpFileNames();
};

void HtmlHelpTest::displayOperations_data() {
    QTest::addColumn<int>("operation");
    QTest::addColumn<unsigned>("command");
    QTest::addColumn<QVariant>("data");
    QTest::newRow("contents") << 0 << 1u << QVariant::fromValue<std::int32_t>(0);
    QTest::newRow("index") << 1 << 2u << QVariant::fromValue<std::int32_t>(0);
    QTest::newRow("topic url") << 2 << 0u << QVariant(QStringLiteral("joining.htm"));
    QTest::newRow("topic id") << 3 << 15u << QVariant::fromValue<std::int32_t>(1030);
}

void HtmlHelpTest::displayOperations() {
    QFETCH(int, operation);
    QFETCH(unsigned, command);
    QFETCH(QVariant, data);
    HelpFixture f;
    f.help.setHHTopicURL(QStringLiteral("joining.htm"));
    f.help.setHHTopicID(1030);
    switch (operation) {
    case 0:
        f.help.HHDisplayContents();
        break;
    case 1:
        f.help.HHDisplayIndex();
        break;
    case 2:
        f.help.HHDisplayTopicURL();
        break;
    default:
        f.help.HHDisplayTopicID();
        break;
    }
    const auto& call = f.onlyCall();
    QCOMPARE(call.owner, std::intptr_t(0));
    QCOMPARE(call.path, ProgramHelp);
    QCOMPARE(call.command, command);
    QCOMPARE(call.data, data);
    QVERIFY(f.os.ui.boxes.empty());
    QCOMPARE(f.help.HHWndHandle(), f.os.help.nextHandle);
}

void HtmlHelpTest::searchRecord() {
    HelpFixture f;
    f.help.setHHWindow(QStringLiteral("main"));
    f.help.HHDisplaySearch();
    const auto& call = f.onlyCall();
    QCOMPARE(call.command, 3u);
    QCOMPARE(call.path, ProgramHelp + QStringLiteral(">main"));
    HH_FTS_QUERY expected;
    expected.cbStruct = 32;
    expected.pszSearchQuery = QString(QLatin1String(""));
    expected.fExecute = true;
    expected.pszWindow = QString(QLatin1String("")); // the window travels in the path only
    QVERIFY(call.data.value<HH_FTS_QUERY>() == expected);
    QVERIFY(!call.data.value<HH_FTS_QUERY>().fUniCodeStrings);

    // A window name of blanks is none; any other is passed as it stands.
    f.help.setHHWindow(QStringLiteral("   "));
    f.help.HHDisplayContents();
    f.help.setHHWindow(QStringLiteral(" main"));
    f.help.HHDisplayContents();
    QCOMPARE(f.os.help.calls[1].path, ProgramHelp);
    QCOMPARE(f.os.help.calls[2].path, ProgramHelp + QStringLiteral("> main"));
}

void HtmlHelpTest::bareNameIsResolved() {
    // Not registered: the program's folder.
    {
        HelpFixture f;
        f.help.setCHMFile(QStringLiteral("velkorhelp.chm"));
        f.help.HHDisplayContents();
        QCOMPARE(f.help.CHMFile(), ProgramHelp);
        QCOMPARE(f.onlyCall().path, ProgramHelp);
    }
    // Registered: its registered folder, joined as stored.
    {
        HelpFixture f;
        f.os.prefix.writeFile(QStringLiteral("drive_c/Docs/guide.chm"), "x");
        f.os.registry.setString(platform::RootKey::LocalMachine,
                                QStringLiteral("Software\\Microsoft\\Windows\\HTML Help"),
                                QStringLiteral("GUIDE.CHM"), QStringLiteral("C:\\Docs\\"));
        f.help.setCHMFile(QStringLiteral("guide.chm"));
        f.help.HHDisplayIndex();
        // The registered folder followed by the name as asked for.
        QCOMPARE(f.help.CHMFile(), QStringLiteral("C:\\Docs\\guide.chm"));
        QCOMPARE(f.onlyCall().path, QStringLiteral("C:\\Docs\\guide.chm"));
        QVERIFY(f.help.HHRegFileExists());
    }
}

void HtmlHelpTest::wrongExtensionWarns() {
    HelpFixture f;
    f.help.setCHMFile(QStringLiteral("help.htm"));
    f.help.HHDisplayContents();
    f.help.HHDisplayKeyword();
    QVERIFY(f.os.help.calls.empty());
    QCOMPARE(f.os.ui.boxes.size(), std::size_t(2));
    QCOMPARE(f.os.ui.boxes[0].text, QStringLiteral("help.htm is not a valid HTML Help file."));
    QCOMPARE(f.os.ui.boxes[0].title, Caption);
    QCOMPARE(f.os.ui.boxes[0].style, 48);

    // The extension is compared without regard to case.
    f.os.prefix.writeFile(QStringLiteral("drive_c/Program Files/Velkor/HELP.CHM"), "x");
    f.help.setCHMFile(QStringLiteral("C:\\Program Files\\Velkor\\HELP.CHM"));
    f.help.HHDisplayContents();
    QCOMPARE(f.os.help.calls.size(), std::size_t(1));
}

void HtmlHelpTest::missingFileWarns() {
    HelpFixture f;
    f.help.setCHMFile(QStringLiteral("C:\\Nowhere\\gone.chm"));
    f.help.HHDisplayTopicID();
    f.help.setCHMFile(QStringLiteral("gone.chm"));
    f.help.HHDisplayALink();
    QVERIFY(f.os.help.calls.empty());
    QCOMPARE(f.boxTexts(),
             QStringList({QStringLiteral("The file C:\\Nowhere\\gone.chm does not exist.\nPlease "
                                         "make sure the correct path and file name have been "
                                         "specified."),
                          QStringLiteral("The file C:\\Program Files\\Velkor\\gone.chm does not "
                                         "exist.\nPlease make sure the correct path and file "
                                         "name have been specified.")}));
    QCOMPARE(f.os.ui.boxes[1].style, 48);
    // The property was rewritten before the search failed.
    QCOMPARE(f.help.CHMFile(), QStringLiteral("C:\\Program Files\\Velkor\\gone.chm"));
}

void HtmlHelpTest::handleBeforeAnyDisplayWarns() {
    HelpFixture f;
    QCOMPARE(f.help.HHWndHandle(), std::intptr_t(0));
    QCOMPARE(f.boxTexts(),
             QStringList({QStringLiteral("No HTML Help window handle to retrieve.")}));
    QCOMPARE(f.os.ui.boxes[0].title, Caption);
    // A failed runtime call stores its 0 too.
    f.os.help.nextHandle = 0;
    f.help.HHDisplayContents();
    QCOMPARE(f.help.HHWndHandle(), std::intptr_t(0));
    QCOMPARE(f.os.ui.boxes.size(), std::size_t(2));
}

void HtmlHelpTest::ownerOnlyWhenShownOnTop() {
    HelpFixture f;
    QWidget form;
    const auto handle = static_cast<std::intptr_t>(form.winId());
    f.help.HHDisplayContents(&form);
    f.help.setHHShowOnTop(true);
    f.help.HHDisplayTopicURL(&form);
    f.help.HHDisplayKeyword(&form);
    QCOMPARE(f.os.help.calls.size(), std::size_t(4));
    QCOMPARE(f.os.help.calls[0].owner, std::intptr_t(0));
    QCOMPARE(f.os.help.calls[1].owner, handle);
    QCOMPARE(f.os.help.calls[2].owner, handle);
    QCOMPARE(f.os.help.calls[3].owner, handle);

    // On top without a form: a warning naming the operation, and no call.
    f.os.help.calls.clear();
    f.help.HHDisplayIndex();
    f.help.HHDisplayKeyword();
    f.help.HHDisplayALink();
    QVERIFY(f.os.help.calls.empty());
    const QString tail = QStringLiteral(" method was called without a form being specified, "
                                        "while HHShowOnTop was set to True.");
    QCOMPARE(f.boxTexts(), QStringList({QStringLiteral("The HHDisplayContents") + tail,
                                        QStringLiteral("The HHDisplayKeyword") + tail,
                                        QStringLiteral("The HHDisplayContents") + tail}));
}

void HtmlHelpTest::keywordLookupSendsTwoCalls() {
    HelpFixture f;
    f.os.help.nextHandle = 0x77;
    f.help.setHHKeyword(QStringLiteral("router;hosting"));
    f.help.setHHDefaultURL(QStringLiteral("welcome.htm"));
    f.help.setHHMsgText(QStringLiteral("Nothing found."));
    f.help.setHHMsgTitle(QStringLiteral("Velkor Help"));
    f.help.setHHWindow(QStringLiteral("main"));
    f.help.HHDisplayKeyword();
    QCOMPARE(f.os.help.calls.size(), std::size_t(2));
    const auto& first = f.os.help.calls[0];
    QCOMPARE(first.command, 0u);
    QCOMPARE(first.path, ProgramHelp); // the window travels in the record
    QCOMPARE(first.data, QVariant::fromValue<std::int32_t>(0));
    const auto& second = f.os.help.calls[1];
    QCOMPARE(second.command, 13u);
    QCOMPARE(second.path, ProgramHelp);
    QVERIFY(second.data.value<HH_AKLINK>() ==
            link(QStringLiteral("router;hosting"), QStringLiteral("welcome.htm"),
                 QStringLiteral("Nothing found."), QStringLiteral("Velkor Help"),
                 QStringLiteral("main")));
    QCOMPARE(second.data.value<HH_AKLINK>().cbStruct, 32);
    QCOMPARE(f.help.HHWndHandle(), std::intptr_t(0x77));
}

void HtmlHelpTest::emptyLookupStringsAreAbsent() {
    HelpFixture f;
    f.help.setHHWindow(QStringLiteral("  "));
    f.help.HHDisplayKeyword();
    const auto record = f.os.help.calls.at(1).data.value<HH_AKLINK>();
    // An empty keyword is still a string; the other four are none at all.
    QVERIFY(record == link(QString(QLatin1String(""))));
    QVERIFY(record.pszKeywords.has_value());
    QVERIFY(!record.pszUrl && !record.pszMsgText && !record.pszMsgTitle && !record.pszWindow);
    QVERIFY(!record.fReserved && !record.fIndexOnFail);
    QVERIFY(f.help.HHDefaultURL().isEmpty());
    QVERIFY(f.help.HHMsgText().isEmpty() && f.help.HHMsgTitle().isEmpty());
}

void HtmlHelpTest::associativeLinkLookup() {
    HelpFixture f;
    f.help.setHHALink(QStringLiteral("joining"));
    f.help.setHHKeyword(QStringLiteral("not this"));
    f.help.setHHMsgText(QStringLiteral("No topic."));
    f.help.HHDisplayALink();
    const auto& call = f.onlyCall();
    QCOMPARE(call.command, 19u);
    QCOMPARE(call.path, ProgramHelp);
    QVERIFY(call.data.value<HH_AKLINK>() ==
            link(QStringLiteral("joining"), std::nullopt, QStringLiteral("No topic.")));
}

void HtmlHelpTest::popupLiteralText() {
    HelpFixture f;
    QWidget form;
    f.os.ui.cursor = QPoint(310, 420);
    f.help.setHHPopupType(4);
    f.help.setHHPopupText(QStringLiteral("Your name in the game."));
    f.help.setHHPopupID(9);
    f.help.setHHPopupTextBold(true);
    f.help.setHHPopupTextUnderline(true);
    f.help.setHHPopupTextColor(0x112233);
    f.help.setHHPopupBackColor(0x445566);
    f.help.setHHPopupCustomTextColor(0x778899);
    f.help.setHHPopupCustomBackColor(0xAABBCC);
    f.help.HHDisplayPopup(&form);

    const auto& call = f.onlyCall();
    QCOMPARE(call.owner, static_cast<std::intptr_t>(form.winId())); // even when not on top
    QVERIFY(call.path.isNull());
    QCOMPARE(call.command, 14u);
    HH_POPUP expected;
    expected.pszText = QStringLiteral("Your name in the game.");
    expected.idString = 0;
    expected.pt = QPoint(310, 420);
    expected.clrForeground = 0x112233;
    expected.clrBackground = 0x445566;
    expected.pszFont = QStringLiteral("Arial, 10, ascii, Bold Underline");
    const auto record = call.data.value<HH_POPUP>();
    QVERIFY(record == expected);
    QCOMPARE(record.cbStruct, 52);
    QCOMPARE(record.hinst, std::intptr_t(0));
    QCOMPARE(
        QList<int>({record.marginLeft, record.marginTop, record.marginRight, record.marginBottom}),
        QList<int>({-1, -1, -1, -1}));
    // The popup's handle is not kept.
    QCOMPARE(f.help.HHWndHandle(), std::intptr_t(0));
}

void HtmlHelpTest::popupSettingsResetAfterwards() {
    HelpFixture f;
    QWidget form;
    f.help.setHHPopupType(4);
    f.help.setHHPopupText(QStringLiteral("First"));
    f.help.setHHPopupTextFont(QStringLiteral("Courier New"));
    f.help.setHHPopupTextSize(QStringLiteral("12"));
    f.help.setHHPopupTextItalic(true);
    f.help.setHHPopupCustomColors(true);
    f.help.setHHPopupCustomTextColor(0x0000FF);
    f.help.setHHPopupCustomBackColor(0x00FFFF);
    f.help.HHDisplayPopup(&form);
    f.help.HHDisplayPopup(&form);
    QCOMPARE(f.os.help.calls.size(), std::size_t(2));
    const auto first = f.os.help.calls[0].data.value<HH_POPUP>();
    const auto second = f.os.help.calls[1].data.value<HH_POPUP>();
    QCOMPARE(first.pszFont.value(), QStringLiteral("Courier New, 12, ascii, Italic "));
    QCOMPARE(first.clrForeground, 0x0000FF);
    QCOMPARE(first.clrBackground, 0x00FFFF);
    // Font, size, styles and colours are back to their defaults; the type, text and the choice
    // of the custom pair are kept.
    QCOMPARE(second.pszFont.value(), QStringLiteral("Arial, 10, ascii, "));
    QCOMPARE(second.clrForeground, 0);
    QCOMPARE(second.clrBackground, 0);
    QCOMPARE(second.pszText.value(), QStringLiteral("First"));
    QVERIFY(f.help.HHPopupCustomColors());
}

void HtmlHelpTest::popupFromTheHelpFile() {
    HelpFixture f;
    QWidget form;
    f.help.setCHMFile(QStringLiteral("velkorhelp.chm"));
    f.help.setHHPopupType(1);
    f.help.setHHPopupFile(QStringLiteral("popups.txt"));
    f.help.setHHPopupID(2);
    f.help.HHDisplayPopup(&form);
    const auto& call = f.onlyCall();
    QCOMPARE(call.path, ProgramHelp + QStringLiteral("::/popups.txt"));
    const auto record = call.data.value<HH_POPUP>();
    QCOMPARE(record.idString, 2u);
    QVERIFY(!record.pszText);

    // A popup file of another kind: a warning, no call, and the settings stay.
    f.os.help.calls.clear();
    f.help.setHHPopupFile(QStringLiteral("popups.htm"));
    f.help.setHHPopupTextBold(true);
    f.help.HHDisplayPopup(&form);
    QVERIFY(f.os.help.calls.empty());
    QCOMPARE(f.boxTexts(),
             QStringList({QStringLiteral("The file specified as the text popup source, "
                                         "'popups.htm', is not a valid popup file.")}));
    f.help.setHHPopupType(4);
    f.help.setHHPopupText(QStringLiteral("Still bold"));
    f.help.HHDisplayPopup(&form);
    QCOMPARE(f.onlyCall().data.value<HH_POPUP>().pszFont.value(),
             QStringLiteral("Arial, 10, ascii, Bold "));

    // Type 1 checks the help file first.
    f.os.help.calls.clear();
    f.os.ui.boxes.clear();
    f.help.setHHPopupType(1);
    f.help.setCHMFile(QStringLiteral("popups.hlp"));
    f.help.HHDisplayPopup(&form);
    QVERIFY(f.os.help.calls.empty());
    QCOMPARE(f.boxTexts(),
             QStringList({QStringLiteral("popups.hlp is not a valid HTML Help file.")}));
}

void HtmlHelpTest::popupWithoutCallOrReset() {
    HelpFixture f;
    QWidget form;
    f.help.setHHPopupTextBold(true);
    f.help.setHHPopupType(0);
    f.help.HHDisplayPopup(&form);
    f.help.setHHPopupType(4); // with no text
    f.help.HHDisplayPopup(&form);
    f.help.setHHPopupType(3);
    f.help.setHHPopupText(QStringLiteral("ignored"));
    f.help.HHDisplayPopup(&form);
    QVERIFY(f.os.help.calls.empty());
    QVERIFY(f.os.ui.boxes.empty());
    f.help.setHHPopupType(4);
    f.help.HHDisplayPopup(&form);
    QCOMPARE(f.onlyCall().data.value<HH_POPUP>().pszFont.value(),
             QStringLiteral("Arial, 10, ascii, Bold "));
}

void HtmlHelpTest::popupProgramString() {
    HelpFixture f;
    QWidget form;
    f.help.setHHPopupType(2);
    f.help.setHHPopupID(1);
    f.help.HHDisplayPopup(&form);
    f.help.setHHPopupID(999);
    f.help.HHDisplayPopup(&form);
    QCOMPARE(f.os.help.calls.size(), std::size_t(2));
    const auto known = f.os.help.calls[0].data.value<HH_POPUP>();
    QVERIFY(f.os.help.calls[0].path.isNull());
    QCOMPARE(known.idString, 0u);
    QCOMPARE(known.pszText.value(),
             QStringLiteral("The name the other players see in the game, up to 16 characters."));
    QCOMPARE(f.os.help.calls[1].data.value<HH_POPUP>().pszText.value(), QString());
}

void HtmlHelpTest::closeAndHelpFileNames() {
    HelpFixture f;
    f.help.HHClose();
    const auto& call = f.onlyCall();
    QCOMPARE(call.owner, std::intptr_t(0));
    QVERIFY(call.path.isEmpty() && !call.path.isNull());
    QCOMPARE(call.command, 18u);
    QCOMPARE(call.data, QVariant::fromValue<std::int32_t>(0));

    QCOMPARE(f.help.HHSetHelpFile(1), QStringLiteral("C:\\Program Files\\Velkor\\Library.chm"));
    QCOMPARE(f.help.HHSetHelpFile(2), QStringLiteral("Library.txt"));
    QCOMPARE(f.help.HHSetHelpFile(0), QString());
    QCOMPARE(f.help.HHSetHelpFile(3), QString());
    // Nothing of it is stored, and nothing else happens.
    QCOMPARE(f.help.CHMFile(), ProgramHelp);
    f.help.HHDeleteJumpURLSysMenu(0x1234);
    QCOMPARE(f.os.help.calls.size(), std::size_t(1));
    QVERIFY(f.os.ui.boxes.empty());
}

QTEST_MAIN(HtmlHelpTest)
#include "test_htmlhelp.moc"
