// The Linux help backend: the tables, sitemaps and PE resources it reads, and its viewer.

#include "core/helpfile/chm_file.h"
#include "core/helpfile/help_search.h"
#include "core/helpfile/help_sitemap.h"
#include "core/win32/pe_version.h"
#include "fakes/temp_prefix.h"
#include "gui/helpviewer/help_viewer.h"
#include "platform/helprecords.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_help.h"
#include "platform/linux/linux_versions.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

using namespace helpfile;
using namespace helpviewer;
using namespace Qt::StringLiterals;
using win32::fixedFileInfoFromPe;
namespace hhcmd = platform::hhcmd;

namespace {

QByteArray dwords(std::initializer_list<quint32> values) {
    QByteArray bytes(4 * qsizetype(values.size()), '\0');
    qToLittleEndian<quint32>(values.begin(), qsizetype(values.size()), bytes.data());
    return bytes;
}

// The runtime over a temporary prefix whose Z: drive reaches the build folder.
struct Runtime {
    fakes::TempPrefix prefix;
    platform::linuxbackend::LinuxFiles files{prefix.prefix()};
    platform::linuxbackend::LinuxHelpRuntime help{files};
    QString chm = files.toWindows(QStringLiteral(VELKOR_BUILD_DIR "/velkorhelp.chm"));

    template <typename T>
    std::intptr_t run(unsigned command, const T& data, const QString& suffix = {}) {
        return help.htmlHelp(0, chm + suffix, command, QVariant::fromValue(data));
    }
};

// Offsets in a PE image's resource section (file offset Raw, RVA 0x1000).
constexpr quint32 Raw = 0x200, NameDir = 0x18, Language = 0x30, Data = 0x48, Version = 0x58;
constexpr quint32 Dir = 0x80000000u;

// One section holding a single version resource (16/1/0x409) of file version 5.2.3790.2744.
QByteArray buildPe(bool pe32plus) {
    const quint32 optional = 0x58, section = optional + (pe32plus ? 240 : 224);
    const quint32 directories = optional + (pe32plus ? 112 : 96), v = Raw + Version;
    // Offset and value: headers, section, the tree's three levels, data entry, version block.
    // clang-format off
    const quint32 fields[] = {0, 'M' | 'Z' << 8, 0x3C, 0x40, 0x40, 'P' | 'E' << 8,
        0x44, (pe32plus ? 0x8664u : 0x14Cu) | 1u << 16, 0x54, section - optional,
        optional, pe32plus ? 0x20Bu : 0x10Bu, directories - 4, 16, directories + 16, 0x1000,
        directories + 20, Version + 92, section + 8, Version + 92, section + 12, 0x1000,
        section + 16, 0x200, section + 20, Raw,
        Raw + 12, 1 << 16, Raw + 16, 16, Raw + 20, Dir | NameDir,
        Raw + NameDir + 12, 1 << 16, Raw + NameDir + 16, 1, Raw + NameDir + 20, Dir | Language,
        Raw + Language + 12, 1 << 16, Raw + Language + 16, 0x409, Raw + Language + 20, Data,
        Raw + Data, 0x1000 + Version, Raw + Data + 4, 92, v, 92 | 52 << 16, v + 40, 0xFEEF04BDu,
        v + 48, 5 << 16 | 2, v + 52, 3790 << 16 | 2744};
    // clang-format on
    QByteArray image(0x400, '\0');
    for (std::size_t i = 0; i < std::size(fields); i += 2)
        qToLittleEndian(fields[i + 1], image.data() + fields[i]);
    for (qsizetype i = 0; i < 16; ++i)
        qToLittleEndian<quint16>(u"VS_VERSION_INFO"[i], image.data() + v + 6 + 2 * i);
    return image;
}

} // namespace

class HelpViewerTest : public QObject {
    Q_OBJECT
private slots:
    void tablesSitemapsAndVersionResources();
    void commandsAndPopups();
    void refusesWhatIsNotAHelpFile();
};

