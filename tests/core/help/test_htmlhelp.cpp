// The help class: what its operations hand the HTML Help runtime or warn; its environment checks.

#include "core/help/HTMLHelp.h"
#include "core/help/helpregistry.h"
#include "core/help/helpversions.h"
#include "fakes/fake_platform.h"
#include "fakes/rows.h"
#include "platform/helprecords.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using platform::RootKey;

namespace {

const QString Help = u"C:\\Program Files\\Velkor\\velkorhelp.chm"_s;
const QString FileKey = u"Software\\Microsoft\\Windows\\HTML Help"_s;
const char* const HHControl = "{4662DAB0-D393-11D0-9A56-00C04FB68B66}";

QByteArray fixedInfo(quint16 a, quint16 b, quint16 c, quint16 d) {
    const quint32 fields[] = {0xFEEF04BDu, 0, quint32(a) << 16 | b, quint32(c) << 16 | d};
    QByteArray record(52, '\0');
    qToLittleEndian<quint32>(fields, 4, record.data());
    return record;
}

// The program's help file, guide.chm registered, a damaged one, HTML Help 1.3 and IE 5.01.
struct Fixture {
    fakes::FakePlatform os;
    HTMLHelp help;
    QObject form; // the calling window

    Fixture() {
        for (const char* file : {"Program Files/Velkor/velkorhelp.chm", "Docs/guide.chm",
                                 "Program Files/Velkor/bare.chm", "Docs/damaged.chm",
                                 "windows/system32/hhctrl.ocx", "windows/system32/shdocvw.dll"})
            os.prefix.writeFile(u"drive_c/"_s + QLatin1String(file), "x");
        os.help.damaged << u"c:\\docs\\damaged.chm"_s;
        os.registry.setString(RootKey::LocalMachine, FileKey, u"GUIDE.CHM"_s, u"C:\\Docs\\"_s);
        control(HHControl, "%SystemRoot%\\system32\\hhctrl.ocx");
        control("{0A89A860-D7B1-11CE-8350-444553540000}", "c:\\windows\\system32\\shdocvw.dll");
        os.versions.records[u"c:\\windows\\system32\\hhctrl.ocx"_s] = fixedInfo(4, 74, 8702, 0);
        os.versions.records[u"c:\\windows\\system32\\shdocvw.dll"_s] = fixedInfo(5, 0, 2919, 6307);
        help.setCHMFile(Help);
    }
    void control(const char* clsid, const char* file) {
        os.registry.setValue(RootKey::ClassesRoot,
                             u"CLSID\\%1\\InprocServer32"_s.arg(QLatin1String(clsid)),
                             {QString(), platform::regtype::ExpandSz, QByteArray(file) + '\0'});
    }
    // The first sentences of the message boxes shown since the last call.
    QStringList boxes() {
        QStringList texts;
        for (const auto& box : os.ui.boxes)
            texts << box.text.section(QRegularExpression(u"  |\n"_s), 0, 0);
        os.ui.boxes.clear();
        return texts;
    }
    // The runtime calls as "command path data", the help file's path written "@".
    QString calls() const {
        QStringList out;
        for (const auto& call : os.help.calls)
            out << QString::number(call.command) + ' ' + QString(call.path).replace(Help, u"@"_s) +
                       ' ' + call.data.toString();
        return out.join(';');
    }
};

using OperationCase = std::tuple<void (HTMLHelp::*)(QObject*), QString, QString, QString, QString>;

} // namespace

class HtmlHelpTest : public QObject {
    Q_OBJECT
private slots:
    void displayOperations_data();
    void displayOperations();
    void windowsAndPopups();
    void versions();
    void registration();
};

