// The socket module: start-up and clean-up checks and the local address list, as the main
// window's load reports them, and the Linux backend's answers.

#include "app/frmMain.h"
#include "fakes/fake_platform.h"
#include "net/mWinSock.h"
#include "platform/linux/linux_sockets.h"
#include "settings_support.h"

#include <QLineEdit>
#include <QListWidget>
#include <QtTest>

enum Step { Init, Cleanup, List };

class SocketsTest : public QObject {
    Q_OBJECT
private slots:
    void messages_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("result"); // of the step's call; for List, 1: the name resolves not
        QTest::addColumn<int>("version");
        QTest::addColumn<int>("sockets");
        QTest::addColumn<QString>("message"); // empty: the step succeeds
        QTest::addColumn<int>("ends");
        const QString minimum = "This application requires a minimum of 1 supported sockets.";
        auto row = [](const char* tag, Step step, int result, int version, int sockets,
                      QString message, int ends) {
            QTest::newRow(tag) << int(step) << result << version << sockets << message << ends;
        };
        row("1.1", Init, 0, 0x0101, 100, {}, 0);
        row("2.2", Init, 0, 0x0202, 1, {}, 0);
        row("fails", Init, 10091, 0x0101, 100, "Winsock.dll is not responding.", 1);
        row("1.0", Init, 0, 0x0001, 100,
            "Windows Sockets version 1.0 is not supported by winsock.dll ", 1);
        row("no sockets", Init, 0, 0x0101, 0, minimum, 1);
        row("negative", Init, 0, 0x0101, -5, minimum, 1);
        row("cleanup fails", Cleanup, -1, 0x0101, 100, "Socket error -1 occurred in Cleanup ", 1);
        // A blank stands where a plus sign would: two blanks after "error".
        row("host name", List, -1, 0x0101, 100, "Windows Sockets error  10093", 0);
        row("unresolved", List, 1, 0x0101, 100, "Winsock.dll is not responding.", 0);
    }
    // The window shows what the module reports, then ends the program or loads on.
    void messages() {
        QFETCH(int, step);
        QFETCH(int, result);
        QFETCH(int, version);
        QFETCH(int, sockets);
        QFETCH(QString, message);
        QFETCH(int, ends);
        fakes::FakePlatform os;
        settingstest::Place place(os);
        LaunchSettings saved;
        saved.setUserName("Bo");
        place.write(saved.image);
        os.sockets.data = {static_cast<std::uint16_t>(version), static_cast<std::int16_t>(sockets)};
        os.sockets.startupResult = step == Init ? result : 0;
        os.sockets.cleanupResult = step == Cleanup ? result : 0;
        os.sockets.hostNameResult = step == List && result < 0 ? result : 0;
        os.sockets.lastErrorCode = 10093;
        if (step == List && result > 0)
            os.sockets.host.reset();
        int endedBeforeTheBox = -1;
        os.ui.onMessageBox = [&](const fakes::MessageBoxCall&) {
            endedBeforeTheBox = os.system.endProgramCalls;
        };

        frmMain window;
        window.Form_Load();
        QCOMPARE(int(os.ui.boxes.size()), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(os.ui.boxes[0].text, message);
            QCOMPARE(os.ui.boxes[0].title, QStringLiteral("Velkor"));
            QCOMPARE(os.ui.boxes[0].style, 0);
            QCOMPARE(endedBeforeTheBox, 0);
        }
        QCOMPARE(os.system.endProgramCalls, ends);
        QCOMPARE(os.sockets.cleanups, step == Init && ends ? 0 : 1);
        QCOMPARE(window.lboxIPAddr->count(), message.isEmpty() || step == Cleanup ? 1 : 0);
        // The settings load only when the program goes on.
        QCOMPARE(window.username->text(), QString(ends ? "" : "Bo"));
    }

    void addressesAndBytes() {
        fakes::FakePlatform os;
        os.sockets.host = platform::HostEntry{
            4, {QByteArray("\x0A\x00\x00\x05", 4), QByteArray("\xC0\xA8\x01\xFF", 4)}};
        const winsock::LocalAddresses local = GetLocalIPAddresses();
        QVERIFY(local.status.ok());
        QCOMPARE(local.addresses, QStringList({"10.0.0.5", "192.168.1.255"}));
        QCOMPARE(LoByte(0x0201), 1);
        QCOMPARE(HiByte(0xFF01), 255);
    }

    void linuxBackend() {
        platform::linuxbackend::LinuxSockets sockets;
        platform::WsaData data;
        QCOMPARE(sockets.startup(0x0101, data), 0);
        QVERIFY(data.wVersion == 0x0101 && data.iMaxSockets >= 1);
        QCOMPARE(sockets.cleanup(), 0);
        QByteArray name;
        QCOMPARE(sockets.hostName(name), 0);
        const auto interfaces = platform::linuxbackend::LinuxSockets::interfaceAddresses();
        const auto host = sockets.hostByName(name);
        QVERIFY(interfaces.empty() || (host && host->addresses == interfaces));
        for (const QByteArray& address : interfaces)
            QVERIFY(address.size() == 4 && address.at(0) != 127);
        const auto loopback = sockets.hostByName("localhost");
        QVERIFY(loopback && !loopback->addresses.empty());
        QCOMPARE(loopback->addresses.front(), QByteArray("\x7F\x00\x00\x01", 4));
    }
};

QTEST_MAIN(SocketsTest)
#include "test_sockets.moc"