void HelpViewerTest::tablesSitemapsAndVersionResources() {
    // A record claiming more than is there ends the table; what came before stays.
    auto record = [](quint16 code, const QByteArray& data) {
        return dwords({quint32(data.size()) << 16 | code}) + data;
    };
    const ChmSystem system =
        parseChmSystem(dwords({3}) + record(2, QByteArray("start.htm\0", 10)) +
                       record(5, QByteArray("main\0junk", 9)) + record(1, "index.hhk").left(8));
    QCOMPARE(system.defaultTopic + '|' + system.defaultWindow + '|' + system.indexFile,
             u"start.htm|main|"_s);
    // The count may claim more pairs than the table holds; strings must end inside theirs.
    QCOMPARE(ivbStringOffset(dwords({800, 5, 9}), 5), std::optional<quint32>(9));
    QVERIFY(!ivbStringOffset(dwords({800, 5, 9}) + "\1\0", 6));
    const QByteArray strings("\0/a.htm\0tail", 12);
    QCOMPARE(stringAt(strings, 1), std::optional<QString>(u"/a.htm"_s));
    QVERIFY(!stringAt(strings, 8) && !stringAt(strings, 12) && !stringAt(strings, 0xFFFFFFFFu));

    const auto contents = contentsFromSitemap(parseSitemap(R"(
<UL><LI> <OBJECT type="text/sitemap"><param name="Name" value="A&amp;&#x42;&unknown; R&D">
<param name=Local value=host.htm></OBJECT>
  <UL><!-- <LI><OBJECT type="text/sitemap"><param name="Name" value="commented out"> -->
  <LI><object TYPE='text/sitemap'><param name="Name" value="x"><param name="Local" value="r.htm">
</UL></UL>)"));
    QVERIFY(contents.size() == 1 && contents[0].children.size() == 1);
    QCOMPARE(contents[0].name + '|' + contents[0].local + '|' + contents[0].children[0].local,
             u"A&B&unknown; R&D|host.htm|r.htm"_s);

    const QByteArray good = buildPe(true), version = dwords({5 << 16 | 2, 3790 << 16 | 2744});
    QCOMPARE(fixedFileInfoFromPe(good)->mid(8, 8), version);
    // Refused: every shorter image, a tree pointing at itself or back, a version value too short.
    for (qsizetype size = 0; size < Raw + Version + 92; ++size)
        QVERIFY2(!fixedFileInfoFromPe(good.first(size)), qPrintable(QString::number(size)));
    const quint32 damages[] = {Raw + 20,   Dir,           Raw + NameDir + 20,
                               Dir | 0x10, Raw + Version, 92 | 20 << 16};
    for (std::size_t i = 0; i < std::size(damages); i += 2) {
        QByteArray image = good;
        qToLittleEndian(damages[i + 1], image.data() + damages[i]);
        QVERIFY2(!fixedFileInfoFromPe(image), qPrintable(QString::number(damages[i], 16)));
    }
}

void HelpViewerTest::commandsAndPopups() {
    Runtime rt;
    const std::intptr_t handle = rt.run(hhcmd::DisplayToc, 0);
    HelpViewer* viewer = rt.help.viewer(handle);
    QVERIFY(viewer && viewer->isVisible() && viewer->currentTopic() == u"/welcome.htm"_s);
    // Each command shows its topic in the one viewer; of several topics the first; else a fallback.
    platform::HH_FTS_QUERY query;
    query.pszSearchQuery = u"Velkor.cfg"_s;
    query.fExecute = true;
    platform::HH_AKLINK several, fallback;
    several.pszKeywords = u"HOSTING; joining"_s;
    fallback.pszKeywords = u"no such keyword"_s;
    fallback.pszUrl = u"options.htm"_s;
    const std::tuple<const char*, unsigned, QVariant, const char*, const char*> commands[] = {
        {"context", hhcmd::HelpContext, 1030, "", "/joining.htm"},
        {"search", hhcmd::DisplaySearch, QVariant::fromValue(query), "", "/joining.htm"},
        {"ALink", hhcmd::ALinkLookup, QVariant::fromValue(several), "", "/host_norouter.htm"},
        {"keyword", hhcmd::KeywordLookup, QVariant::fromValue(fallback), "", "/options.htm"},
        {"topic", hhcmd::DisplayTopic, 0, "::/manual_load.htm", "/manual_load.htm"}};
    for (const auto& [name, command, data, suffix, topic] : commands) {
        const bool same = rt.run(command, data, QLatin1String(suffix)) == handle;
        QCOMPARE(name + (same ? u": "_s : u": another viewer, "_s) + viewer->currentTopic(),
                 name + u": "_s + QLatin1String(topic));
    }
    QCOMPARE(viewer->searchResults->item(0)->text(), u"The Options dialog"_s);
    QCOMPARE(viewer->topicsFound->count(), 3);
    // Links and resources stay inside the file.
    emit viewer->browser->anchorClicked(QUrl(u"ms-its:other.chm::/joining.htm"_s));
    QCOMPARE(viewer->currentTopic(), u"/joining.htm"_s);
    QCOMPARE(viewer->browser->loadResource(0, QUrl(u"file:///etc/passwd"_s)),
             QVariant(QByteArray("")));
    Runtime fresh;
    QVERIFY(!fresh.run(hhcmd::HelpContext, std::int32_t(4242)) && !fresh.help.viewer(0x10000));
    QVERIFY(!fresh.run(hhcmd::DisplayTopic, u"missing.htm"_s) && !fresh.help.viewer(0x10001));

    platform::HH_POPUP popup{.pszText = u"Typed text."_s,
                             .pt = {300, 200},
                             .clrForeground = 0x0000FF, // red
                             .clrBackground = 0xFFFFFF,
                             .pszFont = u"Arial, 10, ascii, Bold Underline"_s};
    HelpPopup* shown = rt.help.popup(rt.run(hhcmd::DisplayTextPopup, popup, u"::/popups.txt"_s));
    QVERIFY(shown && shown->isVisible() && shown->text() == u"Typed text."_s);
    QVERIFY(shown->font().bold() && !shown->font().italic() && shown->font().underline());
    QCOMPARE(shown->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(QPoint(shown->x() + shown->width() / 2, shown->y()), QPoint(300, 200)); // top centre
    // From the help file's popup texts; the colour pair 0/0 would hide the text.
    popup.pszText.reset();
    popup.idString = 2;
    popup.clrForeground = popup.clrBackground = 0;
    HelpPopup* fromFile = rt.help.popup(rt.run(hhcmd::DisplayTextPopup, popup, u"::/popups.txt"_s));
    QVERIFY(fromFile && fromFile->text().startsWith(u"The host's address"_s));
    QVERIFY(fromFile->palette().color(QPalette::Window) !=
            fromFile->palette().color(QPalette::WindowText));
    rt.help.htmlHelp(0, QString(QLatin1String("")), hhcmd::CloseAll, 0); // viewers and popups
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!rt.help.viewer(handle) && rt.help.popup(handle + 1) == nullptr);
}

void HelpViewerTest::refusesWhatIsNotAHelpFile() {
    Runtime rt;
    const QByteArray whole = rt.files.openRegularFile(rt.chm, QIODevice::ReadOnly)->readAll();
    rt.prefix.writeFile(u"drive_c/half.chm"_s, whole.left(whole.size() / 2));
    rt.prefix.writeFile(u"drive_c/head.chm"_s, whole.left(0x200));
    rt.prefix.writeFile(u"drive_c/hhctrl.ocx"_s, buildPe(false));
    // No FIFO is opened: it would never end (a file that is no help file: e2e/launch.sh).
    QCOMPARE(::mkfifo(QFile::encodeName(rt.prefix.driveC() + "/fifo.chm"), 0600), 0);
    for (const char* name : {"C:\\missing.chm", "C:\\", "C:\\fifo.chm", "C:\\head.chm"})
        QVERIFY2(!rt.help.canOpen(QLatin1String(name)) &&
                     !rt.help.htmlHelp(0, QLatin1String(name), hhcmd::DisplayToc, 0),
                 name);
    // A damaged file opens as far as it goes; nothing is read past what is there.
    if (HelpViewer* viewer =
            rt.help.viewer(rt.help.htmlHelp(0, u"C:\\half.chm"_s, hhcmd::DisplayToc, 0)))
        viewer->search(u"router"_s);
    rt.help.htmlHelp(0, u"C:\\half.chm"_s, hhcmd::HelpContext, 1000);
    // The version reader finds a file whatever its case, and opens no FIFO either.
    platform::linuxbackend::LinuxVersionInfo versions(rt.files);
    QCOMPARE(versions.fixedFileInfo(u"C:\\HHCTRL.OCX"_s)->mid(8, 8),
             dwords({5 << 16 | 2, 3790 << 16 | 2744}));
    QVERIFY(!versions.fixedFileInfo(u"C:\\fifo.chm"_s) && !versions.fixedFileInfo(u"C:\\"_s));
}

QTEST_MAIN(HelpViewerTest)
#include "test_linux_help.moc"