void HtmlHelpTest::displayOperations_data() {
    using H = HTMLHelp;
    // {operation, help file, window, the calls made, the warning}
    addCases<OperationCase>(
        {{"contents, a bare name", {&H::HHDisplayContents, "velkorhelp.chm", " ", "1 @ 0", ""}},
         {"index, a registered file",
          {&H::HHDisplayIndex, "guide.chm", "main", "2 C:\\Docs\\guide.chm>main 0", ""}},
         {"topic URL", {&H::HHDisplayTopicURL, Help, "", "0 @ joining.htm", ""}},
         // A keyword look-up shows the file first; the window travels in the record.
         {"keyword", {&H::HHDisplayKeyword, Help, "main", "0 @ 0;13 @ ", ""}},
         {"keyword, not a help file",
          {&H::HHDisplayKeyword, "help.htm", "", "", "help.htm is not a valid HTML Help file."}},
         {"contents, a damaged file",
          {&H::HHDisplayContents, "C:\\Docs\\damaged.chm", "", "",
           "The file C:\\Docs\\damaged.chm does not exist."}}});
}

void HtmlHelpTest::displayOperations() {
    QFETCH(OperationCase, row);
    const auto& [operation, file, window, calls, warning] = row;
    Fixture f;
    f.help.setCHMFile(file);
    f.help.setHHWindow(window);
    f.help.setHHTopicURL(u"joining.htm"_s);
    f.help.setHHKeyword(u"router;hosting"_s);
    f.help.setHHMsgText(u"Nothing found."_s);
    (f.help.*operation)(nullptr);
    QCOMPARE(f.calls(), calls);
    QCOMPARE(f.boxes(), warning.isEmpty() ? QStringList() : QStringList{warning});
    if (calls.startsWith(QLatin1String("0 @ 0;"))) {
        const auto link = f.os.help.calls.back().data.value<platform::HH_AKLINK>();
        QCOMPARE(link.pszKeywords, u"router;hosting"_s);
        QCOMPARE(link.pszUrl, std::nullopt);
        QCOMPARE(link.pszMsgText, u"Nothing found."_s);
        QCOMPARE(link.pszWindow, window);
    }
}

void HtmlHelpTest::windowsAndPopups() {
    Fixture f;
    // The form owns the help window only when shown on top; a popup always, its handle not kept.
    f.help.HHDisplayContents(&f.form);
    f.help.setHHShowOnTop(true);
    f.os.help.nextHandle = 0x77;
    f.help.HHDisplayTopicURL(&f.form);
    f.os.help.nextHandle = 0x99;
    f.help.setHHPopupType(4);
    f.help.setHHPopupText(u"Your name."_s);
    f.help.setHHPopupTextBold(true);
    f.help.setHHPopupTextColor(0x112233);
    f.help.HHDisplayPopup(&f.form);
    const auto form = reinterpret_cast<std::intptr_t>(&f.form);
    QCOMPARE(f.os.help.calls.at(0).owner, 0);
    QCOMPARE(f.os.help.calls.at(1).owner, form);
    QCOMPARE(f.os.help.calls.at(2).owner, form);
    QCOMPARE(f.help.HHWndHandle(), std::intptr_t(0x77));
    const auto popup = f.os.help.calls.at(2).data.value<platform::HH_POPUP>();
    QCOMPARE(popup.pszText, u"Your name."_s);
    QCOMPARE(popup.clrForeground, 0x112233);
    QCOMPARE(popup.pszFont, u"Arial, 10, ascii, Bold "_s);
    // Its style and colours go back to the defaults; its text may come from a .txt in the file.
    f.help.setHHPopupType(1);
    f.help.setHHPopupFile(u"popups.txt"_s);
    f.help.HHDisplayPopup(&f.form);
    f.help.setHHPopupFile(u"popups.htm"_s);
    f.help.HHDisplayPopup(&f.form);
    QVERIFY(f.os.help.calls[3].data.value<platform::HH_POPUP>().pszFont == u"Arial, 10, ascii, "_s);
    // A failed call stores its 0; on top without a form a warning names the operation.
    f.os.help.nextHandle = 0;
    f.help.HHDisplayIndex(&f.form);
    f.help.HHDisplayALink();
    f.help.HHClose();
    QCOMPARE(f.calls().split(';').mid(3), QStringList({"14 @::/popups.txt ", "2 @ 0", "18  0"}));
    QCOMPARE(f.help.HHWndHandle(), std::intptr_t(0));
    QCOMPARE(f.boxes(), QStringList({"The file specified as the text popup source, 'popups.htm', "
                                     "is not a valid popup file.",
                                     "The HHDisplayContents method was called without a form "
                                     "being specified, while HHShowOnTop was set to True.",
                                     "No HTML Help window handle to retrieve."}));
}

