// What counts as an address in text from outside: the echo page's answer, a public IPv4 one.

#include "core/net/AddressEcho.h"
#include "core/net/IpAddress.h"

#include <QtTest>

class AddressesTest : public QObject {
    Q_OBJECT
private slots:
    // An echo page's answer counts when it is one whole address, white space around it
    // dropped, and a public IPv4 one: the game speaks IPv4, and friends join from outside.
    void wholeAddresses_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("whole"); // one address and nothing else, of either family
        QTest::addColumn<QString>("used");
        // Each reserved range's ends inside it, its neighbours outside.
        for (const char* kept : {"80.100.100.7", "223.255.255.255", "1.0.0.0", "172.15.255.255",
                                 "172.32.0.0", "100.63.255.255", "100.128.0.0", "198.20.0.1"})
            QTest::newRow(kept) << QString(kept) << true << QString(kept);
        for (const char* reserved : {"172.16.0.0", "172.31.255.255", "100.127.255.255", "192.0.2.1",
                                     "198.51.100.1", "198.18.0.1", "198.19.255.255"})
            QTest::newRow(reserved) << QString(reserved) << true << QString();
        for (const char* unused :
             {"0.0.0.0", "255.255.255.255", "127.0.0.1", "10.0.0.1", "100.64.0.1", "169.254.0.1",
              "192.168.1.1", "203.0.113.7", "224.0.0.1", "1:2:3:4:5:6:7:ffff",
              "1:2:3:4:5:6:7::", "::", "2001:DB8::a:0", "2001:db8::1", "::ffff:80.100.100.7",
              "1:2:3:4:5:6:1.2.3.4", "ffff:ffff:ffff:ffff:ffff:ffff:255.255.255.255"})
            QTest::newRow(unused) << QString(unused) << true << QString();
        QTest::newRow("white space around")
            << QString(" \t\v\f80.100.100.7\r\n") << false << QString("80.100.100.7");
        for (const char* none : {"80.100.100.256", "80.100.100.07", "80.100.100", "80.100.100.7.1",
                                 "1..3.4", "1.2.3.1234", "1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7",
                                 "1::2::3", "1:2:3:4::5:6:7:8", "1:", "1:::2", "12345::1",
                                 "::1.2.3.4:1", "fe80::1%eth0", "80.100.100.7\r\n/j 6.6.6.6"})
            QTest::newRow(none) << QString(none) << false << QString();
        QTest::newRow("a NUL after") << QString("80.100.100.7") + QChar(0) << false << QString();
        QTest::newRow("a no-break space before")
            << QString::fromUtf8("\u00a080.100.100.7") << false << QString();
        QTest::newRow("other digits")
            << QString::fromUtf8("\u0668\u0660.\u0661.\u0662.\u0663") << false << QString();
    }
    void wholeAddresses() {
        QFETCH(QString, body);
        QFETCH(bool, whole);
        QFETCH(QString, used);
        QCOMPARE(addressecho::addressIn(body), used);
        QCOMPARE(net::isIpAddress(body), whole);
    }
};

QTEST_MAIN(AddressesTest)
#include "test_addresses.moc"
