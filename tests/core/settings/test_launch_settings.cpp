// The settings record "Velkor.cfg": its fields' bytes, and the file read and written whole.

#include "core/settings/LaunchSettings.h"
#include "fakes/settings_support.h"

#include <QtTest>

class LaunchSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void fields() {
        LaunchSettings s{patterned(115)};
        QByteArray expected = s.image;                           // the bytes no field owns stay
        s.setUserName(QString::fromUtf8("ABCDEFGHIJKLMNÿ€xyz")); // 16 kept, € not Latin-1
        s.setLocalAddress("1.2");
        s.setRouterAddress("1234567890123456789012345678");
        s.setLocalAddressIndex(200);
        for (int k = 0; k < 16; ++k)
            expected[4 + 2 * k] = QByteArray("ABCDEFGHIJKLMN\xFF?").at(k);
        expected.replace(63, 24, QByteArray("1.2").leftJustified(24, '\0'));
        expected.replace(88, 24, "123456789012345678901234");
        expected[113] = char(200);
        QCOMPARE(s.image.toHex(' '), expected.toHex(' '));
        s.image.replace(38, 24, QByteArray("12\0007", 4).leftJustified(24, '\0'));
        QCOMPARE(s.OverrideAddress(), QStringLiteral("127")); // NULs inside are skipped
    }

    // A first read makes the folders; a short file is padded.
    void file() {
        LaunchSettings s;
        const Place os;
        const QString users = os.prefix.driveC() + "/users", file = os.settingsdir + "\\Velkor.cfg";
        QVERIFY(QDir(users).removeRecursively()); // as on a first start without ~/.config
        s.read(file);                             // makes every folder level, but no file
        QCOMPARE(s.image, QByteArray(115, '\0'));
        QVERIFY(!QFileInfo::exists(os.file)); // a first write: e2e/settings.sh
        os.write(patterned(50));
        s.read(file); // reading writes nothing
        QCOMPARE(s.image, patterned(50) + QByteArray(65, '\0'));
        QCOMPARE(os.bytes().size(), 50); // a longer one written in place: the fuzz target
    }
};

QTEST_MAIN(LaunchSettingsTest)
#include "test_launch_settings.moc"
