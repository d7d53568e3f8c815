// The help viewer behind the HTML Help runtime: the tables and sitemaps it reads (damaged ones
// too), and the built velkorhelp.chm opened offscreen through the runtime's commands.

#include "fakes/temp_prefix.h"
#include "platform/helprecords.h"
#include "platform/helpviewer/chm_file.h"
#include "platform/helpviewer/help_search.h"
#include "platform/helpviewer/help_sitemap.h"
#include "platform/helpviewer/help_viewer.h"
#include "platform/linux/linux_files.h"
#include "platform/linux/linux_help.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>

using namespace platform::linuxbackend;
using namespace platform::helpviewer;
using platform::HH_AKLINK;
using platform::HH_FTS_QUERY;
using platform::HH_POPUP;
namespace hhcmd = platform::hhcmd;

namespace {

const QString BuiltHelp = QStringLiteral(VELKOR_BUILD_DIR "/velkorhelp.chm");

QByteArray dwords(std::initializer_list<quint32> values) {
    QByteArray bytes;
    for (quint32 v : values) {
        bytes.resize(bytes.size() + 4);
        qToLittleEndian(v, bytes.data() + bytes.size() - 4);
    }
    return bytes;
}

QByteArray systemRecord(quint16 code, const QByteArray& data) {
    QByteArray bytes(4, '\0');
    qToLittleEndian(code, bytes.data());
    qToLittleEndian(quint16(data.size()), bytes.data() + 2);
    return bytes + data;
}

QStringList texts(const QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// The runtime over a temporary prefix whose Z: drive reaches the build folder.
struct Runtime {
    fakes::TempPrefix prefix;
    LinuxFiles files{prefix.prefix()};
    LinuxHelpRuntime help{files};
    QString chm = files.toWindows(BuiltHelp);

    std::intptr_t run(unsigned command, const QVariant& data, const QString& suffix = QString(),
                      std::intptr_t owner = 0) {
        return help.htmlHelp(owner, chm + suffix, command, data);
    }
    template <typename Record> std::intptr_t run(unsigned command, const Record& record) {
        return run(command, QVariant::fromValue(record));
    }
    HelpViewer* viewer(std::intptr_t handle) { return help.viewer(handle); }
};

} // namespace

class HelpViewerTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY2(QFile::exists(BuiltHelp), "velkorhelp.chm was not built"); }
    void tablesAreBoundsChecked();
    void sitemapsAndSearchIndex();
    void contentsIndexAndSearchOfTheBuiltFile();
    void contextNumbersAndKeywordsReachTheirTopics();
    void keywordNotFound();
    void topicsByPathAndWindows();
    void popupsAndCloseAll();
    void refusesWhatIsNotAHelpFile();
    void everyLinkOfOurTopicsResolves();
};

void HelpViewerTest::tablesAreBoundsChecked() {
    const ChmSystem system =
        parseChmSystem(dwords({3}) + systemRecord(0, "a.hhc\0") +
                       systemRecord(2, QByteArray("start.htm\0", 10)) + systemRecord(3, "Title") +
                       systemRecord(9, "skipped") + systemRecord(5, QByteArray("main\0junk", 9)));
    QCOMPARE(system.contentsFile, QStringLiteral("a.hhc"));
    QCOMPARE(system.defaultTopic, QStringLiteral("start.htm"));
    QCOMPARE(system.title, QStringLiteral("Title"));
    QCOMPARE(system.defaultWindow, QStringLiteral("main"));
    // A record claiming more than is there ends the table; what came before stays.
    const ChmSystem cut =
        parseChmSystem(dwords({3}) + systemRecord(3, "Kept") + systemRecord(1, "idx.hhk").left(8));
    QCOMPARE(cut.title, QStringLiteral("Kept"));
    QVERIFY(cut.indexFile.isEmpty());
    QVERIFY(parseChmSystem(QByteArray("\3\0", 2)).title.isEmpty());

    const QByteArray ivb = dwords({16, 1000, 1, 1010, 7});
    QCOMPARE(ivbStringOffset(ivb, 1010), std::optional<quint32>(7));
    QVERIFY(!ivbStringOffset(ivb, 7));
    // The count may claim more pairs than the table holds.
    QCOMPARE(ivbStringOffset(dwords({800, 5, 9}), 5), std::optional<quint32>(9));
    QVERIFY(!ivbStringOffset(dwords({800, 5, 9}) + "\1\0", 6));
    QVERIFY(!ivbStringOffset(QByteArray("\1\0", 2), 0));
    const QByteArray strings("\0/a.htm\0tail", 12);
    QCOMPARE(stringAt(strings, 1), std::optional<QString>(QStringLiteral("/a.htm")));
    QVERIFY(!stringAt(strings, 8)); // "tail" has no end
    QVERIFY(!stringAt(strings, 12));
    QVERIFY(!stringAt(strings, 0xFFFFFFFFu));
}

