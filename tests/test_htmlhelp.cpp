// The help class's display operations: what reaches the HTML Help runtime (command numbers,
// paths, owners, record fields) and the warnings it shows instead.

#include "fakes/fake_platform.h"
#include "help/HTMLHelp.h"
#include "platform/helprecords.h"

#include <QWidget>
#include <QtTest>

using platform::HH_AKLINK;
using platform::HH_POPUP;

using Operation = void (HTMLHelp::*)(QWidget*);
using Calls = std::vector<fakes::HelpCall>;
Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(Calls)

namespace {

const QString Folder = QStringLiteral("C:\\Program Files\\Velkor\\");
const QString Help = Folder + QStringLiteral("velkorhelp.chm");
const QString Missing = QStringLiteral(
    " does not exist.\nPlease make sure the correct path and file name have been specified.");
const QVariant Zero = QVariant::fromValue<std::int32_t>(0);

QVariant link(std::optional<QString> keywords, std::optional<QString> url = {},
              std::optional<QString> text = {}, std::optional<QString> title = {},
              std::optional<QString> window = {}) {
    HH_AKLINK record;
    record.pszKeywords = keywords;
    record.pszUrl = url;
    record.pszMsgText = text;
    record.pszMsgTitle = title;
    record.pszWindow = window;
    return QVariant::fromValue(record);
}

struct HelpFixture {
    fakes::FakePlatform os;
    HTMLHelp help;
    QWidget form;

    HelpFixture() {
        os.prefix.writeFile(QStringLiteral("drive_c/Program Files/Velkor/velkorhelp.chm"), "x");
        os.prefix.writeFile(QStringLiteral("drive_c/Program Files/Velkor/HELP.CHM"), "x");
        os.prefix.writeFile(QStringLiteral("drive_c/Docs/guide.chm"), "x");
        os.prefix.writeFile(QStringLiteral("drive_c/Docs/damaged.chm"), "x");
        os.help.damaged << QStringLiteral("c:\\docs\\damaged.chm");
        os.registry.setString(platform::RootKey::LocalMachine,
                              QStringLiteral("Software\\Microsoft\\Windows\\HTML Help"),
                              QStringLiteral("GUIDE.CHM"), QStringLiteral("C:\\Docs\\"));
        os.ui.cursor = QPoint(310, 420);
        help.setCHMFile(Help);
    }
    QStringList boxTexts() const {
        QStringList texts;
        for (const auto& box : os.ui.boxes)
            texts << box.text;
        return texts;
    }
    HH_POPUP popup(std::size_t i) const { return os.help.calls.at(i).data.value<HH_POPUP>(); }
    void showPopup(int type, const QString& text = QString()) {
        help.setHHPopupType(type);
        help.setHHPopupText(text);
        help.HHDisplayPopup(&form);
    }
};

} // namespace

class HtmlHelpTest : public QObject {
    Q_OBJECT
private slots:
    void displayOperations_data();
    void displayOperations();
    void emptyLookupStringsAreAbsent();
    void ownersHandlesAndClose();
    void popupRecord();
    void popupSources();
};

void HtmlHelpTest::displayOperations_data() {
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("file");
    QTest::addColumn<Calls>("calls");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QString>("resolved");
    auto row = [](const char* name, Operation operation, Calls calls, QString window = {},
                  QString file = Help, QString warning = {}, QString resolved = {}) {
        QTest::newRow(name) << operation << window << file << calls << warning
                            << (resolved.isNull() ? file : resolved);
    };
    using H = HTMLHelp;
    platform::HH_FTS_QUERY query; // the window travels in the path only
    query.pszSearchQuery = query.pszWindow = QString(QLatin1String(""));
    query.fExecute = true;

    row("contents", &H::HHDisplayContents, {{0, Help, 1, Zero}});
    row("index in a window", &H::HHDisplayIndex, {{0, Help + ">main", 2, Zero}}, "main");
    row("blank window is none", &H::HHDisplayContents, {{0, Help, 1, Zero}}, "   ");
    row("topic url", &H::HHDisplayTopicURL, {{0, Help, 0, QStringLiteral("joining.htm")}});
    row("topic id", &H::HHDisplayTopicID, {{0, Help, 15, QVariant::fromValue<std::int32_t>(1030)}});
    row("search", &H::HHDisplaySearch, {{0, Help + "> main", 3, QVariant::fromValue(query)}},
        " main");
    // A keyword look-up shows the file first; the window travels in the record.
    row("keyword", &H::HHDisplayKeyword,
        {{0, Help, 0, Zero},
         {0, Help, 13, link("router;hosting", "welcome.htm", "Nothing found.", "Help", "main")}},
        "main");
    row("associative link", &H::HHDisplayALink,
        {{0, Help, 19, link("joining", "welcome.htm", "Nothing found.", "Help")}});

    // The help file is rewritten to the resolved path before it is looked for.
    row("bare name", &H::HHDisplayContents, {{0, Help, 1, Zero}}, {}, "velkorhelp.chm", {}, Help);
    // A registered name: its registered folder followed by the name as asked for.
    row("registered name", &H::HHDisplayIndex, {{0, "C:\\Docs\\guide.chm", 2, Zero}}, {},
        "guide.chm", {}, "C:\\Docs\\guide.chm");
    row("extension without case", &H::HHDisplayIndex, {{0, Folder + "HELP.CHM", 2, Zero}}, {},
        Folder + "HELP.CHM");
    row("wrong extension", &H::HHDisplayKeyword, {}, {}, "help.htm",
        "help.htm is not a valid HTML Help file.");
    row("missing file", &H::HHDisplayTopicID, {}, {}, "C:\\Nowhere\\gone.chm",
        "The file C:\\Nowhere\\gone.chm" + Missing);
    row("missing bare name", &H::HHDisplayALink, {}, {}, "gone.chm",
        "The file " + Folder + "gone.chm" + Missing, Folder + "gone.chm");
    // A file that cannot be opened would show nothing at all.
    row("damaged file", &H::HHDisplayContents, {}, {}, "C:\\Docs\\damaged.chm",
        "The file C:\\Docs\\damaged.chm" + Missing);
}

