// Wine's registry file format: parsing into a key tree, writing values as Wine does, and edits
// that keep every other line. Checked on hand-made files and on a real Wine 8.0 system.reg.

#include "platform/linux/registry_hive.h"

#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using namespace platform::linuxbackend;

// Declared ahead of the test data: moc cannot read past raw string literals.
class TestRegistryHive : public QObject {
    Q_OBJECT

private slots:
    void readsEveryValueForm();
    void unescapesNamesAndData();
    void mergesSectionsAndSkipsBadLines();
    void requiresTheHeader();
    void followsLinks();
    void survivesArbitraryBytes();
    void writesAsWine();
    void realHiveReadsAndWritesBack();
    void editsKeepOtherLines();
};

namespace {

QByteArray file(const QByteArray& body, const QByteArray& arch = "win32") {
    return "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=" + arch +
           "\n" + body;
}

QStringList path(const QString& text) {
    return text.split(QLatin1Char('\\'));
}

const HiveValue* find(const Hive& hive, const QString& key, const QString& name) {
    const int index = hive.open(path(key));
    return index < 0 ? nullptr : hive.value(index, name);
}

QByteArray utf16(const char16_t* text) {
    return utf16Data(QString::fromUtf16(text)) + QByteArray(2, '\0');
}

QByteArray realSystemReg() {
    QProcess xz;
    xz.start(QStringLiteral("xz"),
             {QStringLiteral("-dc"), QStringLiteral(VELKOR_TEST_DATA "/wine-8.0/system.reg.xz")});
    if (!xz.waitForFinished(60000) || xz.exitCode() != 0)
        return {};
    return xz.readAllStandardOutput();
}

// The file's value records as written: a line starting with '"' or '@' and the lines it
// continues onto with a trailing backslash.
QMap<QByteArray, int> valueRecords(const QByteArray& text) {
    QMap<QByteArray, int> records;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith('"') && !lines[i].startsWith('@'))
            continue;
        QByteArray record = lines[i] + '\n';
        while (lines[i].endsWith('\\') && i + 1 < lines.size())
            record += lines[++i] + '\n';
        ++records[record];
    }
    return records;
}

// Checks that `after` is `before` with exactly `inserted` put in at one place.
bool insertedOnce(const QByteArray& before, const QByteArray& after, const QByteArray& inserted) {
    if (after.size() != before.size() + inserted.size())
        return false;
    qsizetype at = 0;
    while (at < before.size() && before[at] == after[at])
        ++at;
    for (; at >= 0; --at) // the insertion may start earlier when it repeats the text before it
        if (after.mid(at, inserted.size()) == inserted &&
            after.left(at) + after.mid(at + inserted.size()) == before)
            return true;
    return false;
}

} // namespace

