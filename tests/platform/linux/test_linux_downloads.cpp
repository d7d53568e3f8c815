// The URL download against a loopback HTTP server.

#include "fakes/fake_platform.h"
#include "fakes/rows.h"
#include "platform/linux/linux_downloads.h"

#include <QtTest>

using platform::linuxbackend::LinuxDownloads;
using DownloadCase = std::tuple<QString, QString, QByteArray>;

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

    // A failed download leaves no file; none takes longer than its bound. Only a whole body
    // counts: not past 64 KiB, as long as its Content-Length says, its chunks ended (the rules
    // alone: core/net; a page that drips or never answers: e2e/echo_and_lock.sh).
    void download_data() {
        const QByteArray address = "80.100.100.7\r\n";
        // {below the server's root, the file, what it holds; null: the download fails}
        addCases<DownloadCase>({{"an answer", {"/myip.php", "/ip.tmp", address}},
                                {"moved", {"/moved", "/ip.tmp", address}},
                                {"cut at 64 KiB", {"/cut", "/ip.tmp", {}}},
                                {"longer than said", {"/long", "/ip.tmp", {}}},
                                {"chunks without end", {"/endless", "/ip.tmp", {}}},
                                {"not found", {"/missing", "/ip.tmp", {}}},
                                {"no folder for the file", {"/myip.php", "/absent/ip.tmp", {}}}});
    }
    void download() {
        QFETCH(DownloadCase, row);
        const auto& [from, file, body] = row;
        fakes::FakePlatform os;
        const QString folder = os.prefix.makeFolder("users/player");
        const QDeadlineTimer bound(3 * LinuxDownloads::TotalTimeoutMs);
        const long result = LinuxDownloads(*os.files).downloadToFile(
            url + from, os.files->toWindows(folder + file));
        QVERIFY(!bound.hasExpired());
        QCOMPARE(result == 0, !body.isNull());
        QCOMPARE(fakes::readFile(folder + file), body);
        QVERIFY(!QFileInfo::exists(folder + "/absent"));
    }
};

QTEST_MAIN(DownloadsTest)
#include "test_linux_downloads.moc"
