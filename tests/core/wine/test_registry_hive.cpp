// Wine's registry files: the format as Wine reads it, and edits that keep every other line.

#include "fakes/hive_text.h"

#include <QtTest>

using namespace wine;
using namespace fakes;

class RegistryHiveTest : public QObject {
    Q_OBJECT
private slots:
    void parsesAsWine();
    void editsKeepOtherLines();
};

void RegistryHiveTest::parsesAsWine() {
    // Wine's escapes; lines it cannot read; lines that look like sections but continue a value.
    const QByteArray text = hiveFile(R"x([Software\\Br\[a\]ck\\Caf\xe9] 1
"q\"uote\\d"="\1\12\101\1012\0\x41\x263a!\xZ\x0041z\q\a\b\t\n\v\f\r\e"
"two"="first"
"unterminated="x"
"badtype"=hex(4:01
"baddword"=dword:
"x"=hex:01,\
  [Software\\Real\\Sub]
"y"=hex(100000):01,\
  02
[Software\\Broken
[software\\BR\[A\]CK\\CAF\xc9] 2
"TWO"="😀\xff"
"n"  hex:\
[software\\real\\SUB] 2
"w"=dword:7
[Software\\Real\\Sub] 1
"v"="r"
[Software\\Alias] 1
)x" + linkTo("Software\\Real") + "[Software\\\\Loop] 1\n" +
                                     linkTo("Software\\Loop"));
    const Hive hive = parseHive(text);
    const int key = hive.open({"SOFTWARE", "br[A]CK", "CAFÉ"});
    QCOMPARE(hive.pathOf(key), (QStringList{"Software", "Br[a]ck", "Café"}));
    QCOMPARE(hive.value(key, "Q\"UOTE\\D")->data,
             utf16(u"\x01\x0a\x41\x41\x32\0A\x263a!\0Z\x0041zq\a\b\t\n\v\f\r\x1b", 22));
    QCOMPARE(hive.value(key, "y")->type, 0x100000u);
    QCOMPARE(hive.value(key, "y")->data, "\1\2");
    // A section seen again adds to its key; the later value wins, the first spelling stays.
    const HiveValue* two = hive.value(key, "two");
    QCOMPARE(two ? two->name : "none", "two");
    QCOMPARE(two->data, utf16(u"😀\xff"));
    QCOMPARE(hive.key(key).values.size(), std::size_t(3));
    const QStringList sub{"Software", "Real", "Sub"};
    QCOMPARE(hive.key(hive.open(sub)).values.size(), std::size_t(2));
    QCOMPARE(hive.open({"software", "alias", "SUB"}), hive.open(sub));
    QCOMPARE(hive.openDeepest({"Software", "Loop", "New"}).first, -1); // a loop ends
    QCOMPARE(parseHive(hiveFile("[A]\n\"u\"=\"\xff\xc3(\xe2\x98\"\n")).key(1).values[0].data,
             utf16(u"\xfffd\xfffd(\xfffd\xfffd"));
    QVERIFY(parseHive("WINE REGISTRY Version 2\r\n#arch=win64 \r\n").win64);
    // Beyond Windows' limits, very deep and very long key paths are skipped.
    const QByteArray deep =
        "[" + QByteArray("k\\\\").repeated(20000) + "]\n[" + QByteArray(300, 'n');
    QCOMPARE(parseHive(hiveFile(deep + "]\n")).keyCount(), 1);
}

void RegistryHiveTest::editsKeepOtherLines() {
    const QByteArray text = hiveFile(R"(
[Software\\A] 1700000000
#time=1d9f0e2a4b5c6d7
"keep"="1"
"Target"="old"
"after"=hex:01,\
  02

[Software\\C] 1700000000
)");
    const qint64 now = (qint64(1800000000) + 11644473600) * 10000000 + 1234567;
    const QByteArray time = "#time=" + QByteArray::number(quint64(now), 16);
    const HiveValue dword{"v", 4, QByteArray("\2\0\0\0", 4)};
    // A new value ends its key's section, after the continued value; a new key goes between A, C.
    QVERIFY(hiveWithValue(text, {"software", "a"}, dword, now)
                .contains("  02\n\"v\"=dword:00000002\n\n[Software\\\\C]"));
    const QByteArray b = "[Software\\\\B] 1800000000\n" + time + "\n\"v\"=dword:00000002\n\n";
    QCOMPARE(hiveWithValue(text, {"Software", "B"}, dword, now),
             QByteArray(text).insert(text.indexOf("[Software\\\\C]"), b));
}

QTEST_GUILESS_MAIN(RegistryHiveTest)
#include "test_registry_hive.moc"