void HelpViewerTest::sitemapsAndSearchIndex() {
    const auto contents = contentsFromSitemap(parseSitemap(R"(
<OBJECT type="text/site properties"><param name="Window Styles" value="0x800025"></OBJECT>
<UL><LI> <OBJECT type="text/sitemap"><param name="Name" value="Hosting &amp; &#x41;&unknown;">
<param name=Local value=host.htm></OBJECT>
  <UL><!-- <LI><OBJECT type="text/sitemap"><param name="Name" value="commented out"> -->
  <LI><object TYPE='text/sitemap'><param name="Name" value="x"><param name="Local" value="r.htm">
</UL></UL>)"));
    QCOMPARE(contents.size(), std::size_t(1));
    QCOMPARE(contents[0].name, QStringLiteral("Hosting & A&unknown;"));
    QCOMPARE(contents[0].local, QStringLiteral("host.htm"));
    QCOMPARE(contents[0].children.size(), std::size_t(1));
    QCOMPARE(contents[0].children[0].local, QStringLiteral("r.htm"));
    // Unbalanced and absurdly deep lists neither crash nor nest without end.
    QByteArray deep;
    for (int i = 0; i < 5000; ++i)
        deep += R"(<UL><LI><OBJECT type="text/sitemap"><param name="Name" value="x">)";
    deep += "</UL></UL></UL><UL><LI><OBJECT type=\"text/sitemap\"";
    const auto nested = contentsFromSitemap(parseSitemap(deep));
    int depth = 0;
    for (const auto* level = &nested; !level->empty(); level = &level->front().children)
        ++depth;
    QVERIFY(depth <= MaxSitemapDepth + 1);
    QVERIFY(contentsFromSitemap(parseSitemap("</UL></UL><UL>")).empty());
    QCOMPARE(contentsFromSitemap(parseSitemap("<OBJECT type=\"text/sitemap\"><param name=")).size(),
             std::size_t(1));

    // Words in scripts and styles are no words of the page; more occurrences rank first.
    HelpSearchIndex index;
    index.addTopic(QStringLiteral("/a.htm"),
                   "<html><head><title>Alpha &amp; co</title><style>p { router: 1 }</style>"
                   "</head><body><p>Router router port</p><script>forward()</script></body>");
    index.addTopic(QStringLiteral("/b.htm"), "<p>One router, one port.</p>");
    const auto hits = index.find(QStringLiteral("Router"));
    QCOMPARE(hits.size(), std::size_t(2));
    QCOMPARE(hits[0].title, QStringLiteral("Alpha & co"));
    QCOMPARE(index.find(QStringLiteral("one port")).size(), std::size_t(1));
    QVERIFY(index.find(QStringLiteral("forward")).empty());
    QVERIFY(index.find(QStringLiteral("  ...  ")).empty());
}

void HelpViewerTest::contentsIndexAndSearchOfTheBuiltFile() {
    Runtime rt;
    const std::intptr_t handle = rt.run(hhcmd::DisplayToc, 0);
    HelpViewer* viewer = rt.viewer(handle);
    QVERIFY(handle != 0 && viewer && viewer->isVisible());
    QCOMPARE(viewer->windowTitle(), QStringLiteral("Velkor Help"));
    QStringList names;
    for (int i = 0; i < viewer->contentsTree->topLevelItemCount(); ++i)
        names << viewer->contentsTree->topLevelItem(i)->text(0);
    QCOMPARE(names, QStringList({"Getting started", "Hosting a game", "Joining a game",
                                 "The external address", "Starting the game by hand",
                                 "The Options dialog"}));
    QTreeWidgetItem* hosting = viewer->contentsTree->topLevelItem(1);
    QCOMPARE(hosting->childCount(), 2);
    QCOMPARE(hosting->child(1)->text(0), QStringLiteral("Hosting with a router"));
    // The default topic is shown, with its page read from the file.
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/welcome.htm"));
    QVERIFY(viewer->browser->toPlainText().contains(QStringLiteral("Your first game")));
    QCOMPARE(viewer->navigation->currentIndex(), 0);

    // Clicking an entry shows its topic; the same file and window keep their one viewer.
    emit viewer->contentsTree->itemClicked(hosting->child(1), 0);
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/host_router.htm"));
    QCOMPARE(rt.run(hhcmd::DisplayIndex, 0), handle);
    QCOMPARE(viewer->navigation->currentIndex(), 1);
    QVERIFY(texts(viewer->indexList).contains(QStringLiteral("port forwarding")));

    // Search finds words; a query in the record runs at once.
    HH_FTS_QUERY query;
    query.pszSearchQuery = QString(QLatin1String(""));
    query.fExecute = true;
    QCOMPARE(rt.run(hhcmd::DisplaySearch, query), handle);
    QCOMPARE(viewer->navigation->currentIndex(), 2);
    const auto hits = viewer->search(QStringLiteral("Forward"));
    QCOMPARE(hits.size(), std::size_t(1));
    QCOMPARE(hits[0].path, QStringLiteral("/host_router.htm"));
    QCOMPARE(texts(viewer->searchResults), QStringList({"Hosting with a router"}));
    emit viewer->searchResults->itemClicked(viewer->searchResults->item(0));
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/host_router.htm"));
    query.pszSearchQuery = QStringLiteral("Velkor.cfg");
    rt.run(hhcmd::DisplaySearch, query);
    QCOMPARE(viewer->searchText->text(), QStringLiteral("Velkor.cfg"));
    QCOMPARE(texts(viewer->searchResults), QStringList({"The Options dialog"}));
}

void HelpViewerTest::contextNumbersAndKeywordsReachTheirTopics() {
    Runtime rt;
    const std::intptr_t handle = rt.run(hhcmd::HelpContext, std::int32_t(1030));
    QVERIFY(handle != 0);
    HelpViewer* viewer = rt.viewer(handle);
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/joining.htm"));
    QCOMPARE(rt.run(hhcmd::HelpContext, std::int32_t(1060)), handle);
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/options.htm"));

    HH_AKLINK link;
    link.pszKeywords = QStringLiteral("ROUTER");
    QCOMPARE(rt.run(hhcmd::KeywordLookup, link), handle);
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/host_router.htm"));
    // Several topics: all are offered, the first is shown.
    link.pszKeywords = QStringLiteral("hosting; joining");
    QCOMPARE(rt.run(hhcmd::ALinkLookup, link), handle);
    QCOMPARE(texts(viewer->topicsFound),
             QStringList({"Hosting without a router", "Hosting with a router", "Joining a game"}));
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/host_norouter.htm"));
    emit viewer->topicsFound->itemClicked(viewer->topicsFound->item(2));
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/joining.htm"));
    // The window named in the record is its own viewer.
    link.pszWindow = QStringLiteral("main");
    const std::intptr_t other = rt.run(hhcmd::KeywordLookup, link);
    QVERIFY(other != 0 && other != handle);
    QCOMPARE(rt.viewer(other)->windowName(), QStringLiteral("main"));

    // An unmapped number shows nothing and opens no window.
    Runtime fresh;
    QCOMPARE(fresh.run(hhcmd::HelpContext, std::int32_t(4242)), std::intptr_t(0));
    QCOMPARE(fresh.run(hhcmd::HelpContext, std::int32_t(-1)), std::intptr_t(0));
    QVERIFY(!fresh.viewer(0x10000) && !fresh.viewer(0x10001));
}

void HelpViewerTest::keywordNotFound() {
    Runtime rt;
    HH_AKLINK link;
    link.pszKeywords = QStringLiteral("no such keyword");
    QCOMPARE(rt.run(hhcmd::KeywordLookup, link), std::intptr_t(0));
    // The default topic instead, or the message with its title.
    link.pszUrl = QStringLiteral("options.htm");
    const std::intptr_t handle = rt.run(hhcmd::KeywordLookup, link);
    QVERIFY(handle != 0);
    QCOMPARE(rt.viewer(handle)->currentTopic(), QStringLiteral("/options.htm"));
    link.pszUrl.reset();
    link.pszMsgText = QStringLiteral("No topic for that.");
    link.pszMsgTitle = QStringLiteral("Velkor Help");
    QString shown;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->windowTitle() + QLatin1Char('|') + box->text();
            box->accept();
        }
    });
    QCOMPARE(rt.run(hhcmd::KeywordLookup, link), std::intptr_t(0));
    QCOMPARE(shown, QStringLiteral("Velkor Help|No topic for that."));
    QVERIFY(rt.viewer(handle)); // the viewer already open stays
}

