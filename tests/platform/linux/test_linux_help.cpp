// The Linux help runtime: its viewer and popups over the built help file, what it refuses, and
// the version resources it reads.

#include "fakes/temp_prefix.h"
#include "gui/helpviewer/help_viewer.h"
#include "platform/helprecords.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_help_runtime.h"
#include "platform/linux/linux_versions.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

using namespace helpviewer;
using namespace Qt::StringLiterals;
namespace hhcmd = platform::hhcmd;

namespace {

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

} // namespace

class HelpViewerTest : public QObject {
    Q_OBJECT
private slots:
    void commands();
    void popups();
    void refusesWhatIsNotAHelpFile();
};

void HelpViewerTest::commands() {
    Runtime rt;
    const std::intptr_t handle = rt.run(hhcmd::DisplayToc, 0);
    HelpViewer* viewer = rt.help.viewer(handle);
    QVERIFY(viewer);
    QVERIFY(viewer->isVisible());
    QCOMPARE(viewer->currentTopic(), u"/welcome.htm"_s);
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
    // A context or topic that is not there opens no viewer.
    QCOMPARE(fresh.run(hhcmd::HelpContext, std::int32_t(4242)), 0);
    QCOMPARE(fresh.run(hhcmd::DisplayTopic, u"missing.htm"_s), 0);
    QVERIFY(!fresh.help.viewer(0x10000));
    QVERIFY(!fresh.help.viewer(0x10001));
}

void HelpViewerTest::popups() {
    Runtime rt;
    const std::intptr_t handle = rt.run(hhcmd::DisplayToc, 0);
    platform::HH_POPUP popup{.pszText = u"Typed text."_s,
                             .pt = {300, 200},
                             .clrForeground = 0x0000FF, // red
                             .clrBackground = 0xFFFFFF,
                             .pszFont = u"Arial, 10, ascii, Bold Underline"_s};
    HelpPopup* shown = rt.help.popup(rt.run(hhcmd::DisplayTextPopup, popup, u"::/popups.txt"_s));
    QVERIFY(shown);
    QVERIFY(shown->isVisible());
    QCOMPARE(shown->text(), u"Typed text."_s);
    const QFont font = shown->font(); // bold, italic, underlined
    QCOMPARE(QString("%1%2%3").arg(font.bold()).arg(font.italic()).arg(font.underline()), "101");
    QCOMPARE(shown->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(QPoint(shown->x() + shown->width() / 2, shown->y()), QPoint(300, 200)); // top centre
    // From the help file's popup texts; the colour pair 0/0 would hide the text.
    popup.pszText.reset();
    popup.idString = 2;
    popup.clrForeground = popup.clrBackground = 0;
    HelpPopup* fromFile = rt.help.popup(rt.run(hhcmd::DisplayTextPopup, popup, u"::/popups.txt"_s));
    QVERIFY(fromFile);
    QVERIFY2(fromFile->text().startsWith(u"The host's address"_s), qPrintable(fromFile->text()));
    QCOMPARE_NE(fromFile->palette().color(QPalette::Window),
                fromFile->palette().color(QPalette::WindowText));
    rt.help.htmlHelp(0, QString(QLatin1String("")), hhcmd::CloseAll, 0); // viewers and popups
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!rt.help.viewer(handle));
    QVERIFY(!rt.help.popup(handle + 1));
}

void HelpViewerTest::refusesWhatIsNotAHelpFile() {
    Runtime rt;
    const QByteArray whole = rt.files.openRegularFile(rt.chm, QIODevice::ReadOnly)->readAll();
    rt.prefix.writeFile(u"drive_c/head.chm"_s, whole.left(0x200));
    QVERIFY(QFile::copy(VELKOR_TEST_DATA "/../../fuzz/corpus/pe_version/version32.exe",
                        rt.prefix.driveC() + "/hhctrl.ocx")); // 5.2.3790.2744
    // No FIFO is opened: it would never end (a file that is no help file: e2e/launch.sh).
    QCOMPARE(::mkfifo(QFile::encodeName(rt.prefix.driveC() + "/fifo.chm"), 0600), 0);
    for (const char* name : {"C:\\missing.chm", "C:\\", "C:\\fifo.chm", "C:\\head.chm"}) {
        QVERIFY2(!rt.help.canOpen(QLatin1String(name)), name);
        QVERIFY2(!rt.help.htmlHelp(0, QLatin1String(name), hhcmd::DisplayToc, 0), name);
    }
    // A damaged file's records: fuzz_chm_records.
    // The version reader finds a file whatever its case, and opens no FIFO either.
    platform::linuxbackend::LinuxVersionInfo versions(rt.files);
    QCOMPARE(versions.fixedFileInfo(u"C:\\HHCTRL.OCX"_s)->mid(8, 8).toHex(), "02000500b80ace0e");
    QVERIFY(!versions.fixedFileInfo(u"C:\\fifo.chm"_s));
    QVERIFY(!versions.fixedFileInfo(u"C:\\"_s));
}

QTEST_MAIN(HelpViewerTest)
#include "test_linux_help.moc"