void HtmlHelpTest::displayOperations() {
    QFETCH(Operation, operation);
    QFETCH(QString, window);
    QFETCH(QString, file);
    QFETCH(Calls, calls);
    QFETCH(QString, warning);
    QFETCH(QString, resolved);
    HelpFixture f;
    f.help.setCHMFile(file);
    f.help.setHHWindow(window);
    f.help.setHHTopicURL(QStringLiteral("joining.htm"));
    f.help.setHHTopicID(1030);
    f.help.setHHKeyword(QStringLiteral("router;hosting"));
    f.help.setHHALink(QStringLiteral("joining"));
    f.help.setHHDefaultURL(QStringLiteral("welcome.htm"));
    f.help.setHHMsgText(QStringLiteral("Nothing found."));
    f.help.setHHMsgTitle(QStringLiteral("Help"));
    (f.help.*operation)(nullptr);

    QCOMPARE(f.os.help.calls.size(), calls.size());
    for (std::size_t i = 0; i < calls.size(); ++i) {
        QCOMPARE(f.os.help.calls[i].owner, std::intptr_t(0));
        QCOMPARE(f.os.help.calls[i].path, calls[i].path);
        QCOMPARE(f.os.help.calls[i].command, calls[i].command);
        QCOMPARE(f.os.help.calls[i].data, calls[i].data);
    }
    QCOMPARE(f.help.CHMFile(), resolved);
    QCOMPARE(f.boxTexts(), warning.isEmpty() ? QStringList() : QStringList{warning});
    if (!warning.isEmpty()) {
        QCOMPARE(f.os.ui.boxes[0].title, QStringLiteral("HTML Help Class"));
        QCOMPARE(f.os.ui.boxes[0].style, 48);
    }
}

void HtmlHelpTest::emptyLookupStringsAreAbsent() {
    HelpFixture f;
    f.help.setHHWindow(QStringLiteral("  "));
    f.help.HHDisplayKeyword();
    // An empty keyword is still a string; the other four are none at all.
    QCOMPARE(f.os.help.calls.at(1).data, link(QString(QLatin1String(""))));
}

void HtmlHelpTest::ownersHandlesAndClose() {
    HelpFixture f;
    QCOMPARE(f.help.HHWndHandle(), std::intptr_t(0));
    QCOMPARE(f.boxTexts(), QStringList{QStringLiteral("No HTML Help window handle to retrieve.")});
    // The form owns the help window only when it is shown on top.
    f.help.HHDisplayContents(&f.form);
    QCOMPARE(f.os.help.calls.at(0).owner, std::intptr_t(0));
    QCOMPARE(f.help.HHWndHandle(), f.os.help.nextHandle);
    f.help.setHHShowOnTop(true);
    f.os.help.nextHandle = 0x77;
    f.help.HHDisplayKeyword(&f.form);
    const auto form = static_cast<std::intptr_t>(f.form.winId());
    QVERIFY(f.os.help.calls.at(1).owner == form && f.os.help.calls.at(2).owner == form);
    QCOMPARE(f.help.HHWndHandle(), std::intptr_t(0x77));
    // A popup's handle is not kept; a failed call stores its 0.
    f.os.help.nextHandle = 0x99;
    f.showPopup(4, QStringLiteral("x"));
    QCOMPARE(f.help.HHWndHandle(), std::intptr_t(0x77));
    f.os.help.nextHandle = 0;
    f.help.HHDisplayContents(&f.form);
    QCOMPARE(f.help.HHWndHandle(), std::intptr_t(0));
    QCOMPARE(f.os.ui.boxes.size(), std::size_t(2));

    // On top without a form: a warning naming the operation (as the original names it).
    f.os.help.calls.clear();
    f.os.ui.boxes.clear();
    f.help.HHDisplayIndex();
    f.help.HHDisplayKeyword();
    f.help.HHDisplayALink();
    QVERIFY(f.os.help.calls.empty());
    const QString tail = QStringLiteral(" method was called without a form being specified, "
                                        "while HHShowOnTop was set to True.");
    QCOMPARE(f.boxTexts(),
             QStringList({"The HHDisplayContents" + tail, "The HHDisplayKeyword" + tail,
                          "The HHDisplayContents" + tail}));

    f.help.HHClose();
    QCOMPARE(f.os.help.calls.at(0).command, 18u);
    QVERIFY(f.os.help.calls.at(0).path.isEmpty() && !f.os.help.calls.at(0).path.isNull());
    QCOMPARE(f.help.HHSetHelpFile(1), Folder + QStringLiteral("Library.chm"));
    QCOMPARE(f.help.HHSetHelpFile(3), QString());
}

