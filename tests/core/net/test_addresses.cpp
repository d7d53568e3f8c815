// What counts as an address in text from outside: the echo page's answer.

#include "core/net/AddressEcho.h"
#include "core/net/IpAddress.h"
#include "fakes/rows.h"

#include <QtTest>

class AddressesTest : public QObject {
    Q_OBJECT
private slots:
    // An echo page's answer counts as one whole address, white space around it dropped.
    void wholeAddresses_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("address"); // empty: no address
        for (const char* whole : {"255.255.255.255", "1:2:3:4:5:6:7:ffff", "1:2:3:4:5:6:7::", "::",
                                  "2001:DB8::a:0", "::ffff:192.0.2.1", "1:2:3:4:5:6:1.2.3.4",
                                  "ffff:ffff:ffff:ffff:ffff:ffff:255.255.255.255"})
            QTest::newRow(whole) << QString(whole) << QString(whole);
        addRow("white space around", {" \t\v\f203.0.113.7\r\n", "203.0.113.7"});
        addRow("white space only", {" \r\n", ""});
        for (const char* none :
             {"203.0.113.256", "203.0.113.07", "203.0.113", "203.0.113.7.1", "1..3.4", "1.2.3.1234",
              "1:2:3:4:5:6:7:8:9", "1:2:3:4:5:6:7", "1::2::3", "1:2:3:4::5:6:7:8", "1:", "1:::2",
              "12345::1", "::1.2.3.4:1", "fe80::1%eth0"})
            QTest::newRow(none) << QString(none) << QString();
        addRow("switches on the next line", {"203.0.113.7\r\n/j 6.6.6.6", ""});
        addRow("a NUL after", {QString("1.2.3.4") + QChar(0), ""});
        addRow("a no-break space before", {QString::fromUtf8("\u00a01.2.3.4"), ""});
        addRow("other digits", {QString::fromUtf8("\u0662.\u0660.\u0663.\u0667"), ""});
    }
    void wholeAddresses() {
        QFETCH(QString, body);
        QFETCH(QString, address);
        QCOMPARE(addressecho::addressIn(body), address);
        QCOMPARE(net::isIpAddress(body), !address.isEmpty() && address == body);
    }
};

QTEST_MAIN(AddressesTest)
#include "test_addresses.moc"
