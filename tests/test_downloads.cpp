// The URL download against a loopback HTTP server, the address query built on it, and what
// counts as an address in the page's answer.

#include "fakes/fake_platform.h"
#include "net/AddressEcho.h"
#include "platform/linux/linux_downloads.h"
#include "platform/linux/linux_files.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using platform::linuxbackend::LinuxDownloads;

namespace {

// A loopback port that nothing listens on: bound once to learn a free number, then released.
int closedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

} // namespace

class DownloadsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The requests go to loopback directly, whatever proxy the environment names.
        for (const char* name :
             {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(name);
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server.start("python3", {VELKOR_TEST_DATA "/echo_server.py"});
        QVERIFY(server.waitForStarted(10000) && server.waitForReadyRead(10000));
        port = server.readLine().trimmed().toInt();
        QVERIFY(port > 0);
    }
    void cleanupTestCase() {
        server.kill();
        server.waitForFinished(5000);
    }
    void init() {
        os = std::make_unique<fakes::FakePlatform>();
        folder = os->prefix.makeFolder("users/player/AppData/Roaming/Populous/Velkor");
    }
    void cleanup() { os.reset(); }

    void download_data() {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("file");    // below the settings folder
        QTest::addColumn<QByteArray>("body"); // null: the download fails and leaves no file
        const QByteArray address = "203.0.113.7\r\n";
        QTest::newRow("as it came") << url("/myip.php") << "ip.tmp" << address;
        QTest::newRow("redirect") << url("/moved") << "ip.tmp" << address;
        QTest::newRow("cut at 64 KiB")
            << url("/big") << "ip.tmp" << QByteArray("0123456789").repeated(7 * 1024).left(65536);
        QTest::newRow("http error") << url("/missing") << "ip.tmp" << QByteArray();
        QTest::newRow("silent") << url("/silent") << "ip.tmp" << QByteArray();
        QTest::newRow("server down") << QString("http://127.0.0.1:%1/myip.php").arg(closedPort())
                                     << "ip.tmp" << QByteArray();
        QTest::newRow("no folder") << url("/myip.php") << "absent/ip.tmp" << QByteArray();
    }
    void download() {
        QFETCH(QString, url);
        QFETCH(QString, file);
        QFETCH(QByteArray, body);
        LinuxDownloads downloads(*os->files);
        QElapsedTimer clock;
        clock.start();
        const long result =
            downloads.downloadToFile(url, os->files->toWindows(folder + '/' + file));
        if (QTest::currentDataTag() == QLatin1String("silent")) {
            qInfo("gave up on a silent server after %lld ms (bound %ld ms)", clock.elapsed(),
                  LinuxDownloads::TotalTimeoutMs);
            QVERIFY(clock.elapsed() < 3 * LinuxDownloads::TotalTimeoutMs);
        }
        QCOMPARE(result == 0, !body.isNull());
        QFile saved(folder + '/' + file);
        QCOMPARE(saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray(), body);
        QVERIFY(!QFileInfo::exists(folder + "/absent"));
    }

    void addressQueryReadsAndDeletesTheFile() {
        LinuxDownloads downloads(*os->files);
        platform::Services services = os->services();
        services.downloads = &downloads;
        platform::install(services);
        const QString target = os->files->toWindows(folder + "/ip.tmp");

        addressecho::Answer answer = addressecho::fetch(url("/myip.php"), target);
        QCOMPARE(answer.outcome, addressecho::Outcome::Ok);
        QVERIFY(answer.read);
        QCOMPARE(answer.text, QStringLiteral("203.0.113.7")); // without the line break
        QVERIFY(!QFileInfo::exists(folder + "/ip.tmp"));
        QCOMPARE(addressecho::fetch(url("/missing"), target).outcome,
                 addressecho::Outcome::FileNotFound);
        // Anything but an address is no answer, and its file goes all the same.
        answer = addressecho::fetch(url("/say?1.2.3.4%20%2Fj%206.6.6.6"), target);
        QCOMPARE(answer.outcome, addressecho::Outcome::FileNotFound);
        QVERIFY(!answer.read && answer.text.isEmpty());
        QVERIFY(!QFileInfo::exists(folder + "/ip.tmp"));
        QCOMPARE(addressecho::fetch(url("/myip.php"), target.chopped(6) + "absent\\ip.tmp").outcome,
                 addressecho::Outcome::PathNotFound);
    }

    void onlyAWholeAddressCounts_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("address"); // empty: no answer
        const auto row = [](const char* tag, const QString& body, const QString& address) {
            QTest::newRow(tag) << body << address;
        };
        const QString none;
        row("ipv4", "203.0.113.7", "203.0.113.7");
        row("white space around", " \t203.0.113.7\r\n", "203.0.113.7");
        row("two addresses", "203.0.113.7 203.0.113.8", none);
        row("ipv6", "\n2001:DB8::1 ", "2001:DB8::1");
        row("ipv6 whole", "1:2:3:4:5:6:7:ffff", "1:2:3:4:5:6:7:ffff");
        row("ipv6 gap at the end", "1:2:3:4:5:6:7::", "1:2:3:4:5:6:7::");
        row("ipv6 unspecified", "::", "::");
        row("ipv6 with ipv4", "::ffff:192.0.2.1", "::ffff:192.0.2.1");
        row("switches", "1.2.3.4 /j 6.6.6.6 \"/nEvil x", none);
        row("line break inside", "203.0.113.7\r\n/j", none);
        row("nul after", QString::fromLatin1("203.0.113.7\0", 12), none);
        row("no-break space",
            QString::fromLatin1("\xA0"
                                "203.0.113.7"),
            none);
        row("empty", "", none);
        row("blank", " \r\n", none);
        row("over-long", QString(64 * 1024, u'1'), none);
        row("256", "203.0.113.256", none);
        row("leading zero", "203.0.113.07", none);
        row("three parts", "203.0.113", none);
        row("five parts", "203.0.113.7.1", none);
        row("hexadecimal", "0xcb.0.113.7", none);
        row("other digits", QString::fromUtf8("\u0662.\u0660.\u0663.\u0667"), none);
        row("ipv6 nine groups", "1:2:3:4:5:6:7:8:9", none);
        row("ipv6 seven groups", "1:2:3:4:5:6:7", none);
        row("ipv6 eight groups and gap", "1:2:3:4::5:6:7:8", none);
        row("ipv6 two gaps", "1::2::3", none);
        row("ipv6 lone colon", ":1:2:3:4:5:6:7", none);
        row("ipv6 five digits", "12345::1", none);
        row("ipv6 ipv4 not last", "::1.2.3.4:1", none);
        row("ipv6 zone", "fe80::1%eth0", none);
        row("ipv6 brackets", "[::1]", none);
        row("ipv6 prefix", "2001:db8::/32", none);
    }
    void onlyAWholeAddressCounts() {
        QFETCH(QString, body);
        QFETCH(QString, address);
        QCOMPARE(addressecho::addressIn(body), address);
    }

private:
    QString url(const char* path) const {
        return QString("http://127.0.0.1:%1%2").arg(port).arg(path);
    }

    QProcess server;
    int port = 0;
    std::unique_ptr<fakes::FakePlatform> os;
    QString folder; // native
};

QTEST_MAIN(DownloadsTest)
#include "test_downloads.moc"