void HtmlHelpTest::versions() {
    using namespace helpversions;
    QCOMPARE(versionText(*fromFixedFileInfo(fixedInfo(4, 70, 0, 1155))), u"4.70.1155"_s);
    QVERIFY(!fromFixedFileInfo(fixedInfo(1, 2, 3, 4).left(51)));
    QVERIFY(!fromFixedFileInfo(QByteArray(52, 1)));
    // The codes' ranges, each end and one past it; versions compared part by part as numbers.
    QString reached;
    for (int code : {15, 16, 26, 27})
        reached += hhMinimum(code) ? '1' : '0';
    reached += '|';
    for (int code : {255, 256, 273, 274})
        reached += ieMinimum(code) ? '1' : '0';
    reached += '|';
    for (const auto& [installed, minimum] : {std::pair{"4.74.8702.00", "4.74.8702"},
                                             {"10.0.0.0", "4.72.7290"},
                                             {"5.00.2919.800", "5.00.2919.3800"},
                                             {"", "4.72.7290"},
                                             {"4.72", "4.72.0.0"}})
        reached += versionReaches(QLatin1String(installed), QLatin1String(minimum)) ? '1' : '0';
    QCOMPARE(reached, "0110|0110|11001");
    Fixture f;
    QVERIFY(f.help.HHVerifyMinConfig(26, 256));
    QCOMPARE(f.help.HHFriendlyName() + f.help.IEFriendlyName(), u"1.35.01"_s);
    // An unknown code fails its part and stores "unknown" until the next detection.
    QVERIFY(!f.help.HHVerifyMinConfig(26, 274));
    QCOMPARE(f.help.HHFriendlyName() + f.help.IEFriendlyName(), u"1.3unknown"_s);
}

void HtmlHelpTest::registration() {
    // Unknown names and a lone % stay as written.
    const helpregistry::Environment vars{{u"A"_s, u"1"_s}};
    QCOMPARE(helpregistry::ExpandEnvironmentStrings(u"%NO%x%a%%A% 5% %a"_s, vars),
             u"%NO%x11 5% %a"_s);

    Fixture f; // a registration as Wine reads it: test_wine_peer
    QString file = u"C:\\Docs\\guide.chm"_s;
    f.help.HHRegister(file);
    f.help.HHUnRegister(file);
    f.help.HHUnRegister(file); // the name alone is left in the variable
    // Refused: not a help file, not there, a bare name (it would be registered without a folder).
    for (QString name : QStringList{"C:\\Docs\\guide.hlp", "C:\\Docs\\missing.chm", "bare.chm", ""})
        f.help.HHRegister(name);
    QVERIFY(f.os.registry.values(RootKey::LocalMachine, FileKey)->empty());
    QCOMPARE(f.boxes(),
             QStringList({"The file C:\\Docs\\guide.chm is already registered.",
                          "The file guide.chm is not registered.",
                          "C:\\Docs\\guide.hlp is not a valid HTML Help file.",
                          "The file C:\\Docs\\missing.chm does not exist.",
                          "Cannot register bare.chm without having a supplied path.\""}));
}

QTEST_MAIN(HtmlHelpTest)
#include "test_htmlhelp.moc"
