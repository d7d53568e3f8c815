// The URL download against a loopback HTTP server, and the address query built on it.

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
        server.setProgram(QStringLiteral("python3"));
        server.setArguments({QStringLiteral(VELKOR_TEST_DATA "/echo_server.py")});
        server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The requests go to loopback directly, whatever proxy the environment names.
        for (const char* name :
             {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(name);
        server.start();
        QVERIFY2(server.waitForStarted(10000), "python3 could not be started");
        QVERIFY(server.waitForReadyRead(10000));
        port = server.readLine().trimmed().toInt();
        QVERIFY(port > 0);
    }

    void cleanupTestCase() {
        server.kill();
        server.waitForFinished(5000);
    }

    void init() {
        os = std::make_unique<fakes::FakePlatform>();
        folder =
            os->prefix.makeFolder(QStringLiteral("users/player/AppData/Roaming/Populous/Velkor"));
        target = os->files->toWindows(folder + QStringLiteral("/ip.tmp"));
        QVERIFY(!target.isEmpty());
    }
    void cleanup() { os.reset(); }

    void bodyAsItCame() {
        LinuxDownloads downloads(*os->files);
        QCOMPARE(downloads.downloadToFile(url("/myip.php"), target), 0L);
        QCOMPARE(nativeBytes(), QByteArray("203.0.113.7\r\n"));

        QFile::remove(native());
        QCOMPARE(downloads.downloadToFile(url("/moved"), target), 0L);
        QCOMPARE(nativeBytes(), QByteArray("203.0.113.7\r\n"));
    }

    void bodyOverTheLimitIsCut() {
        LinuxDownloads downloads(*os->files);
        QCOMPARE(downloads.downloadToFile(url("/big"), target), 0L);
        const QByteArray body = nativeBytes();
        QCOMPARE(body.size(), 64 * 1024);
        QCOMPARE(body, QByteArray("0123456789").repeated(7 * 1024).left(64 * 1024));
    }

    void httpErrorLeavesNoFile() {
        LinuxDownloads downloads(*os->files);
        QVERIFY(downloads.downloadToFile(url("/missing"), target) != 0);
        QVERIFY(!QFileInfo::exists(native()));
    }

    void serverDownLeavesNoFile() {
        const int closed = closedPort();
        QVERIFY(closed > 0);
        LinuxDownloads downloads(*os->files);
        QVERIFY(downloads.downloadToFile(QStringLiteral("http://127.0.0.1:%1/myip.php").arg(closed),
                                         target) != 0);
        QVERIFY(!QFileInfo::exists(native()));
    }

    void silentServerIsGivenUp() {
        LinuxDownloads downloads(*os->files);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(downloads.downloadToFile(url("/silent"), target) != 0);
        const qint64 waited = clock.elapsed();
        qInfo("gave up on a silent server after %lld ms (bound %ld ms)", waited,
              LinuxDownloads::TotalTimeoutMs);
        QVERIFY(waited < 3 * LinuxDownloads::TotalTimeoutMs); // it came back at all
        QVERIFY(!QFileInfo::exists(native()));
    }

    void unwritableTargetFails() {
        LinuxDownloads downloads(*os->files);
        const QString missing = os->files->toWindows(folder + QStringLiteral("/absent/ip.tmp"));
        QVERIFY(downloads.downloadToFile(url("/myip.php"), missing) != 0);
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/absent")));
    }

    void addressQueryReadsAndDeletesTheFile() {
        LinuxDownloads downloads(*os->files);
        platform::Services services = os->services();
        services.downloads = &downloads;
        platform::install(services);

        addressecho::Answer answer = addressecho::fetch(url("/myip.php"), target);
        QCOMPARE(answer.outcome, addressecho::Outcome::Ok);
        QVERIFY(answer.read);
        QCOMPARE(answer.text, QStringLiteral("203.0.113.7\r\n"));
        QVERIFY(!QFileInfo::exists(native()));

        answer = addressecho::fetch(url("/missing"), target);
        QCOMPARE(answer.outcome, addressecho::Outcome::FileNotFound);
        QVERIFY(!answer.read);

        const QString elsewhere = os->files->toWindows(folder + QStringLiteral("/absent/ip.tmp"));
        answer = addressecho::fetch(url("/myip.php"), elsewhere);
        QCOMPARE(answer.outcome, addressecho::Outcome::PathNotFound);
    }

private:
    QString url(const char* path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(QLatin1String(path));
    }
    QString native() const { return folder + QStringLiteral("/ip.tmp"); }
    QByteArray nativeBytes() const {
        QFile file(native());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
    }

    QProcess server;
    int port = 0;
    std::unique_ptr<fakes::FakePlatform> os;
    QString folder; // native
    QString target; // Windows
};

QTEST_MAIN(DownloadsTest)
#include "test_downloads.moc"
