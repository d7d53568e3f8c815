// The help file's own tables and sitemaps, as they are parsed out of its bytes.

#include "core/helpfile/chm_file.h"
#include "core/helpfile/help_sitemap.h"

#include <QtTest>

using namespace helpfile;
using namespace Qt::StringLiterals;

namespace {

QByteArray dwords(std::initializer_list<quint32> values) {
    QByteArray bytes(4 * qsizetype(values.size()), '\0');
    qToLittleEndian<quint32>(values.begin(), qsizetype(values.size()), bytes.data());
    return bytes;
}

} // namespace

class HelpFileTest : public QObject {
    Q_OBJECT
private slots:
    void systemTables();
    void contentsSitemap();
};

void HelpFileTest::systemTables() {
    // A record claiming more than is there ends the table; what came before stays.
    auto record = [](quint16 code, const QByteArray& data) {
        return dwords({quint32(data.size()) << 16 | code}) + data;
    };
    const ChmSystem system =
        parseChmSystem(dwords({3}) + record(2, QByteArray("start.htm\0", 10)) +
                       record(5, QByteArray("main\0junk", 9)) + record(1, "index.hhk").left(8));
    QCOMPARE(system.defaultTopic + '|' + system.defaultWindow + '|' + system.indexFile,
             u"start.htm|main|"_s);
    // The count may claim more pairs than the table holds (a string past it or unended: fuzzed).
    QCOMPARE(ivbStringOffset(dwords({800, 5, 9}), 5), std::optional<quint32>(9));
    QVERIFY(!ivbStringOffset(dwords({800, 5, 9}) + "\1\0", 6));
    QCOMPARE(stringAt(QByteArray("\0/a.htm\0tail", 12), 1), std::optional<QString>(u"/a.htm"_s));
}

void HelpFileTest::contentsSitemap() {
    const auto contents = contentsFromSitemap(parseSitemap(R"(
<UL><LI> <OBJECT type="text/sitemap"><param name="Name" value="A&amp;&#x42;&unknown; R&D">
<param name=Local value=host.htm></OBJECT>
  <UL><!-- <LI><OBJECT type="text/sitemap"><param name="Name" value="commented out"> -->
  <LI><object TYPE='text/sitemap'><param name="Name" value="x"><param name="Local" value="r.htm">
</UL></UL>)"));
    QCOMPARE(contents.size(), 1u);
    QCOMPARE(contents[0].children.size(), 1u);
    QCOMPARE(contents[0].name + '|' + contents[0].local + '|' + contents[0].children[0].local,
             u"A&B&unknown; R&D|host.htm|r.htm"_s);
}

QTEST_MAIN(HelpFileTest)
#include "test_help_file.moc"