void TestRegistryHive::readsEveryValueForm() {
    const Hive hive = parseHive(file(R"([Software\\Forms] 1700000000
#time=1d9f0e2a4b5c6d7
@="default"
"sz"="plain text"
"sz2"=str:"tagged"
"expand"=str(2):"%SystemRoot%\\x"
"multi"=str(7):"a\0bc\0"
"dw"=dword:0000001f
"neg"=dword:ffffffff
"bin"=hex:00,01,ff
"empty"=hex(1):
"typed"=hex(100000):01,02
"long"=hex(7):61,00,62,\
  00,00,\
00,00,00
"spaced" = "x"
)"));
    QVERIFY(!hive.win64);
    QCOMPARE(hive.relativeTo, QStringLiteral("REGISTRY\\Machine"));
    const auto value = [&](const char* name) {
        return find(hive, QStringLiteral("Software\\Forms"), QString::fromLatin1(name));
    };
    QCOMPARE(value("")->data, utf16(u"default"));
    QCOMPARE(value("sz")->type, 1u);
    QCOMPARE(value("sz")->data, utf16(u"plain text"));
    QCOMPARE(value("sz2")->type, 1u);
    QCOMPARE(value("expand")->type, 2u);
    QCOMPARE(value("expand")->data, utf16(u"%SystemRoot%\\x"));
    QCOMPARE(value("multi")->type, 7u);
    QCOMPARE(value("multi")->data, utf16Data(QString::fromUtf16(u"a\0bc\0\0", 6)));
    QCOMPARE(value("dw")->type, 4u);
    QCOMPARE(value("dw")->data, QByteArray("\x1f\0\0\0", 4));
    QCOMPARE(value("neg")->data, QByteArray("\xff\xff\xff\xff", 4));
    QCOMPARE(value("bin")->type, 3u);
    QCOMPARE(value("bin")->data, QByteArray("\x00\x01\xff", 3));
    QCOMPARE(value("empty")->type, 1u);
    QCOMPARE(value("empty")->data, QByteArray());
    QCOMPARE(value("typed")->type, 0x100000u);
    QCOMPARE(value("long")->type, 7u);
    QCOMPARE(value("long")->data, QByteArray("a\0b\0\0\0\0\0", 8));
    QCOMPARE(value("spaced")->data, utf16(u"x"));
    QCOMPARE(hive.key(hive.open(path("Software\\Forms"))).values.size(), std::size_t(12));
}

void TestRegistryHive::unescapesNamesAndData() {
    const QByteArray text = file(R"reg([Software\\Br\[a\]ck\\Caf\xe9] 1
"q\"uote\\d"="a\\b\"c"
"ctl"="\a\b\t\n\v\f\r\e"
"oct"="\1\12\101\1012\0"
"hex"="\x41\x263a!\xZ\x0041z"
"other"="\q\%"
"utf8"="Café ☺ 😀"
"bad utf8"="\xff)"
"C:\\Games\0junk"="C:\\Games\0junk"
)reg"
                                 "\"raw\"=\"\xff\xc3(\xe2\x98\"\n");
    const Hive hive = parseHive(text);
    const int key = hive.open(QStringList{"Software", "Br[a]ck", "Café"});
    QVERIFY(key > 0);
    QCOMPARE(hive.key(key).name, QStringLiteral("Café"));
    // Key and value names compare without regard to case.
    QCOMPARE(hive.open(QStringList{"SOFTWARE", "br[A]CK", "CAFÉ"}), key);
    QCOMPARE(hive.value(key, QStringLiteral("Q\"UOTE\\D"))->data, utf16(u"a\\b\"c"));
    QCOMPARE(hive.value(key, QStringLiteral("ctl"))->data, utf16(u"\a\b\t\n\v\f\r\x1b"));
    QCOMPARE(hive.value(key, QStringLiteral("oct"))->data,
             utf16Data(QString::fromUtf16(u"\x01\x0a\x41\x41\x32\0\0", 7)));
    QCOMPARE(hive.value(key, QStringLiteral("hex"))->data,
             utf16Data(QString::fromUtf16(u"A\x263a!\0Z\x0041z\0", 8)));
    QCOMPARE(hive.value(key, QStringLiteral("other"))->data, utf16(u"q%"));
    QCOMPARE(hive.value(key, QStringLiteral("utf8"))->data, utf16(u"Café ☺ 😀"));
    QCOMPARE(hive.value(key, QStringLiteral("bad utf8"))->data, utf16(u"\xff)"));
    QCOMPARE(hive.value(key, QStringLiteral("raw"))->data, utf16(u"\xfffd\xfffd(\xfffd\xfffd"));
    // A NUL inside survives; the reader cuts at it, not the parser.
    const QString nulName = QString::fromUtf16(u"C:\\Games\0junk", 13);
    QCOMPARE(hive.value(key, nulName)->data,
             utf16Data(QString::fromUtf16(u"C:\\Games\0junk\0", 14)));
}