void HtmlHelpTest::popupRecord() {
    HelpFixture f;
    f.help.setHHPopupID(9);
    f.help.setHHPopupTextBold(true);
    f.help.setHHPopupTextUnderline(true);
    f.help.setHHPopupTextColor(0x112233);
    f.help.setHHPopupBackColor(0x445566);
    f.help.setHHPopupCustomTextColor(0x778899);
    f.showPopup(4, QStringLiteral("Your name in the game."));
    const auto& call = f.os.help.calls.at(0);
    QCOMPARE(call.owner, static_cast<std::intptr_t>(f.form.winId())); // even when not on top
    QVERIFY(call.path.isNull());
    QCOMPARE(call.command, 14u);
    HH_POPUP expected;
    expected.pszText = QStringLiteral("Your name in the game.");
    expected.pt = QPoint(310, 420);
    expected.clrForeground = 0x112233;
    expected.clrBackground = 0x445566;
    expected.pszFont = QStringLiteral("Arial, 10, ascii, Bold Underline");
    QVERIFY(f.popup(0) == expected);

    // Font, size, styles and colours go back to their defaults; the choice of the custom pair
    // stays.
    f.help.setHHPopupTextFont(QStringLiteral("Courier New"));
    f.help.setHHPopupTextSize(QStringLiteral("12"));
    f.help.setHHPopupTextItalic(true);
    f.help.setHHPopupCustomColors(true);
    f.help.setHHPopupCustomTextColor(0x0000FF);
    f.help.setHHPopupCustomBackColor(0x00FFFF);
    f.showPopup(4, QStringLiteral("First"));
    f.showPopup(4, QStringLiteral("Second"));
    QCOMPARE(f.popup(1).pszFont.value(), QStringLiteral("Courier New, 12, ascii, Italic "));
    QCOMPARE(QPair(f.popup(1).clrForeground, f.popup(1).clrBackground), QPair(0x0000FF, 0x00FFFF));
    QCOMPARE(f.popup(2).pszFont.value(), QStringLiteral("Arial, 10, ascii, "));
    QCOMPARE(QPair(f.popup(2).clrForeground, f.popup(2).clrBackground), QPair(0, 0));
    QVERIFY(f.help.HHPopupCustomColors());
}

void HtmlHelpTest::popupSources() {
    HelpFixture f;
    f.help.setCHMFile(QStringLiteral("velkorhelp.chm"));
    f.help.setHHPopupFile(QStringLiteral("popups.txt"));
    f.help.setHHPopupID(2);
    f.showPopup(1);
    QCOMPARE(f.os.help.calls.at(0).path, Help + QStringLiteral("::/popups.txt"));
    QCOMPARE(f.popup(0).idString, 2u);
    QVERIFY(!f.popup(0).pszText);
    // The program's own strings; an unknown number gives an empty text.
    f.help.setHHPopupID(1);
    f.showPopup(2);
    f.help.setHHPopupID(999);
    f.showPopup(2);
    QVERIFY(f.os.help.calls.at(1).path.isNull());
    QCOMPARE(f.popup(1).pszText.value(),
             QStringLiteral("The name the other players see in the game, up to 16 characters."));
    QCOMPARE(f.popup(2).pszText.value(), QString());

    // Refused popups make no call and keep the settings for the next one.
    f.os.help.calls.clear();
    f.help.setHHPopupTextBold(true);
    f.help.setHHPopupFile(QStringLiteral("popups.htm"));
    f.showPopup(1);
    f.help.setHHPopupFile(QStringLiteral("popups.txt"));
    f.help.setCHMFile(QStringLiteral("popups.hlp"));
    f.showPopup(1);
    f.help.setCHMFile(Help);
    f.showPopup(0, QStringLiteral("none"));
    f.showPopup(3, QStringLiteral("none"));
    f.showPopup(4);
    QVERIFY(f.os.help.calls.empty());
    QCOMPARE(f.boxTexts(), QStringList({QStringLiteral("The file specified as the text popup "
                                                       "source, 'popups.htm', is not a valid "
                                                       "popup file."),
                                        QStringLiteral("popups.hlp is not a valid HTML Help "
                                                       "file.")}));
    f.showPopup(4, QStringLiteral("Now"));
    QCOMPARE(f.popup(0).pszFont.value(), QStringLiteral("Arial, 10, ascii, Bold "));
}

QTEST_MAIN(HtmlHelpTest)
#include "test_htmlhelp.moc"
