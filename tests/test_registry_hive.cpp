// Wine's registry file format: parsing into a key tree, writing values as Wine does, and edits
// that keep every other line. Checked on hand-made files and on a real Wine 8.0 system.reg.

#include "platform/wine/registry_hive.h"

#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using namespace platform::wine;

// Declared ahead of the test data: moc cannot read past raw string literals.
class TestRegistryHive : public QObject {
    Q_OBJECT

private slots:
    void readsValue_data();
    void readsValue();
    void namesSectionsAndBadLines();
    void followsLinks();
    void survivesArbitraryBytes();
    void writesAsWine();
    void realHiveWritesBackItsOwnLines();
    void editsKeepOtherLines();
};

namespace {

QByteArray file(const QByteArray& body) {
    return "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win32\n" +
           body;
}

QStringList path(const QString& text) {
    return text.split(QLatin1Char('\\'));
}

QByteArray utf16(const char16_t* text, qsizetype size = -1) {
    return utf16Data(QString::fromUtf16(text, size)) + QByteArray(2, '\0');
}

} // namespace

void TestRegistryHive::readsValue_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<uint>("type");
    QTest::addColumn<QByteArray>("data");
    const auto row = [](const char* name, const QByteArray& line, uint type,
                        const QByteArray& data) { QTest::newRow(name) << line << type << data; };
    row("sz", R"("v"="plain text")", 1, utf16(u"plain text"));
    row("expand", R"("v"=str(2):"%SystemRoot%\\x")", 2, utf16(u"%SystemRoot%\\x"));
    row("multi", R"("v"=str(7):"a\0bc\0")", 7, utf16(u"a\0bc\0", 5));
    row("dword", R"("v"=dword:0000001f)", 4, QByteArray("\x1f\0\0\0", 4));
    row("dword all ones", R"("v"=dword:ffffffff)", 4, "\xff\xff\xff\xff");
    row("hex", R"("v"=hex:00,01,ff)", 3, QByteArray("\x00\x01\xff", 3));
    row("empty typed hex", R"("v"=hex(1):)", 1, "");
    row("large type", R"("v"=hex(100000):01,02)", 0x100000, "\1\2");
    row("continued", "\"v\"=hex(7):61,00,62,\\\n  00,00,\\\n00,00,00", 7,
        QByteArray("a\0b\0\0\0\0\0", 8));
    row("blanks around =", R"("v" = "x")", 1, utf16(u"x"));
    row("quote and backslash", R"("v"="a\\b\"c")", 1, utf16(u"a\\b\"c"));
    row("control escapes", R"("v"="\a\b\t\n\v\f\r\e")", 1, utf16(u"\a\b\t\n\v\f\r\x1b"));
    row("octal", R"("v"="\1\12\101\1012\0")", 1, utf16(u"\x01\x0a\x41\x41\x32\0", 6));
    row("hex escapes", R"("v"="\x41\x263a!\xZ\x0041z")", 1, utf16(u"A\x263a!\0Z\x0041z", 7));
    row("unknown escapes", R"("v"="\q\%")", 1, utf16(u"q%"));
    row("UTF-8", R"("v"="Café ☺ 😀")", 1, utf16(u"Café ☺ 😀"));
    row("escaped byte", R"x("v"="\xff)")x", 1, utf16(u"\xff)"));
    row("invalid UTF-8", "\"v\"=\"\xff\xc3(\xe2\x98\"", 1, utf16(u"\xfffd\xfffd(\xfffd\xfffd"));
    row("NUL inside", R"("v"="C:\\Games\0junk")", 1, utf16(u"C:\\Games\0junk", 13));
    row("CRLF", "\"v\"=hex:01,\\\r\n  02\r", 3, "\1\2");
}

void TestRegistryHive::readsValue() {
    QFETCH(QByteArray, line);
    QFETCH(uint, type);
    QFETCH(QByteArray, data);
    const Hive hive = parseHive(file("[Software\\\\A] 1\n" + line + "\n"));
    const auto& values = hive.key(hive.open(path("Software\\A"))).values;
    QCOMPARE(values.size(), std::size_t(1));
    QCOMPARE(values[0].type, type);
    QCOMPARE(values[0].data, data);
}

