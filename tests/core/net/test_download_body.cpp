// A download's body: kept to its bound, and an answer only when it came whole.

#include "core/net/download_body.h"

#include <QtTest>

class DownloadBodyTest : public QObject {
    Q_OBJECT
private slots:
    // Whole by its head: lines '|'-separated, as the transports hand them over. (A length as said
    // or not, a redirect's head, the 64 KiB bound: test_linux_downloads over the loopback.)
    void framing() {
        for (const auto& [head, whole] :
             {std::pair{"", true},
              {"content-length:\t 5 ", true},
              {"Content-Length: 5x", false},
              {"Content-Length: 5|Content-Length: 6", false},
              {"Content-Length: 9|Transfer-Encoding: gzip, Chunked", true}}) {
            net::DownloadBody body;
            for (const QString& line : QString(head).split('|'))
                body.headerLine((line + "\r\n").toLatin1());
            body.append("abcd", 4); // five bytes in two parts, the last one byte
            body.append("e", 1);
            QVERIFY2(body.whole() == whole, head);
            QCOMPARE(body.bytes(), "abcde");
        }
    }
};

QTEST_MAIN(DownloadBodyTest)
#include "test_download_body.moc"
