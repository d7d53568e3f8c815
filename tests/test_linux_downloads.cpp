// The URL download against a loopback HTTP server.

#include "fakes/fake_platform.h"
#include "platform/common/download_body.h"
#include "platform/linux/linux_downloads.h"
#include "rows.h"

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
    // counts: not past 64 KiB, as long as its Content-Length says, its chunks ended.
    void download_data() {
        const QByteArray address = "80.100.100.7\r\n";
        // {below the server's root, the file, what it holds; null: the download fails}
        addCases<DownloadCase>(
            {{"an answer", {"/myip.php", "/ip.tmp", address}},
             {"moved", {"/moved", "/ip.tmp", address}},
             {"64 KiB", {"/full", "/ip.tmp", QByteArray(65524, ' ') + "80.100.100.7"}},
             {"cut at 64 KiB", {"/cut", "/ip.tmp", {}}},
             {"shorter than said", {"/short", "/ip.tmp", {}}},
             {"longer than said", {"/long", "/ip.tmp", {}}},
             {"chunks without end", {"/endless", "/ip.tmp", {}}},
             {"a byte a second", {"/drip", "/ip.tmp", {}}},
             {"no answer in time", {"/silent", "/ip.tmp", {}}},
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

    // Whole by its head: lines '|'-separated, as the transports hand them over.
    void framing_data() {
        QTest::addColumn<QString>("head");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("whole");
        QTest::newRow("no length") << "" << 5 << true;
        QTest::newRow("as said") << "Content-Length: 5" << 5 << true;
        QTest::newRow("any case, blanks") << "content-length:\t 5 " << 5 << true;
        QTest::newRow("shorter") << "Content-Length: 6" << 5 << false;
        QTest::newRow("longer") << "Content-Length: 4" << 5 << false;
        QTest::newRow("no number") << "Content-Length: 5x" << 5 << false;
        QTest::newRow("negative") << "Content-Length: -5" << 5 << false;
        QTest::newRow("two that differ") << "Content-Length: 5|Content-Length: 6" << 5 << false;
        QTest::newRow("chunks") << "Content-Length: 9|Transfer-Encoding: gzip, Chunked" << 5
                                << true;
        QTest::newRow("a redirect's before")
            << "HTTP/1.1 302 Found|Content-Length: 9|HTTP/1.1 200 OK" << 5 << true;
        QTest::newRow("64 KiB") << "" << 65536 << true;
        QTest::newRow("past it") << "" << 65537 << false;
    }
    void framing() {
        QFETCH(QString, head);
        QFETCH(int, size);
        QFETCH(bool, whole);
        platform::common::DownloadBody body;
        for (const QString& line : head.split('|'))
            body.headerLine((line + "\r\n").toLatin1());
        const QByteArray bytes(size, ' ');
        body.append(bytes.constData(), size - 1); // in two parts, the last one byte
        body.append(bytes.constData(), 1);
        QCOMPARE(body.whole(), whole);
        QCOMPARE(body.bytes().size(), std::min(size, 65536));
    }
};

QTEST_MAIN(DownloadsTest)
#include "test_linux_downloads.moc"
