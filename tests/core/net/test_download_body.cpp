// A download's body: kept to its bound, and an answer only when it came whole.

#include "core/net/download_body.h"

#include <QtTest>

class DownloadBodyTest : public QObject {
    Q_OBJECT
private slots:
    // Whole by its head: lines '|'-separated, as the transports hand them over. (A length as said
    // or not, a redirect's head, the 64 KiB bound: test_linux_downloads over the loopback.)
    void framing_data() {
        QTest::addColumn<QString>("head");
        QTest::addColumn<bool>("whole");
        QTest::newRow("no length") << "" << true;
        QTest::newRow("any case, blanks") << "content-length:\t 5 " << true;
        QTest::newRow("no number") << "Content-Length: 5x" << false;
        QTest::newRow("negative") << "Content-Length: -5" << false;
        QTest::newRow("two that differ") << "Content-Length: 5|Content-Length: 6" << false;
        QTest::newRow("chunks") << "Content-Length: 9|Transfer-Encoding: gzip, Chunked" << true;
    }
    void framing() {
        QFETCH(QString, head);
        QFETCH(bool, whole);
        net::DownloadBody body;
        for (const QString& line : head.split('|'))
            body.headerLine((line + "\r\n").toLatin1());
        body.append("abcd", 4); // five bytes in two parts, the last one byte
        body.append("e", 1);
        QCOMPARE(body.whole(), whole);
        QCOMPARE(body.bytes(), "abcde");
    }
};

QTEST_MAIN(DownloadBodyTest)
#include "test_download_body.moc"
