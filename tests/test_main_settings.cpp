// The main window's settings: what the load selects and shows, what the save writes, and the
// external address fetched at load.

#include "app/frmMain.h"
#include "buildconfig.h"
#include "fakes/fake_platform.h"
#include "settings_support.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QtTest>
#include <memory>

namespace {

const QString EchoUrl = QStringLiteral(VELKOR_ADDRESS_ECHO_URL);

platform::HostEntry twoAddresses() {
    return platform::HostEntry{
        4, {QByteArray("\xC0\xA8\x01\x0A", 4), QByteArray("\x0A\x00\x00\x07", 4)}};
}

} // namespace

class MainSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        os = std::make_unique<fakes::FakePlatform>();
        place = std::make_unique<settingstest::Place>(*os);
        os->sockets.host = twoAddresses();
    }
    void cleanup() {
        window.reset();
        place.reset();
        os.reset();
    }

    void firstStartShowsDefaultsAndTheFirstAddress() {
        load();
        QVERIFY(QFileInfo(place->nativeFolder()).isDir());
        QVERIFY(!QFileInfo::exists(place->nativeFile()));
        QVERIFY(window->selpoptb->isChecked());
        QVERIFY(window->selhost->isChecked());
        QVERIFY(window->selwithoutrouter->isChecked());
        QCOMPARE(window->username->text(), QString());
        QCOMPARE(window->txtLocalIP->text(), QStringLiteral("192.168.1.10"));
        QCOMPARE(window->txtRouterIP->text(), QString());
        QVERIFY(os->downloads.requests.isEmpty());

        window->close();
        LaunchSettings expected;
        expected.setLocalAddress(QStringLiteral("192.168.1.10"));
        QCOMPARE(place->fileBytes(), expected.image);
        QVERIFY(os->ui.boxes.empty());
    }

    void savedChoicesAreSelectedInOrder() {
        LaunchSettings s;
        s.setDefaultGame(true);
        s.setDefaultWay(true);
        s.setDefaultHosting(true);
        s.setUserName(QStringLiteral("  Matak  "));
        place->writeFile(s.image);
        load();
        QVERIFY(window->selUW->isChecked());
        QVERIFY(window->seljoin->isChecked());
        // The join handler ran: it cleared and disabled both hosting options.
        QVERIFY(!window->selwithrouter->isChecked() && !window->selwithoutrouter->isChecked());
        QVERIFY(!window->selwithrouter->isEnabled());
        QVERIFY(window->joinIP->isEnabled());
        QCOMPARE(window->username->text(), QStringLiteral("Matak"));

        // Back to host, with router: step 4 selects "With Router", then selecting "Host Game"
        // runs its handler, which resets the method to "Without Router".
        s.setDefaultGame(false);
        s.setDefaultWay(false);
        place->writeFile(s.image);
        window->LoadSettings();
        QVERIFY(window->selpoptb->isChecked());
        QVERIFY(window->selhost->isChecked());
        QVERIFY(window->selwithoutrouter->isChecked());
        QVERIFY(!window->joinIP->isEnabled());
    }

    void withRouterSurvivesAStartAsHost() {
        LaunchSettings s;
        s.setDefaultHosting(true);
        place->writeFile(s.image);
        load(); // "Host Game" is already selected, so its handler does not run
        QVERIFY(window->selhost->isChecked());
        QVERIFY(window->selwithrouter->isChecked());
    }

    void localAddress_data() {
        QTest::addColumn<bool>("overrideOn");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("shown");
        QTest::newRow("override") << true << 1 << QStringLiteral("10.9.8.7");
        QTest::newRow("second entry") << false << 1 << QStringLiteral("10.0.0.7");
        QTest::newRow("index beyond the list") << false << 3 << QString();
    }
    void localAddress() {
        QFETCH(bool, overrideOn);
        QFETCH(int, index);
        QFETCH(QString, shown);
        LaunchSettings s;
        s.setOverrideEnabled(overrideOn);
        s.setOverrideAddress(QStringLiteral("10.9.8.7"));
        s.setLocalAddressIndex(static_cast<std::uint8_t>(index));
        place->writeFile(s.image);
        load();
        QCOMPARE(window->txtLocalIP->text(), shown);
    }

    void indexBeyondTheListKeepsTheEarlierSelectionOnReload() {
        load();
        QCOMPARE(window->txtLocalIP->text(), QStringLiteral("192.168.1.10"));
        LaunchSettings s;
        s.setLocalAddressIndex(9);
        place->writeFile(s.image);
        window->LoadSettings();
        QCOMPARE(window->txtLocalIP->text(), QStringLiteral("192.168.1.10"));
    }

    void saveWritesTheShownAddresses() {
        LaunchSettings s;
        s.setUserName(QStringLiteral("Ikani"));
        s.setRouterAddress(QStringLiteral("198.51.100.1"));
        s.setLocalAddressIndex(1);
        s.image[3] = 'R'; // carried through
        place->writeFile(s.image);
        load();
        QCOMPARE(window->txtRouterIP->text(), QStringLiteral("198.51.100.1"));

        // Detection off: the router address stays as read, whatever the box shows.
        window->txtRouterIP->setText(QStringLiteral("1.1.1.1"));
        window->SaveSettings();
        LaunchSettings expected = s;
        expected.setLocalAddress(QStringLiteral("10.0.0.7"));
        QCOMPARE(place->fileBytes(), expected.image);
    }

    void detectionShowsTheBodyAndSavesIt() {
        LaunchSettings s;
        s.setAutoDetectRouter(true);
        s.setRouterAddress(QStringLiteral("198.51.100.1"));
        place->writeFile(s.image);
        os->downloads.bodies[EchoUrl] = "203.0.113.7\n";
        load();
        QCOMPARE(os->downloads.requests, QStringList{EchoUrl});
        QCOMPARE(window->txtRouterIP->text(), QStringLiteral("203.0.113.7\n"));
        QVERIFY(!QFileInfo::exists(place->nativeFolder() + QStringLiteral("/ip.tmp")));
        QVERIFY(os->ui.boxes.empty());

        window->close();
        LaunchSettings saved;
        saved.image = place->fileBytes();
        QCOMPARE(saved.RouterAddress(), QStringLiteral("203.0.113.7\n"));
    }

    void failedDetectionShowsTheStoredAddressSilently() {
        LaunchSettings s;
        s.setAutoDetectRouter(true);
        s.setRouterAddress(QStringLiteral("198.51.100.1"));
        place->writeFile(s.image);
        load(); // FakeDownloads has no body: no file comes of the download
        QCOMPARE(os->downloads.requests.size(), 1);
        QCOMPARE(window->txtRouterIP->text(), QStringLiteral("198.51.100.1"));
        QVERIFY(os->ui.boxes.empty());
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
