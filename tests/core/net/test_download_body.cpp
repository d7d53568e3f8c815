// A download's body: kept to its bound, and an answer only when it came whole.

#include "core/net/download_body.h"

#include <QtTest>

class DownloadBodyTest : public QObject {
    Q_OBJECT
private slots:
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
        net::DownloadBody body;
        for (const QString& line : head.split('|'))
            body.headerLine((line + "\r\n").toLatin1());
        const QByteArray bytes(size, ' ');
        body.append(bytes.constData(), size - 1); // in two parts, the last one byte
        body.append(bytes.constData(), 1);
        QCOMPARE(body.whole(), whole);
        QCOMPARE(body.bytes().size(), std::min(size, 65536));
    }
};

QTEST_MAIN(DownloadBodyTest)
#include "test_download_body.moc"
