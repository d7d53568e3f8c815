// The main window's settings: what the load selects and shows, what the save writes, and the
// external address fetched at load.

#include "app/frmMain.h"
#include "buildconfig.h"
#include "settings_support.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QtTest>

class MainSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { settingstest::setUp(os, place); }
    void cleanup() {
        window.reset();
        place.reset();
        os.reset();
    }

    void firstStartShowsDefaultsAndTheFirstAddress() {
        load();
        QVERIFY(QFileInfo(place->folder).isDir() && !QFileInfo::exists(place->file));
        QVERIFY(window->selpoptb->isChecked() && window->selhost->isChecked() &&
                window->selwithoutrouter->isChecked());
        QCOMPARE(window->username->text(), QString());
        QCOMPARE(window->txtLocalIP->text(), QStringLiteral("192.168.1.10"));
        QVERIFY(os->downloads.requests.isEmpty());
        window->close();
        LaunchSettings expected;
        expected.setLocalAddress("192.168.1.10");
        QCOMPARE(place->bytes(), expected.image);
        QVERIFY(os->ui.boxes.empty());
    }

    void fifoInPlaceOfTheFile() {
        const settingstest::Fifo fifo(place->file, QByteArray(115, '\1'));
        QVERIFY(fifo.made);
        load(); // nothing is read from it: the defaults
        QVERIFY(window->selpoptb->isChecked() && window->selhost->isChecked());
        window->close(); // nor written to it, and the player is told
        QCOMPARE(int(os->ui.boxes.size()), 1);
        QCOMPARE(os->ui.boxes[0].text,
                 QStringLiteral("Could not update \"Velkor.cfg\" either because it is set to "
                                "Read-Only or because you do not have the required "
                                "permissions to edit this file."));
        QCOMPARE(os->ui.boxes[0].title, QStringLiteral("Velkor"));
        QCOMPARE(os->ui.boxes[0].style, 48);
    }

    void savedChoicesAreSelectedInOrder() {
        LaunchSettings s;
        s.setDefaultHosting(true);
        place->write(s.image);
        load(); // "Host Game" is already selected, so its handler does not run
        QVERIFY(window->selhost->isChecked() && window->selwithrouter->isChecked());

        s.setDefaultGame(true);
        s.setDefaultWay(true);
        s.setUserName("  Matak  ");
        place->write(s.image);
        window->LoadSettings();
        QVERIFY(window->selUW->isChecked() && window->seljoin->isChecked());
        // The join handler ran: it cleared and disabled both hosting options.
        QVERIFY(!window->selwithrouter->isChecked() && !window->selwithoutrouter->isChecked());
        QVERIFY(!window->selwithrouter->isEnabled() && window->joinIP->isEnabled());
        QCOMPARE(window->username->text(), QStringLiteral("Matak"));

        // Back to host: step 4 selects "With Router", then selecting "Host Game" runs its
        // handler, which resets the method to "Without Router".
        s.setDefaultGame(false);
        s.setDefaultWay(false);
        place->write(s.image);
        window->LoadSettings();
        QVERIFY(window->selpoptb->isChecked() && window->selhost->isChecked());
        QVERIFY(window->selwithoutrouter->isChecked() && !window->joinIP->isEnabled());
    }

    // Never an empty "Local IP:" while there is an address to show; what is shown is saved.
    void localAddressShown_data() {
        QTest::addColumn<bool>("overrideOn");
        QTest::addColumn<QString>("overrideAddress");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("detected"); // false: the machine has no address
        QTest::addColumn<QString>("shown");
        QTest::newRow("override") << true << "10.9.8.7" << 1 << "" << true << "10.9.8.7";
        QTest::newRow("empty override") << true << "" << 1 << "" << true << "10.0.0.7";
        QTest::newRow("index") << false << "10.9.8.7" << 1 << "" << true << "10.0.0.7";
        QTest::newRow("index gone, address detected")
            << false << "" << 3 << "10.0.0.7" << true << "10.0.0.7";
        QTest::newRow("index gone, address gone")
            << false << "" << 3 << "172.16.0.9" << true << "192.168.1.10";
        QTest::newRow("nothing detected")
            << false << "" << 0 << "172.16.0.9" << false << "172.16.0.9";
    }
    void localAddressShown() {
        QFETCH(bool, overrideOn);
        QFETCH(QString, overrideAddress);
        QFETCH(int, index);
        QFETCH(QString, stored);
        QFETCH(bool, detected);
        QFETCH(QString, shown);
        LaunchSettings s;
        s.setOverrideEnabled(overrideOn);
        s.setOverrideAddress(overrideAddress);
        s.setLocalAddressIndex(static_cast<std::uint8_t>(index));
        s.setLocalAddress(stored);
        place->write(s.image);
        if (!detected)
            os->sockets.host = platform::HostEntry{4, {}};
        load();
        QCOMPARE(window->txtLocalIP->text(), shown);
        window->close();
        QCOMPARE(place->saved().LocalAddress(), shown);
    }

    void routerAddress_data() {
        QTest::addColumn<bool>("detect");
        QTest::addColumn<QByteArray>("body"); // null: the download fails
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("stored");
        const QString old = "198.51.100.1", v6 = "2001:db8:85a3:1234:5678:8a2e:370:7334";
        QTest::newRow("off") << false << QByteArray("203.0.113.7") << old << old;
        QTest::newRow("trimmed") << true << QByteArray("203.0.113.7\n") << "203.0.113.7"
                                 << "203.0.113.7";
        QTest::newRow("no address") << true << QByteArray("1.2.3.4 /j 6.6.6.6") << old << old;
        QTest::newRow("server down") << true << QByteArray() << old << old;
        // Cut to its field it would be another address: the stored one stays.
        QTest::newRow("longer than the field") << true << v6.toLatin1() << v6 << old;
    }
    void routerAddress() {
        QFETCH(bool, detect);
        QFETCH(QByteArray, body);
        QFETCH(QString, shown);
        QFETCH(QString, stored);
        LaunchSettings s;
        s.setAutoDetectRouter(detect);
        s.setRouterAddress("198.51.100.1");
        s.setLocalAddressIndex(1);
        s.image[3] = 'R'; // carried through
        place->write(s.image);
        const QString url = VELKOR_ADDRESS_ECHO_URL;
        if (!body.isNull())
            os->downloads.bodies[url] = body;
        load();
        QCOMPARE(os->downloads.requests, detect ? QStringList{url} : QStringList());
        QCOMPARE(window->txtRouterIP->text(), shown);
        QVERIFY(!QFileInfo::exists(place->folder + "/ip.tmp"));
        QVERIFY(os->ui.boxes.empty());
        // Detection off: the router address stays as read, whatever the box shows.
        if (!detect)
            window->txtRouterIP->setText("1.1.1.1");
        window->close();
        s.setLocalAddress("10.0.0.7");
        s.setRouterAddress(stored);
        QCOMPARE(place->bytes(), s.image);
        // Empty boxes never wipe stored addresses.
        window->txtLocalIP->clear();
        window->txtRouterIP->clear();
        window->SaveSettings();
        QCOMPARE(place->bytes(), s.image);
    }

private:
    void load() {
        window = std::make_unique<frmMain>();
        window->Form_Load();
        QCOMPARE(window->settingsdir, place->settingsdir);
    }

    std::unique_ptr<fakes::FakePlatform> os;
    std::unique_ptr<settingstest::Place> place;
    std::unique_ptr<frmMain> window;
};

QTEST_MAIN(MainSettingsTest)
#include "test_main_settings.moc"
