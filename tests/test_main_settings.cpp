// The settings record and file, the main window's load and save, external address and sockets.

#include "app/frmMain.h"
#include "buildconfig.h"
#include "net/AddressEcho.h"
#include "net/IpAddress.h"
#include "rows.h"
#include "settings_support.h"

#include <QtTest>
#include <QtWidgets>

// Bytes that no shift or field boundary leaves unchanged, none of them 1 or blank.
static QByteArray patterned(int size) {
    return QByteArray("\xA1\xB2\xC3\xD4\xE5\xF6\x97", 7).repeated(30).left(size);
}

using LocalCase = std::tuple<bool, QString, QString, int, bool, QString>;
using SocketCase = std::tuple<int, std::uint16_t, std::int16_t, int, int, bool, QString>;

class MainSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void recordAndFile() {
        LaunchSettings s{patterned(115)};
        QByteArray expected = s.image;                           // the bytes no field owns stay
        s.setUserName(QString::fromUtf8("ABCDEFGHIJKLMNÿ€xyz")); // 16 kept, € not Latin-1
        s.setLocalAddress("1.2");
        s.setRouterAddress("1234567890123456789012345678");
        s.setLocalAddressIndex(200);
        for (int k = 0; k < 16; ++k)
            expected[4 + 2 * k] = QByteArray("ABCDEFGHIJKLMN\xFF?").at(k);
        expected.replace(63, 24, QByteArray("1.2").leftJustified(24, '\0'));
        expected.replace(88, 24, "123456789012345678901234");
        expected[113] = char(200);
        QCOMPARE(s.image.toHex(' '), expected.toHex(' '));
        s.image.replace(38, 24, QByteArray("12\0007", 4).leftJustified(24, '\0'));
        QCOMPARE(s.OverrideAddress(), QStringLiteral("127")); // NULs inside are skipped

