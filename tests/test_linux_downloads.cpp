// The URL download against a loopback HTTP server, and what counts as an address in its answer.

#include "fakes/fake_platform.h"
#include "net/AddressEcho.h"
#include "platform/linux/linux_downloads.h"

#include <QtTest>

using platform::linuxbackend::LinuxDownloads;

class DownloadsTest : public QObject {
    Q_OBJECT
    QProcess server;
    QString url; // the server's root

private slots:
    void initTestCase() {
        for (const char* name : {"http_proxy", "all_proxy", "ALL_PROXY"}) // loopback goes direct
            qunsetenv(name);
        server.start("python3", {VELKOR_TEST_DATA "/echo_server.py"});
        QVERIFY(server.waitForReadyRead(10000));
        url = "http://127.0.0.1:" + server.readLine().trimmed();
    }

    // A failed download leaves no file; none takes longer than its bound or more than 64 KiB.
    void download() {
        const QByteArray address = "203.0.113.7\r\n";
        using Case = std::tuple<QString, QString, QByteArray>; // null body: fails
        for (const auto& [from, file, body] : std::initializer_list<Case>{
                 {url + "/myip.php", "/ip.tmp", address},
                 {url + "/moved", "/ip.tmp", address},
                 {url + "/big", "/ip.tmp", QByteArray("0123456789").repeated(7000).left(65536)},
                 {url + "/missing", "/ip.tmp", {}},
                 {url + "/silent", "/ip.tmp", {}},
                 {url + "/myip.php", "/absent/ip.tmp", {}}}) {
            fakes::FakePlatform os;
            const QString folder = os.prefix.makeFolder("users/player");
            const QDeadlineTimer bound(3 * LinuxDownloads::TotalTimeoutMs);
            LinuxDownloads downloads(*os.files);
            const long result = downloads.downloadToFile(from, os.files->toWindows(folder + file));
            QVERIFY2(!bound.hasExpired() && (result == 0) == !body.isNull(), qPrintable(from));
            QFile saved(folder + file);
            QCOMPARE(saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray(), body);
            QVERIFY(!QFileInfo::exists(folder + "/absent"));
        }
    }

    void onlyAWholeAddressCounts() {
        for (const char* address : {"203.0.113.7", "1:2:3:4:5:6:7:ffff",
                                    "1:2:3:4:5:6:7::", "::", "::ffff:192.0.2.1", "2001:DB8::a:0"})
            QCOMPARE(addressecho::addressIn(address), QString(address));
        QCOMPARE(addressecho::addressIn(" \t203.0.113.7\r\n"), QStringLiteral("203.0.113.7"));
        QVERIFY(addressecho::addressIn(QString(64 * 1024, u'1')).isEmpty());
        static const char none[] =
            "| \r\n|203.0.113.7 203.0.113.8|203.0.113.7\r\n/j|1.2.3.4 /j 6.6.6.6 \"/nEvil x|"
            "1.2.3.4\0|\u00a01.2.3.4|203.0.113.256|203.0.113.07|203.0.113|203.0.113.7.1|1.2.3.1234|"
            "0xcb.0.113.7|\u0662.\u0660.\u0663.\u0667|1:2:3:4:5:6:7:8:9|1:2:3:4:5:6:7|1::2::3|"
            "1:2:3:4::5:6:7:8|:1:2:3:4:5:6:7|12345::1|::1.2.3.4:1|1:2:3:4:5:6:7:1.2.3.4|"
            "fe80::1%eth0|[::1]|2001:db8::/32|1:|g::1";
        for (const QString& body : QString::fromUtf8(none, sizeof none - 1).split('|'))
            QVERIFY2(addressecho::addressIn(body).isEmpty(), qPrintable(body));
    }
};

QTEST_MAIN(DownloadsTest)
#include "test_linux_downloads.moc"
