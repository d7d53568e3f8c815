// Wine's registry files: the format, the writer, a prefix's registry as a 32-bit program sees it.

#include "core/wine/registry_hive.h"
#include "fakes/temp_prefix.h"
#include "platform/linux/linux_registry.h"

#include <QtTest>

#include <sys/stat.h>

using namespace platform;
using namespace wine;
using enum RootKey;
using fakes::readFile;
using linuxbackend::LinuxRegistry;

// Declared ahead of the test data: moc cannot read past raw string literals.
class TestLinuxRegistry : public QObject {
    Q_OBJECT
private slots:
    void parsesAsWine();
    void editsKeepOtherLines();
    void readsAndWritesAPrefix();
    void refusesWhatIsNoHive();
};

namespace {

const QString gameKey = "SOFTWARE\\Bullfrog Productions Ltd\\Populous: The Beginning";
const QString helpKey = "Software\\Microsoft\\Windows\\HTML Help";

QByteArray file(const QByteArray& body, const QByteArray& arch = "win32") {
    return "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n#arch=" + arch +
           "\n" + body;
}

QByteArray utf16(const char16_t* text, qsizetype size = -1) {
    return utf16Data(QString::fromUtf16(text, size)) + QByteArray(2, '\0');
}

// A key's link to another of the machine's hive.
QByteArray linkTo(const QByteArray& key) {
    QByteArray hex;
    for (const char c : "\\Registry\\Machine\\" + key)
        hex += QByteArray::number(uchar(c), 16) + ",00,";
    return "#link\n\"SymbolicLinkValue\"=hex(6):" + hex.chopped(1) + "\n";
}

QByteArray realSystemReg() {
    QProcess xz;
    xz.start("xz", {"-dc", VELKOR_TEST_DATA "/wine-8.0/system.reg.xz"});
    return xz.waitForFinished(60000) && xz.exitCode() == 0 ? xz.readAllStandardOutput() : "";
}

} // namespace

