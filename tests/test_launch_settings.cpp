// The settings image: its fields at their offsets, and reading and writing "Velkor.cfg".

#include "fakes/fake_platform.h"
#include "settings/LaunchSettings.h"
#include "settings_support.h"

#include <QFileInfo>
#include <QtTest>
#include <sys/stat.h>

namespace {

// Builds an image byte by byte from the file layout, independently of the code under test.
struct Image {
    QByteArray bytes = QByteArray(115, '\0');
    Image& at(int offset, char value) {
        bytes[offset] = value;
        return *this;
    }
    Image& text(int offset, int length, int step, const QByteArray& value) {
        for (int k = 0; k < length; ++k)
            bytes[offset + k * step] = k < value.size() ? value.at(k) : '\0';
        return *this;
    }
};

// Every byte no field owns, and the odd bytes inside the name.
QList<int> unownedOffsets() {
    QList<int> offsets{3, 37, 62, 87, 112};
    for (int o = 5; o <= 35; o += 2)
        offsets << o;
    return offsets;
}

QByteArray patterned(int size) {
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(0xA0 + i % 50);
    return bytes;
}

} // namespace

class LaunchSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void emptyImageDecodesToTheDefaults() {
        const LaunchSettings s;
        QCOMPARE(s.image.size(), 115);
        QVERIFY(!s.DefaultGame() && !s.DefaultWay() && !s.DefaultHosting());
        QVERIFY(!s.OverrideEnabled() && !s.AutoDetectRouter());
        QVERIFY(s.UserName().isEmpty() && s.OverrideAddress().isEmpty());
        QVERIFY(s.LocalAddress().isEmpty() && s.RouterAddress().isEmpty());
        QCOMPARE(s.LocalAddressIndex(), 0);
    }

    void flagsAreSetOnlyByByteOne() {
        for (int offset : {0, 1, 2, 36, 114}) {
            for (char byte : {char(1), char(2), char(255), char(0)}) {
                LaunchSettings s;
                s.image[offset] = byte;
                const bool set = byte == 1;
                QCOMPARE(s.DefaultGame(), offset == 0 && set);
                QCOMPARE(s.DefaultWay(), offset == 1 && set);
                QCOMPARE(s.DefaultHosting(), offset == 2 && set);
                QCOMPARE(s.OverrideEnabled(), offset == 36 && set);
                QCOMPARE(s.AutoDetectRouter(), offset == 114 && set);
            }
        }
    }

    void everyFieldIsWrittenAtItsOffset() {
        LaunchSettings s;
        s.setDefaultGame(true);
        s.setDefaultWay(true);
        s.setDefaultHosting(true);
        s.setUserName(QStringLiteral("Matak"));
        s.setOverrideEnabled(true);
        s.setOverrideAddress(QStringLiteral("10.0.0.9"));
        s.setLocalAddress(QStringLiteral("192.168.1.20"));
        s.setRouterAddress(QStringLiteral("203.0.113.7"));
        s.setLocalAddressIndex(200);
        s.setAutoDetectRouter(true);
        const Image expected = Image()
                                   .at(0, 1)
                                   .at(1, 1)
                                   .at(2, 1)
                                   .text(4, 16, 2, "Matak")
                                   .at(36, 1)
                                   .text(38, 24, 1, "10.0.0.9")
                                   .text(63, 24, 1, "192.168.1.20")
                                   .text(88, 24, 1, "203.0.113.7")
                                   .at(113, char(200))
                                   .at(114, 1);
        QCOMPARE(s.image.toHex(' '), expected.bytes.toHex(' '));
        QCOMPARE(s.LocalAddressIndex(), 200);

        s.setDefaultWay(false);
        s.setAutoDetectRouter(false);
        QCOMPARE(s.image.at(1), '\0');
        QCOMPARE(s.image.at(114), '\0');
    }

    void textFieldsAreCutAndPaddedAndReadWithoutNuls() {
        LaunchSettings s;
        s.setUserName(QStringLiteral("ABCDEFGHIJKLMNOPQRST")); // 20 characters
        QCOMPARE(s.image.toHex(' '), Image().text(4, 16, 2, "ABCDEFGHIJKLMNOP").bytes.toHex(' '));
        QCOMPARE(s.UserName(), QStringLiteral("ABCDEFGHIJKLMNOP"));

        s.setRouterAddress(QStringLiteral("1234567890123456789012345678"));
        QCOMPARE(s.RouterAddress(), QStringLiteral("123456789012345678901234"));
        QCOMPARE(s.image.at(112), '\0');           // the byte after the field is not reached
        s.setRouterAddress(QStringLiteral("1.2")); // a shorter text clears the rest
        QCOMPARE(s.image.mid(88, 24), QByteArray("1.2") + QByteArray(21, '\0'));

        s.image.replace(38, 4,
                        QByteArray("12\0"
                                   "7",
                                   4));
        QCOMPARE(s.OverrideAddress(), QStringLiteral("127"));
        s.image[4] = '\0';
        s.image[8] = '\0';
        QCOMPARE(s.UserName(), QStringLiteral("BDEFGHIJKLMNOP"));
    }

    void unownedBytesSurviveEveryWrite() {
        LaunchSettings s;
        s.image = patterned(115);
        const QByteArray before = s.image;
        s.setDefaultGame(false);
        s.setDefaultWay(true);
        s.setDefaultHosting(false);
        s.setUserName(QStringLiteral("A name longer than sixteen"));
        s.setOverrideEnabled(true);
        s.setOverrideAddress(QString(30, QLatin1Char('x')));
        s.setLocalAddress(QString(30, QLatin1Char('y')));
        s.setRouterAddress(QString(30, QLatin1Char('z')));
        s.setLocalAddressIndex(7);
        s.setAutoDetectRouter(true);
        for (int offset : unownedOffsets())
            QVERIFY2(s.image.at(offset) == before.at(offset), qPrintable(QString::number(offset)));
    }

    void trimBlanksTakesOnlySpaces() {
        QCOMPARE(settingsfile::trimBlanks(QStringLiteral("  a b  ")), QStringLiteral("a b"));
        QCOMPARE(settingsfile::trimBlanks(QStringLiteral(" 1.2\r\n")), QStringLiteral("1.2\r\n"));
        QCOMPARE(settingsfile::trimBlanks(QStringLiteral("   ")), QString());
    }

    void shortAndLongFiles() {
        fakes::FakePlatform os;
        const settingstest::Place place(os);

        const QByteArray fifty = patterned(50);
        place.writeFile(fifty);
        LaunchSettings s;
        s.read(place.settingsFile());
        QCOMPARE(s.image, fifty + QByteArray(65, '\0'));
        QCOMPARE(QFileInfo(place.nativeFile()).size(), 50); // reading writes nothing

        const QByteArray twoHundred = patterned(200);
        place.writeFile(twoHundred);
        s.read(place.settingsFile());
        QCOMPARE(s.image, twoHundred.left(115));
        s.setUserName(QStringLiteral("Ikani"));
        s.write(place.settingsFile());
        const QByteArray after = place.fileBytes();
        QCOMPARE(after.size(), 200);
        QCOMPARE(after.left(115), s.image);
        QCOMPARE(after.mid(115), twoHundred.mid(115));
        for (int offset : unownedOffsets())
            QCOMPARE(after.at(offset), twoHundred.at(offset));
        QVERIFY(os.ui.boxes.empty());
    }

    void firstStartCreatesTheFoldersButNoFile() {
        fakes::FakePlatform os;
        const settingstest::Place place(os);
        LaunchSettings s;
        s.image = patterned(115);
        s.read(place.settingsFile());
        QCOMPARE(s.image, QByteArray(115, '\0'));
        QVERIFY(QFileInfo(place.nativeFolder()).isDir());
        QVERIFY(!QFileInfo::exists(place.nativeFile()));

        s.write(place.settingsFile());
        QCOMPARE(place.fileBytes(), QByteArray(115, '\0'));
        QVERIFY(os.ui.boxes.empty());
    }

    void folderWithoutFileGetsAnEmptyFile() {
        fakes::FakePlatform os;
        const settingstest::Place place(os);
        QDir().mkpath(place.nativeFolder());
        LaunchSettings s;
        s.read(place.settingsFile());
        QCOMPARE(s.image, QByteArray(115, '\0'));
        QVERIFY(QFileInfo::exists(place.nativeFile()));
        QCOMPARE(QFileInfo(place.nativeFile()).size(), 0);
    }

    void saveIntoMissingFoldersCreatesThemAndRetries() {
        fakes::FakePlatform os;
        const settingstest::Place place(os);
        LaunchSettings s;
        s.setUserName(QStringLiteral("Dakini"));
        s.write(place.settingsFile());
        QCOMPARE(place.fileBytes(), s.image);
        QVERIFY(os.ui.boxes.empty());
    }

    void readOnlyFileLoadsButEverySaveIsRefusedOnce() {
        fakes::FakePlatform os;
        const settingstest::Place place(os);
        const QByteArray stored = Image().at(1, 1).text(4, 16, 2, "Tiyao").bytes;
        place.writeFile(stored);
        QVERIFY(QFile::setPermissions(place.nativeFile(),
                                      QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const settingstest::WithoutPermissionOverride asAnyUser;
        if (!settingstest::writeRefused(place.nativeFile()))
            QSKIP("this process cannot give up its right to write read-only files");

        LaunchSettings s;
        s.read(place.settingsFile());
        QCOMPARE(s.UserName(), QStringLiteral("Tiyao"));
        QVERIFY(s.DefaultWay());
        s.setUserName(QStringLiteral("Other"));
        for (int save = 1; save <= 2; ++save) {
            s.write(place.settingsFile());
            QCOMPARE(int(os.ui.boxes.size()), save);
            QCOMPARE(os.ui.boxes.back().text,
                     QStringLiteral("Could not update \"Velkor.cfg\" either because it is set to "
                                    "Read-Only or because you do not have the required "
                                    "permissions to edit this file."));
            QCOMPARE(os.ui.boxes.back().title, QStringLiteral("Velkor"));
            QCOMPARE(os.ui.boxes.back().style, 48);
            QCOMPARE(place.fileBytes(), stored);
        }
    }
};

QTEST_MAIN(LaunchSettingsTest)
#include "test_launch_settings.moc"