void TestRegistryHive::mergesSectionsAndSkipsBadLines() {
    const Hive hive = parseHive(file(R"(
[Software\\A] 1
"one"="1"
"two"="first"
  ; a comment, and lines Wine cannot read:
"unterminated="x"
"noequals" "x"
"badhex"=hex:1ff
"badtype"=str(4):"x"
"baddword"=dword:
garbage line
[Software\\B\\Leaf] 1
"x"=dword:1
[Software\\Broken
"lost"="belongs to no key"
[software\\a] 2
"TWO"="second"
"three"=hex:01,\
)"));
    const int a = hive.open(path("Software\\A"));
    QVERIFY(a > 0);
    QCOMPARE(hive.key(a).values.size(), std::size_t(2));
    QCOMPARE(hive.value(a, QStringLiteral("two"))->data, utf16(u"second"));
    QCOMPARE(hive.value(a, QStringLiteral("two"))->name, QStringLiteral("two"));
    QCOMPARE(hive.value(a, QStringLiteral("one"))->data, utf16(u"1"));
    QVERIFY(!hive.value(a, QStringLiteral("three"))); // continued past the end of the file
    // Parents of a section exist without sections of their own.
    const int b = hive.open(path("Software\\B"));
    QVERIFY(b > 0);
    QCOMPARE(hive.key(b).children.size(), std::size_t(1));
    QCOMPARE(hive.open(path("Software\\Broken")), -1);
    QCOMPARE(hive.key(hive.open(QStringList{"Software"})).children.size(), std::size_t(2));
}

void TestRegistryHive::requiresTheHeader() {
    QCOMPARE(parseHive("[Software\\\\A] 1\n\"x\"=\"y\"\n").keyCount(), 1);
    QCOMPARE(parseHive(QByteArray()).keyCount(), 1);
    const Hive crlf = parseHive("WINE REGISTRY Version 2\r\n#arch=win64\r\n[A] 1\r\n"
                                "\"x\"=\"y\"\r\n\"h\"=hex:01,\\\r\n  02\r\n");
    QVERIFY(crlf.win64);
    QCOMPARE(crlf.value(crlf.open({"A"}), QStringLiteral("x"))->data, utf16(u"y"));
    QCOMPARE(crlf.value(crlf.open({"A"}), QStringLiteral("h"))->data, QByteArray("\1\2"));
}

void TestRegistryHive::followsLinks() {
    const QByteArray target = "\\Registry\\Machine\\Software\\Real";
    QByteArray hex;
    for (const char c : target)
        hex += QByteArray::number(uchar(c), 16) + ",00,";
    hex.chop(1);
    QByteArray loop = hex;
    loop.replace("52,00,65,00,61,00,6c,00", "4c,00,6f,00,6f,00,70,00"); // Real -> Loop
    const Hive hive = parseHive(
        file("[Software\\\\Real\\\\Sub] 1\n\"v\"=\"real\"\n"
             "[Software\\\\Alias] 1\n#link\n\"SymbolicLinkValue\"=hex(6):" +
             hex + "\n[Software\\\\Loop] 1\n#link\n\"SymbolicLinkValue\"=hex(6):" + loop + "\n"));
    const int real = hive.open(path("Software\\Real\\Sub"));
    QVERIFY(real > 0);
    QCOMPARE(hive.open(path("software\\alias\\SUB")), real);
    QCOMPARE(hive.pathOf(hive.open(path("Software\\Alias"))), path("Software\\Real"));
    QCOMPARE(hive.open(path("Software\\Loop\\Sub")), -1); // a link to itself ends
    const auto [deepest, rest] = hive.openDeepest(path("Software\\Alias\\New\\Key"));
    QCOMPARE(hive.pathOf(deepest), path("Software\\Real"));
    QCOMPARE(rest, path("New\\Key"));
}

void TestRegistryHive::survivesArbitraryBytes() {
    // No crash or hang on garbage, on cut-off lines, or on very deep and long key paths.
    QRandomGenerator random(20240601);
    const QByteArray seed = file(R"([Software\\A\\B] 1
"x"="a\\b\x41\101"
"h"=hex(7):00,01,\
  02
"d"=dword:1234
)");
    for (int round = 0; round < 3000; ++round) {
        QByteArray text = seed;
        const int changes = 1 + int(random.bounded(8));
        for (int i = 0; i < changes; ++i) {
            const auto at = qsizetype(random.bounded(quint32(text.size())));
            switch (random.bounded(3)) {
            case 0:
                text[at] = char(random.bounded(256));
                break;
            case 1:
                text.remove(at, 1 + random.bounded(5));
                break;
            default:
                text.insert(at, "\\[\"\n\0x"[random.bounded(6)]);
            }
        }
        const Hive hive = parseHive(text);
        QVERIFY(hive.keyCount() >= 1);
        hiveWithValue(text, {"Software", "A"}, HiveValue{"x", 4, "1234"}, 0);
        hiveWithoutValue(text, {"Software", "A", "B"}, "x", 0);
    }
    QByteArray deep = "WINE REGISTRY Version 2\n[";
    for (int i = 0; i < 20000; ++i)
        deep += "k\\\\";
    deep += "] 1\n\"v\"=\"x\"\n[" + QByteArray(300, 'n') + "] 1\n";
    QCOMPARE(parseHive(deep).keyCount(), 1); // beyond Windows' limits: skipped
    QByteArray many = file("[A] 1\n");
    for (int i = 0; i < 20000; ++i)
        many += "\"v" + QByteArray::number(i % 5000) + "\"=dword:1\n";
    QCOMPARE(parseHive(many).key(1).values.size(), std::size_t(5000));
}

void TestRegistryHive::writesAsWine() {
    QCOMPARE(formatHiveValue({"", 1, utf16(u"C:\\Games\\Populous")}),
             QByteArray("@=\"C:\\\\Games\\\\Populous\"\n"));
    QCOMPARE(formatHiveValue({"Say \"hi\"", 2, utf16(u"%x%\\é1☺z")}),
             QByteArray("\"Say \\\"hi\\\"\"=str(2):\"%x%\\\\\\x00e91\\x263az\"\n"));
    QCOMPARE(formatHiveValue({"m", 7,
                              utf16Data(QString::fromUtf16(u"a\0\x01"
                                                           u"7\0\0",
                                                           6))}),
             QByteArray("\"m\"=str(7):\"a\\0\\0017\\0\"\n"));
    QCOMPARE(formatHiveValue({"ctl", 1, utf16(u"\t\x1b\x7f")}),
             QByteArray("\"ctl\"=\"\\t\\e\x7f\"\n"));
    QCOMPARE(formatHiveValue({"d", 4, QByteArray("\x1f\0\0\x80", 4)}),
             QByteArray("\"d\"=dword:8000001f\n"));
    // Strings without their terminating NUL and DWORDs of another size stay hex.
    QCOMPARE(formatHiveValue({"s", 1, QByteArray("a\0", 2)}), QByteArray("\"s\"=hex(1):61,00\n"));
    QCOMPARE(formatHiveValue({"s", 1, {}}), QByteArray("\"s\"=hex(1):\n"));
    QCOMPARE(formatHiveValue({"d", 4, "\1"}), QByteArray("\"d\"=hex(4):01\n"));
    QCOMPARE(formatHiveKeyPath({"Software", "Br[a]ck\\", "Café"}),
             QByteArray("Software\\\\Br\\[a\\]ck\\\\\\\\Caf\\xe9"));
}

void TestRegistryHive::realHiveReadsAndWritesBack() {
    const QByteArray text = realSystemReg();
    QVERIFY2(text.size() > 1000000, "xz could not unpack the fixture");
    const Hive hive = parseHive(text);
    QVERIFY(hive.win64);
    QVERIFY(hive.keyCount() > 9000); // 8883 sections and the parents they imply
    const auto* drive = find(hive,
                             QStringLiteral("software\\wow6432node\\BULLFROG PRODUCTIONS "
                                            "LTD\\Populous: The Beginning"),
                             QStringLiteral("installdrive"));
    QVERIFY(drive);
    QCOMPARE(drive->data, utf16(u"C:"));
    QCOMPARE(find(hive,
                  QStringLiteral("Software\\Wow6432Node\\Bullfrog Productions Ltd\\Populous: "
                                 "The Beginning"),
                  QStringLiteral("InstallPath"))
                 ->data,
             utf16(u"C:\\Games\\Populous"));
    // Wine's own links: the 32-bit classes lead to the shared type libraries.
    QVERIFY(hive.open(path("Software\\Wow6432Node\\Classes\\TypeLib\\{ADB880A2-D8FF-11CF-"
                           "9377-00AA003B7A11}")) > 0);

    // Every value written back as Wine writes it gives the very lines of the file.
    QMap<QByteArray, int> formatted;
    for (int key = 0; key < hive.keyCount(); ++key)
        for (const HiveValue& value : hive.key(key).values)
            ++formatted[formatHiveValue(value)];
    const QMap<QByteArray, int> original = valueRecords(text);
    QCOMPARE(formatted.size(), original.size());
    for (auto it = original.begin(); it != original.end(); ++it)
        QVERIFY2(formatted.value(it.key()) == it.value(), it.key().constData());
}

void TestRegistryHive::editsKeepOtherLines() {
    const QByteArray text = file(R"(
[Software\\A] 1700000000
#time=1d9f0e2a4b5c6d7
"keep"="1"
"Target"="old"
"after"=hex:01,\
  02

[Software\\C] 1700000000
#time=1d9f0e2a4b5c6d7
"x"="y"
)");
    const qint64 now = (qint64(1800000000) + 11644473600) * 10000000 + 1234567;
    const QByteArray stamp = " 1800000000";
    const QByteArray time = "#time=" + QByteArray::number(quint64(now), 16);
    QCOMPARE(time.size(), QByteArray("#time=1d9f0e2a4b5c6d7").size());

    // Replaced in place; the key's time is renewed.
    QByteArray changed = hiveWithValue(text, {"Software", "A"}, {"TARGET", 1, utf16(u"new")}, now);
    QByteArray expected = text;
    expected.replace("\"Target\"=\"old\"", "\"Target\"=\"new\"");
    expected.replace("[Software\\\\A] 1700000000\n#time=1d9f0e2a4b5c6d7",
                     "[Software\\\\A]" + stamp + "\n" + time);
    QCOMPARE(changed, expected);

    // A new value ends the key's section, after the continued hex value.
    changed = hiveWithValue(text, {"software", "a"}, {"new", 4, QByteArray("\2\0\0\0", 4)}, now);
    const Hive reread = parseHive(changed);
    QCOMPARE(reread.value(reread.open({"Software", "A"}), "new")->data, QByteArray("\2\0\0\0", 4));
    QVERIFY(changed.contains("  02\n\"new\"=dword:00000002\n\n[Software\\\\C]"));

    // A new key goes where Wine would have it, between A and C; nothing else moves.
    const QByteArray section = "[Software\\\\B\\\\Sub] 1800000000\n" + time + "\n\"v\"=\"w\"\n\n";
    changed = hiveWithValue(text, {"Software", "B", "Sub"}, {"v", 1, utf16(u"w")}, now);
    QVERIFY(insertedOnce(text, changed, section));
    QVERIFY(changed.indexOf("[Software\\\\B") < changed.indexOf("[Software\\\\C"));
    // After the last key: appended, also to a file without a final line end.
    changed = hiveWithValue(text, {"Software", "D"}, {"v", 1, utf16(u"w")}, now);
    QVERIFY(
        insertedOnce(text, changed, "\n[Software\\\\D] 1800000000\n" + time + "\n\"v\"=\"w\"\n"));
    QByteArray cut = text;
    cut.chop(1);
    changed = hiveWithValue(cut, {"Software", "C"}, {"v", 1, utf16(u"w")}, now);
    QCOMPARE(parseHive(changed).value(parseHive(changed).open({"Software", "C"}), "x")->data,
             utf16(u"y"));

    // Deleting removes every copy of the value; a missing value changes nothing.
    const QByteArray twice = text + "\n[Software\\\\A] 1\n\"target\"=\"again\"\n";
    const auto removed = hiveWithoutValue(twice, {"Software", "A"}, "target", now);
    QVERIFY(removed);
    QVERIFY(!removed->contains("old") && !removed->contains("again"));
    QVERIFY(removed->contains("\"keep\"=\"1\"\n\"after\"=hex:01,\\\n  02\n"));
    QVERIFY(!hiveWithoutValue(text, {"Software", "A"}, "missing", now));
    QVERIFY(!hiveWithoutValue(text, {"Software", "Z"}, "keep", now));
}

QTEST_GUILESS_MAIN(TestRegistryHive)
#include "test_registry_hive.moc"
