// The socket module: start-up and clean-up checks, the local address list, and the Linux
// backend's answers.

#include "fakes/fake_platform.h"
#include "net/mWinSock.h"
#include "platform/linux/linux_sockets.h"

#include <QListWidget>
#include <QtTest>

namespace {

QStringList entries(const QListWidget& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

} // namespace

class SocketsTest : public QObject {
    Q_OBJECT
private slots:
    void bytes() {
        QCOMPARE(LoByte(0x0101), 1);
        QCOMPARE(HiByte(0x0101), 1);
        QCOMPARE(LoByte(0x0201), 1);
        QCOMPARE(HiByte(0x0201), 2);
        QCOMPARE(HiByte(0xFFFF), 255);
        QCOMPARE(LoByte(0x00FF), 255);
    }

    void startUpChecks_data() {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("sockets");
        QTest::addColumn<QString>("message"); // empty: the start-up succeeds

        QTest::newRow("1.1") << 0 << 0x0101 << 100 << QString();
        QTest::newRow("2.2") << 0 << 0x0202 << 1 << QString();
        QTest::newRow("library fails")
            << 10091 << 0x0101 << 100 << QStringLiteral("Winsock.dll is not responding.");
        QTest::newRow("version 1.0")
            << 0 << 0x0001 << 100
            << QStringLiteral("Windows Sockets version 1.0 is not supported by winsock.dll ");
        QTest::newRow("version 0.9")
            << 0 << 0x0900 << 100
            << QStringLiteral("Windows Sockets version 0.9 is not supported by winsock.dll ");
        QTest::newRow("no sockets")
            << 0 << 0x0101 << 0
            << QStringLiteral("This application requires a minimum of 1 supported sockets.");
        QTest::newRow("negative count")
            << 0 << 0x0101 << -5
            << QStringLiteral("This application requires a minimum of 1 supported sockets.");
    }
    void startUpChecks() {
        QFETCH(int, result);
        QFETCH(int, version);
        QFETCH(int, sockets);
        QFETCH(QString, message);
        fakes::FakePlatform os;
        os.sockets.startupResult = result;
        os.sockets.data = {static_cast<std::uint16_t>(version), static_cast<std::int16_t>(sockets)};

        QCOMPARE(SocketsInitialize(), message.isEmpty());
        if (message.isEmpty()) {
            QVERIFY(os.ui.boxes.empty());
            QCOMPARE(os.system.endProgramCalls, 0);
            return;
        }
        QCOMPARE(int(os.ui.boxes.size()), 1);
        QCOMPARE(os.ui.boxes[0].text, message);
        QCOMPARE(os.ui.boxes[0].title, QStringLiteral("Velkor"));
        QCOMPARE(os.ui.boxes[0].style, 0);
        QCOMPARE(os.system.endProgramCalls, 1);
    }

    void cleanUp() {
        fakes::FakePlatform os;
        QVERIFY(SocketsCleanup());
        QVERIFY(os.ui.boxes.empty());

        os.sockets.cleanupResult = -1;
        QVERIFY(!SocketsCleanup());
        QCOMPARE(int(os.ui.boxes.size()), 1);
        QCOMPARE(os.ui.boxes[0].text, QStringLiteral("Socket error -1 occurred in Cleanup "));
        QCOMPARE(os.ui.boxes[0].title, QStringLiteral("Velkor"));
        QCOMPARE(os.ui.boxes[0].style, 0);
        QCOMPARE(os.system.endProgramCalls, 1);

        os.sockets.cleanupResult = 10093;
        QVERIFY(!SocketsCleanup());
        QCOMPARE(os.ui.boxes[1].text, QStringLiteral("Socket error 10093 occurred in Cleanup "));
        QCOMPARE(os.system.endProgramCalls, 2);
    }

    void addressesInResolverOrder() {
        fakes::FakePlatform os;
        os.sockets.host = platform::HostEntry{4,
                                              {QByteArray("\x0A\x00\x00\x05", 4),
                                               QByteArray("\xC0\xA8\x01\xFF", 4),
                                               QByteArray("\xAC\x10\x00\x01", 4)}};
        QListWidget list;
        list.addItem(QStringLiteral("kept"));
        GetLocalIPAddresses(&list);
        QCOMPARE(entries(list),
                 (QStringList{QStringLiteral("kept"), QStringLiteral("10.0.0.5"),
                              QStringLiteral("192.168.1.255"), QStringLiteral("172.16.0.1")}));
        QVERIFY(os.ui.boxes.empty());
        QCOMPARE(os.system.endProgramCalls, 0);
    }

    void hostNameFailure() {
        fakes::FakePlatform os;
        os.sockets.hostNameResult = -1;
        os.sockets.lastErrorCode = 10093;
        QListWidget list;
        GetLocalIPAddresses(&list);
        QCOMPARE(list.count(), 0);
        QCOMPARE(int(os.ui.boxes.size()), 1);
        // A blank stands where a plus sign would: two blanks after "error".
        QCOMPARE(os.ui.boxes[0].text, QStringLiteral("Windows Sockets error  10093"));
        QCOMPARE(os.ui.boxes[0].title, QStringLiteral("Velkor"));
        QCOMPARE(os.ui.boxes[0].style, 0);
        QCOMPARE(os.system.endProgramCalls, 0);
        QCOMPARE(winsock::hostNameMessage(-3), QStringLiteral("Windows Sockets error -3"));
    }

    void unresolvedHostName() {
        fakes::FakePlatform os;
        os.sockets.host.reset();
        QListWidget list;
        GetLocalIPAddresses(&list);
        QCOMPARE(list.count(), 0);
        QCOMPARE(int(os.ui.boxes.size()), 1);
        QCOMPARE(os.ui.boxes[0].text, QStringLiteral("Winsock.dll is not responding."));
        QCOMPARE(os.ui.boxes[0].style, 0);
        QCOMPARE(os.system.endProgramCalls, 0);
    }

    void linuxBackend() {
        platform::linuxbackend::LinuxSockets sockets;
        platform::WsaData data;
        QCOMPARE(sockets.startup(0x0101, data), 0);
        QCOMPARE(data.wVersion, std::uint16_t(0x0101));
        QVERIFY(data.iMaxSockets >= 1);
        QCOMPARE(sockets.cleanup(), 0);

        QByteArray name;
        QCOMPARE(sockets.hostName(name), 0);
        QVERIFY(!name.isEmpty());
        const auto host = sockets.hostByName(name);
        const auto interfaces = platform::linuxbackend::LinuxSockets::interfaceAddresses();
        if (!interfaces.empty()) {
            QVERIFY(host);
            QCOMPARE(host->addressLength, 4);
            QCOMPARE(host->addresses, interfaces);
        }
        for (const QByteArray& address : interfaces) {
            QCOMPARE(address.size(), 4);
            QVERIFY(address.at(0) != 127);
        }
        // Any other name goes to the resolver.
        const auto loopback = sockets.hostByName("localhost");
        QVERIFY(loopback);
        QVERIFY(loopback->addresses.size() >= 1);
        QCOMPARE(loopback->addresses.front(), QByteArray("\x7F\x00\x00\x01", 4));
    }
};

QTEST_MAIN(SocketsTest)
#include "test_sockets.moc"
