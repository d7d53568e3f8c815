// The main window's settings: load and save, the addresses shown, the external address, sockets.

#include "buildconfig.h"
#include "fakes/rows.h"
#include "fakes/settings_support.h"
#include "gui/main/frmMain.h"

#include <QtTest>
#include <QtWidgets>

using LocalCase = std::tuple<bool, QString, QString, int, bool, QString>;
using SocketCase = std::tuple<int, std::uint16_t, std::int16_t, int, int, bool, QString>;

class MainSettingsTest : public QObject {
    Q_OBJECT
private slots:
    // Loading reads only a regular file, so a FIFO gives no settings; saving over it fails, said
    // so, and the FIFO stays. A full disk: e2e/settings.sh; a read-only file: test_options.
    void fifoIsNoSettingsFile() {
        Place os;
        if (!makeFifo(os.file, QByteArray(115, 'X')))
            QSKIP("no FIFO on this system");
        frmMain window;
        window.Form_Load();
        QCOMPARE(window.username->text(), QString());
        window.close();
        QCOMPARE(os.ui.boxes.empty() ? "none" : os.ui.boxes[0].text,
                 settingsfile::notWritableMessage());
        QVERIFY(!QFileInfo(os.file).isFile());
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

    // The echo page's answer is used only when detection is on; an empty box never saved.
    void routerAddress() {
        Place os;
        const QString url = VELKOR_ADDRESS_ECHO_URL, old = "198.51.100.1";
        LaunchSettings s;
        s.setRouterAddress(old);
        os.write(s.image);
        frmMain window;
        window.Form_Load(); // detection off: the stored address, whatever the box shows
        QCOMPARE(window.txtRouterIP->text(), old);
        QCOMPARE(os.downloads.requests, QStringList());
        window.txtRouterIP->setText("1.1.1.1");
        window.SaveSettings();
        QCOMPARE(LaunchSettings{os.bytes()}.RouterAddress(), old);
        s.setAutoDetectRouter(true);
        os.write(s.image);
        // A whole address is used (the others: e2e/echo_and_lock.sh); the temporary file goes.
        os.downloads.bodies[url] = "80.100.100.7\n";
        window.LoadSettings();
        QCOMPARE(window.txtRouterIP->text(), "80.100.100.7");
        QVERIFY(!QFileInfo::exists(os.folder + "/ip.tmp"));
        window.SaveSettings();
        window.txtLocalIP->clear(); // empty boxes never wipe stored addresses
        window.txtRouterIP->clear();
        window.SaveSettings();
        QCOMPARE(LaunchSettings{os.bytes()}.RouterAddress(), "80.100.100.7");
        QCOMPARE(LaunchSettings{os.bytes()}.LocalAddress(), "192.168.1.10");
    }

    void socketMessages_data() {
        // {startup's result, version, sockets, cleanup's, host name's, resolves, the message}
        addCases<SocketCase>(
            {{"startup fails", {10091, 0x0101, 9, 0, 0, true, "Winsock.dll is not responding."}},
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
        QCOMPARE(os.system.endProgramCalls, int(ends));
        QCOMPARE(window.username->text().isEmpty(), ends);
    }
};

QTEST_MAIN(MainSettingsTest)
#include "test_main_settings.moc"
