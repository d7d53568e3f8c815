// A prefix's registry read and written through its files, as a 32-bit program sees it.

#include "fakes/hive_text.h"
#include "fakes/temp_prefix.h"
#include "platform/linux/linux_registry.h"

#include <QtTest>

#include <sys/stat.h>

using namespace platform;
using namespace wine;
using enum RootKey;
using fakes::hiveFile, fakes::linkTo, fakes::readFile, fakes::realSystemReg;
using linuxbackend::LinuxRegistry;

class TestLinuxRegistry : public QObject {
    Q_OBJECT
private slots:
    void readsAndWritesAPrefix();
    void refusesWhatIsNoHive();
};

namespace {

const QString gameKey = "SOFTWARE\\Bullfrog Productions Ltd\\Populous: The Beginning";
const QString helpKey = "Software\\Microsoft\\Windows\\HTML Help";

} // namespace

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
    QCOMPARE_GT(at, 0);
    QCOMPARE_LT(added.indexOf("\n#time=", at), added.indexOf(line, at));
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
    prefix.writeFile("system.reg", hiveFile(body, "win64"));
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
    prefix.writeFile("system.reg", hiveFile(body + "\n"));
    QCOMPARE(which(), QByteArray("64-bit\0", 7));
    QVERIFY(registry.values(LocalMachine, "Software\\Only64"));
    // A key behind a link loop cannot be written: refused, the file as it was.
    const QByteArray looped =
        hiveFile("[Software\\\\Wow6432Node] 1\n" + linkTo("Software\\Wow6432Node"), "win64");
    prefix.writeFile("system.reg", looped);
    QCOMPARE(registry.setValue(LocalMachine, helpKey, {"v", regtype::Sz, "x"}),
             winerror::AccessDenied);
    QCOMPARE(readFile(file), looped);
    // The user's hive answers to its SID alone.
    prefix.writeFile("user.reg", readFile(VELKOR_TEST_DATA "/wine-8.0/user.reg"));
    QVERIFY(registry.values(Users, "S-1-5-21-0-0-0-1000\\Control Panel"));
    QVERIFY(!registry.values(Users, "S-1-5-21-0-0-0-1\\Control Panel"));
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
                QVERIFY(QFile::resize(prefix.writeFile(name, hiveFile("[Software\\\\A] 1\n")),
                                      wine::MaxHiveSize + 1));
        }
        LinuxRegistry registry(prefix.prefix());
        QVERIFY2(!registry.subkeys(LocalMachine, "Software"), qPrintable(kind));
        QVERIFY2(!registry.values(LocalMachine, "Software\\A"), qPrintable(kind));
        QVERIFY2(!registry.values(CurrentUser, "Software\\A"), qPrintable(kind));
        QCOMPARE(registry.setValue(LocalMachine, helpKey, {"a.chm", regtype::Sz, "C:\\"}),
                 kind == "missing" ? winerror::FileNotFound : winerror::AccessDenied);
    }
}

QTEST_GUILESS_MAIN(TestLinuxRegistry)
#include "test_linux_registry.moc"