        const Place os;
        const QString users = os.prefix.driveC() + "/users", file = os.settingsdir + "\\Velkor.cfg";
        QVERIFY(QDir(users).removeRecursively()); // as on a first start without ~/.config
        s.read(file);                             // makes every folder level, but no file
        QVERIFY(s.image == QByteArray(115, '\0') && !QFileInfo::exists(os.file));
        QVERIFY(QDir(users).removeRecursively()); // a write makes them and tries once more
        QVERIFY(s.write(file) && os.bytes() == QByteArray(115, '\0'));
        os.write(patterned(50));
        s.read(file); // reading writes nothing
        QVERIFY(s.image == patterned(50) + QByteArray(65, '\0') && os.bytes().size() == 50);
        os.write(patterned(200));
        QVERIFY(s.write(file) && os.bytes() == s.image + patterned(200).mid(115)); // in place
        // A dotfile manager's link to the player's own file is written through, and stays.
        const QString kept = os.folder + "/kept.cfg";
        if (!QFile::rename(os.file, kept) || !makeLink(os.file, kept))
            return;
        s.setUserName("Linked");
        QVERIFY(s.write(file));
        QVERIFY(QFileInfo(os.file).isSymLink());
        QCOMPARE(fakes::readFile(kept), s.image + patterned(200).mid(115));
    }

    // Loading reads only a regular file; a failed save says so, the file kept: a FIFO, a full
    // disk, links to a device and to another user's file. Read-only last.
    void failedSaveChangesNothing_data() {
        QTest::addColumn<QString>("obstacle");
        for (const char* obstacle : {"fifo", "full disk", "device link", "another's", "read-only"})
            addRow(obstacle, {obstacle});
    }
    void failedSaveChangesNothing() {
        QFETCH(QString, obstacle);
        Place os;
        const QString other = os.folder + "/other.cfg";
        const bool none = obstacle == "fifo" || obstacle == "device link";
        if (obstacle == "another's") {
            QFile file(other);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(patterned(200)) == 200);
            if (!makeLink(os.file, other) || !giveAway(other))
                QSKIP("this process cannot give a file to another user");
        }
        if (!none && obstacle != "another's")
            os.write(patterned(200));
        if (obstacle == "fifo" && !makeFifo(os.file, QByteArray(115, 'X')))
            QSKIP("no FIFO on this system");
        if (obstacle == "device link" && !makeLink(os.file, "/dev/null"))
            QSKIP("no links on this system");
        if (obstacle == "read-only" && !makeReadOnly(os.file))
            QSKIP("this process cannot give up its right to write read-only files");
        const QByteArray before = none ? QByteArray() : os.bytes();
        frmMain window;
        window.Form_Load();
        QCOMPARE(window.username->text().isEmpty(), none);
        {
            const fakes::FullDisk full(obstacle == "full disk" ? 0 : 1 << 30);
            if (!full.valid())
                QSKIP("no file size limit on this system");
            window.close();
        }
        QCOMPARE(os.ui.boxes.empty() ? "none" : os.ui.boxes[0].text,
                 settingsfile::notWritableMessage());
        const QFileInfo kept(os.file);
        QCOMPARE(kept.isSymLink(), obstacle.contains("link") || obstacle == "another's");
        QCOMPARE(kept.isFile() ? os.bytes() : "not a file", none ? "not a file" : before);
    }

    // Never an empty "Local IP:" while there is an address to show; what is shown is saved.
    void localAddressShown_data() {
        // {override on, override, stored address and index, any detected, the address shown}
        addCases<LocalCase>(
            {{"override", {true, "10.9.8.7", "", 1, true, "10.9.8.7"}},
             {"blank override: the detected", {true, " ", "", 1, true, "10.0.0.7"}},
             {"override off", {false, "10.9.8.7", "", 1, true, "10.0.0.7"}},
             {"index past the detected: the stored", {false, "", "10.0.0.7", 2, true, "10.0.0.7"}},
             {"stored not detected: the first", {false, "", "172.16.0.9", 2, true, "192.168.1.10"}},
             {"none detected: the stored", {false, "", "172.16.0.9", 0, false, "172.16.0.9"}}});
    }
    void localAddressShown() {
        QFETCH(LocalCase, row);
        const auto& [overrideOn, overrideAddress, stored, index, detected, shown] = row;
        Place os;
        LaunchSettings s;
        s.setOverrideEnabled(overrideOn);
        s.setOverrideAddress(overrideAddress);
        s.setLocalAddress(stored);
        s.setLocalAddressIndex(index);
        os.write(s.image);
        if (!detected)
            os.sockets.host = platform::HostEntry{4, {}};
        frmMain window;
        window.Form_Load();
        QCOMPARE(window.txtLocalIP->text(), shown);
        window.close();
        QCOMPARE(LaunchSettings{os.bytes()}.LocalAddress(), shown);
    }

    // An echo page's answer counts when it is one whole address, white space around it
    // dropped, and a public IPv4 one: the game speaks IPv4, and friends join from outside.
    void wholeAddresses_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("whole"); // one address and nothing else, of either family
        QTest::addColumn<QString>("used");
        for (const char* kept : {"80.100.100.7", "223.255.255.255", "1.0.0.0"})
            QTest::newRow(kept) << QString(kept) << true << QString(kept);
        for (const char* unused :
             {"0.0.0.0", "255.255.255.255", "127.0.0.1", "10.0.0.1", "100.64.0.1", "169.254.0.1",
              "192.168.1.1", "203.0.113.7", "224.0.0.1", "1:2:3:4:5:6:7:ffff",
              "1:2:3:4:5:6:7::", "::", "2001:DB8::a:0", "2001:db8::1", "::ffff:80.100.100.7",
              "1:2:3:4:5:6:1.2.3.4", "ffff:ffff:ffff:ffff:ffff:ffff:255.255.255.255"})
            QTest::newRow(unused) << QString(unused) << true << QString();
        QTest::newRow("white space around")
            << QString(" \t\v\f80.100.100.7\r\n") << false << QString("80.100.100.7");
        QTest::newRow("white space only") << QString(" \r\n") << false << QString();
        for (const char* none : {"80.100.100.256", "80.100.100.07", "80.100.100", "80.100.100.7.1",
                                 "1..3.4", "1.2.3.1234", "1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7",
                                 "1::2::3", "1:2:3:4::5:6:7:8", "1:", "1:::2", "12345::1",
                                 "::1.2.3.4:1", "fe80::1%eth0", "80.100.100.7\r\n/j 6.6.6.6"})
            QTest::newRow(none) << QString(none) << false << QString();
        QTest::newRow("a NUL after") << QString("80.100.100.7") + QChar(0) << false << QString();
        QTest::newRow("a no-break space before")
            << QString::fromUtf8("\u00a080.100.100.7") << false << QString();
        QTest::newRow("other digits")
            << QString::fromUtf8("\u0668\u0660.\u0661.\u0662.\u0663") << false << QString();
    }
    void wholeAddresses() {
        QFETCH(QString, body);
        QFETCH(bool, whole);
        QFETCH(QString, used);
        QCOMPARE(addressecho::addressIn(body), used);
        QCOMPARE(net::isIpAddress(body), whole);
    }

    // The echo page's answer is used only when it is one whole address that the field holds.
    void routerAddress() {
        Place os;
        const QString url = VELKOR_ADDRESS_ECHO_URL, old = "198.51.100.1",
                      v6 = "2001:db8:85a3:1234:5678:8a2e:370:7334";
        LaunchSettings s;
        s.setRouterAddress(old);
        os.write(s.image);
        frmMain window;
        window.Form_Load(); // detection off: the stored address, whatever the box shows
        QVERIFY(window.txtRouterIP->text() == old && os.downloads.requests.isEmpty());
        window.txtRouterIP->setText("1.1.1.1");
        window.SaveSettings();
        QCOMPARE(LaunchSettings{os.bytes()}.RouterAddress(), old);
        s.setAutoDetectRouter(true);
        os.write(s.image);
        // The answer, then as "shown|stored"; the temporary file never stays.
        for (const auto& [body, after] : std::initializer_list<std::pair<QString, QString>>{
                 {"1.2.3.4 /j 6.6.6.6", old + '|' + old},
                 {v6, old + '|' + old},
                 {"10.0.0.1", old + '|' + old},
                 {"80.100.100.7\n", "80.100.100.7|80.100.100.7"}}) {
            os.downloads.bodies[url] = body.toLatin1();
            window.LoadSettings();
            window.SaveSettings();
            const bool left = QFileInfo::exists(os.folder + "/ip.tmp");
            QCOMPARE(body + ": " + window.txtRouterIP->text() + '|' +
                         LaunchSettings{os.bytes()}.RouterAddress() + (left ? " ip.tmp" : ""),
                     body + ": " + after);
        }
        window.txtLocalIP->clear(); // empty boxes never wipe stored addresses
        window.txtRouterIP->clear();
        window.SaveSettings();
        const LaunchSettings saved{os.bytes()};
        QVERIFY(saved.RouterAddress() == "80.100.100.7" && saved.LocalAddress() == "192.168.1.10");
    }

    void socketMessages_data() {
        // {startup's result, version, sockets, cleanup's, host name's, resolves, the message}
        addCases<SocketCase>(
            {{"all well", {0, 0x0101, 1, 0, 0, true, ""}},
             {"startup fails", {10091, 0x0101, 9, 0, 0, true, "Winsock.dll is not responding."}},
             {"version 1.0",
              {0, 0x0001, 9, 0, 0, true,
               "Windows Sockets version 1.0 is not supported by winsock.dll "}},
             {"no sockets",
              {0, 0x0101, 0, 0, 0, true,
               "This application requires a minimum of 1 supported sockets."}},
             {"cleanup fails", {0, 0x0101, 9, -1, 0, true, "Socket error -1 occurred in Cleanup "}},
             {"no host name", {0, 0x0101, 9, 0, -1, true, "Windows Sockets error  0"}}, // blank: +
             {"host not resolved", {0, 0x0101, 9, 0, 0, false, "Winsock.dll is not responding."}}});
    }
    void socketMessages() {
        QFETCH(SocketCase, row);
        const auto& [startup, version, sockets, cleanup, hostName, resolves, message] = row;
        Place os;
        os.write(QByteArray("\0\0\0\0B", 5)); // the name "B"
        os.sockets.startupResult = startup;
        os.sockets.data = {version, sockets};
        os.sockets.cleanupResult = cleanup;
        os.sockets.hostNameResult = hostName;
        if (!resolves)
            os.sockets.host.reset();
        frmMain window;
        window.Form_Load();
        const bool ends = !message.isEmpty() && hostName == 0 && resolves;
        QCOMPARE(os.ui.boxes.empty() ? QString() : os.ui.boxes.back().text, message);
        QVERIFY(os.system.endProgramCalls == ends && window.username->text().isEmpty() == ends);
    }
};

QTEST_MAIN(MainSettingsTest)
#include "test_main_settings.moc"