void TestLinuxRegistry::parsesAsWine() {
    // Wine's escapes; lines it cannot read; lines that look like sections but continue a value.
    const QByteArray text = file(R"x([Software\\Br\[a\]ck\\Caf\xe9] 1
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
    QVERIFY(hive.value(key, "y")->type == 0x100000 && hive.value(key, "y")->data == "\1\2");
    // A section seen again adds to its key; the later value wins, the first spelling stays.
    const HiveValue* two = hive.value(key, "two");
    QVERIFY(two && two->name == "two" && two->data == utf16(u"😀\xff"));
    QCOMPARE(hive.key(key).values.size(), std::size_t(3));
    const QStringList sub{"Software", "Real", "Sub"};
    QCOMPARE(hive.key(hive.open(sub)).values.size(), std::size_t(2));
    QCOMPARE(hive.open({"software", "alias", "SUB"}), hive.open(sub));
    QCOMPARE(hive.openDeepest({"Software", "Loop", "New"}).first, -1); // a loop ends
    QCOMPARE(parseHive(file("[A]\n\"u\"=\"\xff\xc3(\xe2\x98\"\n")).key(1).values[0].data,
             utf16(u"\xfffd\xfffd(\xfffd\xfffd"));
    QVERIFY(parseHive("WINE REGISTRY Version 2\r\n#arch=win64 \r\n").win64);
    // Beyond Windows' limits, very deep and very long key paths are skipped.
    const QByteArray deep =
        "[" + QByteArray("k\\\\").repeated(20000) + "]\n[" + QByteArray(300, 'n');
    QCOMPARE(parseHive(file(deep + "]\n")).keyCount(), 1);
    // A read along one path finds what the whole read does; refused past a link; no path: options.
    const auto part = parseHivePart(text, {sub});
    QVERIFY(part && part->relativeTo == "REGISTRY\\Machine" && part->keyCount() == 4);
    QCOMPARE(part->key(part->open(sub)).values.size(), std::size_t(2));
    QVERIFY(!parseHivePart(text, {{"Software", "Alias", "Sub"}}));
    QCOMPARE(parseHivePart(file("[A] 1\n#arch=win64\n"), {})->keyCount(), 1);

    // The real hive: every value formatted again gives its very record, continuation lines too.
    const QByteArray real = realSystemReg();
    const Hive whole = parseHive(real);
    QVERIFY(whole.win64 && whole.keyCount() > 9000); // 8883 sections and their parents
    QMap<QByteArray, int> formatted, original;
    for (int key = 0; key < whole.keyCount(); ++key)
        for (const HiveValue& value : whole.key(key).values)
            ++formatted[formatHiveValue(value)];
    for (const QByteArray& record : QByteArray(real).replace("\\\n", "\\\1").split('\n'))
        if (record.startsWith('"') || record.startsWith('@'))
            ++original[QByteArray(record).replace("\\\1", "\\\n") + '\n'];
    QCOMPARE(formatted, original);
}

void TestLinuxRegistry::editsKeepOtherLines() {
    const QByteArray text = file(R"(
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
    // A damaged last hex value awaiting its continuation neither swallows nor becomes what follows.
    for (const QByteArray damaged :
         {"[e]\n\"x\"=hex:01,\\", "[e]\n\"x\"=hex:01,\\\n", "[e]\n\"x\"=hex:\\C\n"}) {
        for (const QString key : {"e", "z"}) {
            const Hive written = parseHive(hiveWithValue(file(damaged), {key}, dword, now));
            const HiveValue* stored = written.value(written.open({key}), "v");
            QVERIFY2(stored && stored->type == 4 && !written.value(written.open({"e"}), "x"),
                     qPrintable(damaged + " with a value in " + key));
        }
    }
    // Deleting removes every copy of the value and stamps its key; a missing one changes nothing.
    const auto removed = hiveWithoutValue(text + "[Software\\\\A] 1\n\"target\"=\"again\"\n",
                                          {"Software", "A"}, "target", now);
    QVERIFY(removed && !removed->contains("old") && !removed->contains("again"));
    QVERIFY(
        removed->contains("[Software\\\\A] 1800000000\n" + time + "\n\"keep\"=\"1\"\n\"after\""));
    QVERIFY(!hiveWithoutValue(text, {"Software", "A"}, "missing", now));
}

void TestLinuxRegistry::readsAndWritesAPrefix() {
    fakes::TempPrefix prefix;
    const QString file = prefix.writeFile("system.reg", realSystemReg());
    LinuxRegistry registry(prefix.prefix());
    // A new key lands in the 32-bit view, nothing else changes; set again, in place; then deleted.
    const QByteArray original = readFile(file);
    const QByteArray ete = QString::fromUtf16(u"C:\\Été\\\0", 8).toLocal8Bit();
    QCOMPARE(registry.setValue(LocalMachine, helpKey, {"Guide.chm", regtype::Sz, ete}), 0);
    QByteArray added = readFile(file);
    const qsizetype at = 1 + added.indexOf("\n[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\"
                                           "HTML Help] ");
    const QByteArray line = "\n\"Guide.chm\"=\"C:\\\\\\xc9t\\xe9\\\\\"\n\n";
    QVERIFY(at > 0 && added.indexOf("\n#time=", at) < added.indexOf(line, at));
    QCOMPARE(added.remove(at, added.indexOf(line, at) + line.size() - at), original);
    QCOMPARE(registry.setValue(LocalMachine, helpKey, {"guide.chm", regtype::Sz, "x"}), 0);
    QVERIFY(readFile(file).contains("\n\"Guide.chm\"=hex(1):78,00\n\n"));
    QCOMPARE(registry.deleteValue(LocalMachine, helpKey, "GUIDE.chm"), winerror::Success);
    QCOMPARE(registry.deleteValue(LocalMachine, helpKey, "guide.chm"), winerror::FileNotFound);

    // Strings as the ANSI calls give them: in the 8-bit encoding, every NUL kept.
    const QByteArray body = R"([Software\\Both] 1
"which"="64-bit"
[Software\\Wow6432Node\\Both] 1
"which"="32-bit"
[Software\\Wow6432Node\\Both\\Sub] 1
[Software\\Only64] 1
[Software\\Wow6432Node\\Bullfrog Productions Ltd\\Populous: The Beginning] 1
"InstallPath"="C:\\Games\0junk"
"Number"=dword:0000002a
"Accents"="Caf\xe9 \x263a"
"Expand"=str(2):"%WINDIR%\\x"
"Multi"=str(7):"a\0b\0"
"Odd"=hex(1):41,00,42
)";
    prefix.writeFile("system.reg", ::file(body, "win64"));
    QByteArray got;
    for (const RegEntry& value :
         registry.values(LocalMachine, gameKey).value_or(std::vector<RegEntry>()))
        got += QByteArray::number(value.type) + ":" + value.data + "|";
    QCOMPARE(got, QByteArray("1:C:\\Games\0junk\0|4:*\0\0\0|1:Caf\xc3\xa9 \xe2\x98\xba\0|"
                             "2:%WINDIR%\\x\0|7:a\0b\0\0|1:A|",
                             63));
    const auto which = [&] {
        return registry.values(LocalMachine, "SOFTWARE\\BOTH").value()[0].data;
    };
    QCOMPARE(which(), QByteArray("32-bit\0", 7));
    QCOMPARE(registry.subkeys(LocalMachine, "Software\\Both"), QStringList{"Sub"});
    QVERIFY(!registry.values(LocalMachine, "Software\\Only64"));
    // In a 32-bit prefix there is no other view.
    prefix.writeFile("system.reg", ::file(body + "\n"));
    QCOMPARE(which(), QByteArray("64-bit\0", 7));
    QVERIFY(registry.values(LocalMachine, "Software\\Only64"));
    // A key behind a link loop cannot be written: refused, the file as it was.
    const QByteArray looped =
        ::file("[Software\\\\Wow6432Node] 1\n" + linkTo("Software\\Wow6432Node"), "win64");
    prefix.writeFile("system.reg", looped);
    QCOMPARE(registry.setValue(LocalMachine, helpKey, {"v", regtype::Sz, "x"}),
             winerror::AccessDenied);
    QCOMPARE(readFile(file), looped);
    // The user's hive answers to its SID alone.
    prefix.writeFile("user.reg", readFile(VELKOR_TEST_DATA "/wine-8.0/user.reg"));
    QVERIFY(registry.values(Users, "S-1-5-21-0-0-0-1000\\Control Panel") &&
            !registry.values(Users, "S-1-5-21-0-0-0-1\\Control Panel"));
}

// A FIFO (blocking) or a huge file reads as an empty registry; a write is refused.
void TestLinuxRegistry::refusesWhatIsNoHive() {
    for (const QString kind : {"missing", "fifo", "too large"}) {
        fakes::TempPrefix prefix;
        for (const QString name : {"system.reg", "user.reg"}) {
            const QString path = prefix.root() + "/" + name;
            if (kind == "fifo")
                QCOMPARE(::mkfifo(QFile::encodeName(path), 0600), 0);
            else if (kind == "too large") // a sparse tail
                QVERIFY(QFile::resize(prefix.writeFile(name, file("[Software\\\\A] 1\n")),
                                      wine::MaxHiveSize + 1));
        }
        LinuxRegistry registry(prefix.prefix());
        QVERIFY2(!registry.subkeys(LocalMachine, "Software") &&
                     !registry.values(LocalMachine, "Software\\A") &&
                     !registry.values(CurrentUser, "Software\\A"),
                 qPrintable(kind));
        QCOMPARE(registry.setValue(LocalMachine, helpKey, {"a.chm", regtype::Sz, "C:\\"}),
                 kind == "missing" ? winerror::FileNotFound : winerror::AccessDenied);
    }
}

QTEST_GUILESS_MAIN(TestLinuxRegistry)
#include "test_linux_registry.moc"