void HelpViewerTest::topicsByPathAndWindows() {
    Runtime rt;
    const std::intptr_t handle =
        rt.run(hhcmd::DisplayTopic, QStringLiteral("external_address.htm"));
    HelpViewer* viewer = rt.viewer(handle);
    QVERIFY(viewer);
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/external_address.htm"));
    QCOMPARE(rt.run(hhcmd::DisplayTopic, 0, QStringLiteral("::/manual_load.htm")), handle);
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/manual_load.htm"));
    // Links and resources stay inside the file.
    emit viewer->browser->anchorClicked(QUrl(QStringLiteral("options.htm")));
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/options.htm"));
    emit viewer->browser->anchorClicked(QUrl(QStringLiteral("ms-its:other.chm::/joining.htm")));
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/joining.htm"));
    QCOMPARE(viewer->browser->loadResource(QTextDocument::ImageResource,
                                           QUrl(QStringLiteral("file:///etc/passwd"))),
             QVariant(QByteArray("")));
    QCOMPARE(rt.run(hhcmd::DisplayTopic, QStringLiteral("missing.htm")), std::intptr_t(0));
    QCOMPARE(viewer->currentTopic(), QStringLiteral("/joining.htm"));

    // Another window type, another viewer; an owner's handle keeps it above the owner.
    QWidget owner;
    const std::intptr_t main = rt.run(hhcmd::DisplayToc, 0, QStringLiteral(">main"),
                                      static_cast<std::intptr_t>(owner.winId()));
    QVERIFY(main != 0 && main != handle);
    QCOMPARE(rt.viewer(main)->parentWidget(), &owner);
}