void TestRegistryHive::namesSectionsAndBadLines() {
    const Hive hive = parseHive(file(R"reg([Software\\Br\[a\]ck\\Caf\xe9] 1
@="default"
"q\"uote\\d"="1"
"C:\\Games\0junk"="2"
"two"="first"
  ; a comment, and lines Wine cannot read:
"unterminated="x"
"noequals" "x"
"badhex"=hex:1ff
"badtype"=str(4):"x"
"baddword"=dword:
garbage line
[Software\\Broken
"lost"="belongs to no key"
[software\\BR\[A\]CK\\CAF\xc9] 2
"TWO"="second"
"three"=hex:01,\
)reg"));
    const int key = hive.open(QStringList{"SOFTWARE", "br[A]CK", "CAFÉ"});
    QVERIFY(key > 0);
    QCOMPARE(hive.pathOf(key), (QStringList{"Software", "Br[a]ck", "Café"}));
    QCOMPARE(hive.value(key, "")->data, utf16(u"default"));
    QCOMPARE(hive.value(key, "Q\"UOTE\\D")->data, utf16(u"1"));
    QCOMPARE(hive.value(key, QString::fromUtf16(u"C:\\Games\0junk", 13))->data, utf16(u"2"));
    // A section seen again adds to its key; the later value wins, the first spelling stays.
    QCOMPARE(hive.value(key, "two")->data, utf16(u"second"));
    QCOMPARE(hive.value(key, "two")->name, QStringLiteral("two"));
    QCOMPARE(hive.key(key).values.size(), std::size_t(4)); // "three" runs past the end
    QCOMPARE(hive.open(path("Software\\Broken")), -1);
    QCOMPARE(hive.key(hive.open({"Software"})).children.size(), std::size_t(1));
    // Without the header a file is not a registry file.
    QCOMPARE(parseHive("[Software\\\\A] 1\n\"x\"=\"y\"\n").keyCount(), 1);
    QVERIFY(parseHive("WINE REGISTRY Version 2\r\n#arch=win64\r\n").win64);
}

void TestRegistryHive::followsLinks() {
    QByteArray real, loop;
    for (const char c : QByteArray("\\Registry\\Machine\\Software\\Real"))
        real += QByteArray::number(uchar(c), 16) + ",00,";
    real.chop(1);
    loop = QByteArray(real).replace("52,00,65,00,61,00,6c,00", "4c,00,6f,00,6f,00,70,00");
    const Hive hive = parseHive(
        file("[Software\\\\Real\\\\Sub] 1\n\"v\"=\"real\"\n"
             "[Software\\\\Alias] 1\n#link\n\"SymbolicLinkValue\"=hex(6):" +
             real + "\n[Software\\\\Loop] 1\n#link\n\"SymbolicLinkValue\"=hex(6):" + loop + "\n"));
    const int sub = hive.open(path("Software\\Real\\Sub"));
    QVERIFY(sub > 0);
    QCOMPARE(hive.open(path("software\\alias\\SUB")), sub);
    QCOMPARE(hive.open(path("Software\\Loop\\Sub")), -1); // a link to itself ends
    QCOMPARE(hive.openDeepest(path("Software\\Loop\\New")).first, -1);
    const auto [deepest, rest] = hive.openDeepest(path("Software\\Alias\\New\\Key"));
    QCOMPARE(hive.pathOf(deepest), path("Software\\Real"));
    QCOMPARE(rest, path("New\\Key"));

    // A read of the keys along one path alone: the same values, none of the other keys; refused
    // where a link is in the way; with no path, the file's options only.
    const QByteArray text = file("[Software\\\\Other] 1\n\"x\"=hex:01,\\\n  [Software\\\\Real]\n"
                                 "[software\\\\real\\\\SUB] 2\n\"w\"=dword:7\n") +
                            "[Software\\\\Real\\\\Sub] 1\n\"v\"=\"real\"\n";
    const auto part = parseHivePart(text, {path("Software\\Real\\Sub")});
    QVERIFY(part && part->relativeTo == "REGISTRY\\Machine");
    QCOMPARE(part->keyCount(), 4);
    const Hive whole = parseHive(text);
    const int key = part->open(path("Software\\Real\\Sub"));
    for (const char* name : {"v", "w"})
        QCOMPARE(part->value(key, name)->data,
                 whole.value(whole.open(path("Software\\Real\\Sub")), name)->data);
    // Software\Real has no section of its own; its subkey's makes it.
    const auto above = parseHivePart(text, {path("Software\\Real")});
    QVERIFY(above && above->open(path("Software\\Real")) > 0);
    QVERIFY(!parseHivePart(file("[Software\\\\Alias] 1\n#link\n"), {path("Software\\Alias\\Sub")}));
    const auto options = parseHivePart(file("[A] 1\n") + "#arch=win64\n", {});
    QVERIFY(options && !options->win64 && options->keyCount() == 1);
}

void TestRegistryHive::survivesArbitraryBytes() {
    QRandomGenerator random(20240601);
    const QByteArray seed = file("[Software\\\\A\\\\B] 1\n\"x\"=\"a\\\\b\\x41\\101\"\n"
                                 "\"h\"=hex(7):00,01,\\\n  02\n\"d\"=dword:1234\n");
    for (int round = 0; round < 3000; ++round) {
        QByteArray text = seed;
        for (int i = 1 + int(random.bounded(8)); i > 0; --i) {
            const auto at = qsizetype(random.bounded(quint32(text.size())));
            const quint32 kind = random.bounded(3);
            if (kind == 0)
                text[at] = char(random.bounded(256));
            else if (kind == 1)
                text.remove(at, 1 + random.bounded(5));
            else
                text.insert(at, "\\[\"\n\0x"[random.bounded(6)]);
        }
        QVERIFY(parseHive(text).keyCount() >= 1);
        hiveWithValue(text, {"Software", "A"}, HiveValue{"x", 4, "1234"}, 0);
        hiveWithoutValue(text, {"Software", "A", "B"}, "x", 0);
    }
    // Beyond Windows' limits: very deep and very long key paths are skipped.
    QByteArray deep = "WINE REGISTRY Version 2\n[" + QByteArray("k\\\\").repeated(20000) +
                      "] 1\n\"v\"=\"x\"\n[" + QByteArray(300, 'n') + "] 1\n";
    QCOMPARE(parseHive(deep).keyCount(), 1);
    // Many values in one key: a value seen again replaces the first.
    QByteArray many = file("[A] 1\n");
    for (int i = 0; i < 20000; ++i)
        many += "\"v" + QByteArray::number(i % 5000) + "\"=dword:1\n";
    QCOMPARE(parseHive(many).key(1).values.size(), std::size_t(5000));
}

void TestRegistryHive::writesAsWine() {
    const auto check = [](const HiveValue& value, const QByteArray& line) {
        QCOMPARE(formatHiveValue(value), line);
    };
    check({"", 1, utf16(u"C:\\Games")}, "@=\"C:\\\\Games\"\n");
    // Escapes followed by what would extend them: a hex digit, a digit.
    check({"Say \"hi\"", 2, utf16(u"%x%\\é1☺z")},
          "\"Say \\\"hi\\\"\"=str(2):\"%x%\\\\\\x00e91\\x263az\"\n");
    check({"m", 7, utf16(u"a\0\0017\0", 5)}, "\"m\"=str(7):\"a\\0\\0017\\0\"\n");
    check({"ctl", 1, utf16(u"\t\x1b\x7f")}, "\"ctl\"=\"\\t\\e\x7f\"\n");
    check({"d", 4, QByteArray("\x1f\0\0\x80", 4)}, "\"d\"=dword:8000001f\n");
    // Strings without their terminating NUL and DWORDs of another size stay hex.
    check({"s", 1, QByteArray("a\0", 2)}, "\"s\"=hex(1):61,00\n");
    check({"d", 4, "\1"}, "\"d\"=hex(4):01\n");
    QCOMPARE(formatHiveKeyPath({"Software", "Br[a]ck\\", "Café"}),
             QByteArray(R"(Software\\Br\[a\]ck\\\\Caf\xe9)"));
}

void TestRegistryHive::realHiveWritesBackItsOwnLines() {
    QProcess xz;
    xz.start("xz", {"-dc", VELKOR_TEST_DATA "/wine-8.0/system.reg.xz"});
    QVERIFY(xz.waitForFinished(60000) && xz.exitCode() == 0);
    const QByteArray text = xz.readAllStandardOutput();
    const Hive hive = parseHive(text);
    QVERIFY(hive.win64);
    QVERIFY(hive.keyCount() > 9000); // 8883 sections and the parents they imply

    // Every value formatted again gives the very record (with continuation lines) of the file.
    QMap<QByteArray, int> formatted, original;
    for (int key = 0; key < hive.keyCount(); ++key)
        for (const HiveValue& value : hive.key(key).values)
            ++formatted[formatHiveValue(value)];
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (!lines[i].startsWith('"') && !lines[i].startsWith('@'))
            continue;
        QByteArray record = lines[i] + '\n';
        while (lines[i].endsWith('\\') && i + 1 < lines.size())
            record += lines[++i] + '\n';
        ++original[record];
    }
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
    const QByteArray time = "#time=" + QByteArray::number(quint64(now), 16);

    // A new value ends the key's section, after the continued hex value.
    QVERIFY(hiveWithValue(text, {"software", "a"}, {"new", 4, QByteArray("\2\0\0\0", 4)}, now)
                .contains("  02\n\"new\"=dword:00000002\n\n[Software\\\\C]"));
    // A new key goes where Wine would have it, between A and C, or after the last.
    const QByteArray section = "[Software\\\\B\\\\Sub] 1800000000\n" + time + "\n\"v\"=\"w\"\n\n";
    QByteArray changed = hiveWithValue(text, {"Software", "B", "Sub"}, {"v", 1, utf16(u"w")}, now);
    QCOMPARE(changed.indexOf(section), text.indexOf("[Software\\\\C]"));
    QCOMPARE(changed.remove(text.indexOf("[Software\\\\C]"), section.size()), text);
    changed = hiveWithValue(text, {"Software", "D"}, {"v", 1, utf16(u"w")}, now);
    QCOMPARE(changed, text + "\n[Software\\\\D] 1800000000\n" + time + "\n\"v\"=\"w\"\n");
    // A file without a final line end.
    const Hive cut =
        parseHive(hiveWithValue(text.chopped(1), {"Software", "C"}, {"v", 1, utf16(u"w")}, now));
    QCOMPARE(cut.value(cut.open({"Software", "C"}), "x")->data, utf16(u"y"));
    // A damaged last hex value that still waits for a continuation line neither swallows what is
    // appended after it nor turns into a value by it, in its own key or in a new one.
    for (const char* damaged :
         {"[e]\n\"x\"=hex:01,\\", "[e]\n\"x\"=hex:01,\\\n", "[e]\n\"x\"=hex:\\C\n"}) {
        for (const char* key : {"e", "z"}) {
            const Hive written =
                parseHive(hiveWithValue(QByteArray("WINE REGISTRY Version 2\n") + damaged, {key},
                                        {"v", 4, QByteArray("\2\0\0\0", 4)}, now));
            const HiveValue* stored = written.value(written.open({key}), "v");
            QVERIFY2(stored && stored->type == 4, damaged);
            QVERIFY2(!written.value(written.open({"e"}), "x"), damaged);
        }
    }

    // Deleting removes every copy of the value; a missing value changes nothing.
    const auto removed = hiveWithoutValue(text + "\n[Software\\\\A] 1\n\"target\"=\"again\"\n",
                                          {"Software", "A"}, "target", now);
    QVERIFY(removed && !removed->contains("old") && !removed->contains("again"));
    QVERIFY(removed->contains("\"keep\"=\"1\"\n\"after\"=hex:01,\\\n  02\n"));
    QVERIFY(!hiveWithoutValue(text, {"Software", "A"}, "missing", now));
    QVERIFY(!hiveWithoutValue(text, {"Software", "Z"}, "keep", now));
}

QTEST_GUILESS_MAIN(TestRegistryHive)
#include "test_registry_hive.moc"
