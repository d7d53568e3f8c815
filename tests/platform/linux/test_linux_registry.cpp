// A prefix's registry read and written through its files, as a 32-bit program sees it (the value
// types as Windows reads them: windows/registry.sh).

#include "fakes/hive_text.h"
#include "fakes/temp_prefix.h"
#include "platform/linux/linux_registry.h"

#include <QtTest>

#include <sys/stat.h>

using namespace platform;
using enum RootKey;
using fakes::hiveFile, fakes::readFile;
using linuxbackend::LinuxRegistry;

const QString helpKey = "Software\\Microsoft\\Windows\\HTML Help";

class TestLinuxRegistry : public QObject {
    Q_OBJECT
private slots:
    void readsAndWritesThe32BitView();
    void refusesWhatIsNoHive();
};

// Strings as the ANSI calls give them and take them, in the 8-bit encoding with every NUL kept
// (the edits alone: core/wine); in a 32-bit prefix there is no other view; a key behind a link
// loop is not written; the user's hive answers to its SID alone.
void TestLinuxRegistry::readsAndWritesThe32BitView() {
    fakes::TempPrefix prefix;
    LinuxRegistry registry(prefix.prefix());
    const QByteArray body = R"([Software\\Both] 1
"which"="64-bit"
[Software\\Wow6432Node\\Both] 1
"which"="32-bit \x263a\0junk"
"number"=dword:0000002a
[Software\\Wow6432Node\\Both\\Sub] 1
[Software\\Only64] 1
)";
    const QString file = prefix.writeFile("system.reg", hiveFile(body, "win64"));
    const QByteArray ete = QString::fromUtf16(u"C:\\Été\\\0", 8).toLocal8Bit();
    QCOMPARE(registry.setValue(LocalMachine, helpKey, {"Guide.chm", regtype::Sz, ete}), 0);
    QVERIFY(readFile(file).contains(
        "\n[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\HTML Help] "));
    QVERIFY(readFile(file).endsWith("\n\"Guide.chm\"=\"C:\\\\\\xc9t\\xe9\\\\\"\n"));
    QCOMPARE(registry.setValue(LocalMachine, helpKey, {"guide.chm", regtype::Sz, "x"}), 0);
    QVERIFY(readFile(file).endsWith("\n\"Guide.chm\"=hex(1):78,00\n"));
    QCOMPARE(registry.deleteValue(LocalMachine, helpKey, "GUIDE.chm"), winerror::Success);
    QCOMPARE(registry.deleteValue(LocalMachine, helpKey, "guide.chm"), winerror::FileNotFound);
    const auto value = [&](int i) {
        return registry.values(LocalMachine, "SOFTWARE\\BOTH").value().at(i).data;
    };
    QCOMPARE(value(0), QByteArray("32-bit \xe2\x98\xba\0junk\0", 16));
    QCOMPARE(value(1), QByteArray("*\0\0\0", 4));
    QCOMPARE(registry.subkeys(LocalMachine, "Software\\Both"), QStringList{"Sub"});
    QVERIFY(!registry.values(LocalMachine, "Software\\Only64"));
    prefix.writeFile("system.reg", hiveFile(body + "\n"));
    QCOMPARE(value(0), QByteArray("64-bit\0", 7));
    QVERIFY(registry.values(LocalMachine, "Software\\Only64"));

    const QByteArray looped =
        hiveFile("[Software\\\\Wow6432Node] 1\n" + fakes::linkTo("Software\\Wow6432Node"), "win64");
    prefix.writeFile("system.reg", looped);
    QCOMPARE(registry.setValue(LocalMachine, helpKey, {"v", regtype::Sz, "x"}),
             winerror::AccessDenied);
    QCOMPARE(readFile(file), looped);
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