void HelpViewerTest::popupsAndCloseAll() {
    Runtime rt;
    HH_POPUP popup;
    popup.pszText = QStringLiteral("Typed text.");
    popup.pt = QPoint(300, 200);
    popup.clrForeground = 0x0000FF; // red
    popup.clrBackground = 0xFFFFFF;
    popup.pszFont = QStringLiteral("Arial, 10, ascii, Bold Underline");
    auto show = [&](const HH_POPUP& record, const QString& path = QString()) {
        return rt.help.htmlHelp(0, path, hhcmd::DisplayTextPopup, QVariant::fromValue(record));
    };
    const std::intptr_t handle = show(popup);
    HelpPopup* shown = rt.help.popup(handle);
    QVERIFY(handle != 0 && shown && shown->isVisible());
    QCOMPARE(shown->text(), QStringLiteral("Typed text."));
    QVERIFY(shown->font().bold() && shown->font().underline());
    QCOMPARE(shown->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(shown->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(QPoint(shown->x() + shown->width() / 2, shown->y()), QPoint(300, 200)); // top centre

    // From the help file's popup texts; the colour pair 0/0 would hide the text.
    HH_POPUP numbered;
    numbered.idString = 2;
    numbered.clrForeground = numbered.clrBackground = 0;
    const QString popups = rt.chm + QStringLiteral("::/popups.txt");
    HelpPopup* fromFile = rt.help.popup(show(numbered, popups));
    QVERIFY(fromFile && fromFile->text().startsWith(QStringLiteral("The host's address")));
    QVERIFY(fromFile->palette().color(QPalette::Window) !=
            fromFile->palette().color(QPalette::WindowText));
    numbered.idString = 99;
    QCOMPARE(show(numbered, popups), std::intptr_t(0));
    HH_POPUP empty;
    empty.pszText = QString();
    QCOMPARE(show(empty), std::intptr_t(0));

    // Close-all closes viewers and popups; opening again gives a new window.
    const std::intptr_t first = rt.run(hhcmd::DisplayToc, 0);
    const std::intptr_t second = rt.run(hhcmd::DisplayToc, 0, QStringLiteral(">main"));
    const std::intptr_t third = show(popup);
    QVERIFY(rt.viewer(first) && rt.viewer(second) && rt.help.popup(third));
    rt.help.htmlHelp(0, QString(QLatin1String("")), hhcmd::CloseAll, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!rt.viewer(first) && !rt.viewer(second) && !rt.help.popup(third));
    const std::intptr_t again = rt.run(hhcmd::DisplayToc, 0);
    QVERIFY(again != 0 && again != first);
}

void HelpViewerTest::refusesWhatIsNotAHelpFile() {
    Runtime rt;
    QFile built(BuiltHelp);
    QVERIFY(built.open(QIODevice::ReadOnly));
    const QByteArray whole = built.readAll();
    rt.prefix.writeFile(QStringLiteral("drive_c/notes.chm"), "not a chm");
    rt.prefix.writeFile(QStringLiteral("drive_c/half.chm"), whole.left(whole.size() / 2));
    rt.prefix.writeFile(QStringLiteral("drive_c/head.chm"), whole.left(0x200));
    rt.prefix.writeFile(QStringLiteral("drive_c/empty.chm"), QByteArray());
    // Neither a FIFO nor a device is opened: either would never end.
    QCOMPARE(::mkfifo(QFile::encodeName(rt.prefix.driveC() + "/fifo.chm").constData(), 0600), 0);
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), rt.prefix.driveC() + "/zero.chm"));
    QVERIFY(rt.help.canOpen(rt.chm));
    for (const char* name : {"C:\\notes.chm", "C:\\missing.chm", "C:\\", "C:\\empty.chm",
                             "C:\\fifo.chm", "C:\\zero.chm", "C:\\head.chm"}) {
        QVERIFY2(!rt.help.canOpen(QLatin1String(name)), name);
        QCOMPARE(rt.help.htmlHelp(0, QLatin1String(name), hhcmd::DisplayToc, 0), std::intptr_t(0));
    }
    // Damaged files open as far as they go; nothing is read past what is there.
    for (const char* name : {"C:\\half.chm", "C:\\head.chm"}) {
        if (HelpViewer* viewer =
                rt.viewer(rt.help.htmlHelp(0, QLatin1String(name), hhcmd::DisplayToc, 0)))
            viewer->search(QStringLiteral("router"));
        rt.help.htmlHelp(0, QLatin1String(name), hhcmd::HelpContext, 1000);
    }
}

void HelpViewerTest::everyLinkOfOurTopicsResolves() {
    auto file = ChmFile::open(BuiltHelp);
    QVERIFY(file);
    const QRegularExpression href(QStringLiteral("href=\"([^\"#:]+)"));
    int topics = 0;
    for (const QString& path : file->files()) {
        if (!path.endsWith(QLatin1String(".htm")))
            continue;
        ++topics;
        const QString page = QString::fromUtf8(file->object(path).value());
        for (auto match = href.globalMatch(page); match.hasNext();) {
            const QString target = match.next().captured(1);
            QVERIFY2(file->contains(target), qPrintable(path + QStringLiteral(" -> ") + target));
        }
    }
    QCOMPARE(topics, 7);
    for (quint32 number : {1000u, 1010u, 1020u, 1030u, 1040u, 1050u, 1060u})
        QVERIFY(file->topicForContext(number));
}

QTEST_MAIN(HelpViewerTest)
#include "test_help_viewer.moc"
